#include "framework/TypInfo.h"

#include <algorithm>
#include <map>
#include <memory>

#include "framework/Colors.h"

namespace qv {

namespace {

struct ClassEntry {
  std::string parent;
  bool (*isInstance)(const TObject*) = nullptr;
  std::vector<std::unique_ptr<TPropInfo>> props;
};

// Function-local so registrars in any translation unit may run in any order.
std::map<std::string, ClassEntry>& Registry() {
  static std::map<std::string, ClassEntry> registry;
  return registry;
}

// Number of registered ancestors above a class (guarded against a loop of
// mistaken registrations).
size_t Depth(const std::string& className) {
  const auto& registry = Registry();
  size_t depth = 0;
  for (auto it = registry.find(className); it != registry.end() && depth <= registry.size();
       it = registry.find(it->second.parent))
    ++depth;
  return depth;
}

// The registered class that describes an object: its own, else the deepest
// registered class it is an instance of.
const std::string* DescribingClass(const TObject* object) {
  if (!object) return nullptr;
  auto& registry = Registry();
  const auto own = registry.find(object->ClassName());
  if (own != registry.end()) return &own->first;
  const std::string* best = nullptr;
  size_t bestDepth = 0;
  for (const auto& [name, entry] : registry) {
    if (!entry.isInstance || !entry.isInstance(object)) continue;
    const size_t depth = Depth(name);
    if (depth > bestDepth) {
      best = &name;
      bestDepth = depth;
    }
  }
  return best;
}

// Calls visit(entry) for the describing class and then each ancestor.
template <class Visit>
void WalkChain(const TObject* object, Visit visit) {
  const std::string* start = DescribingClass(object);
  if (!start) return;
  const auto& registry = Registry();
  size_t steps = 0;
  for (auto it = registry.find(*start); it != registry.end() && steps <= registry.size();
       it = registry.find(it->second.parent), ++steps)
    visit(it->second);
}

const TPropInfo* FindByName(const TObject* object, const std::string& name) {
  const TPropInfo* found = nullptr;
  WalkChain(object, [&](const ClassEntry& entry) {
    if (found) return;
    for (const auto& p : entry.props)
      if (SameText(p->Name, name)) {
        found = p.get();
        return;
      }
  });
  return found;
}

const TPropInfo* Require(TObject* object, const std::string& name) {
  const TPropInfo* prop = FindByName(object, name);
  if (!prop) throw EPropertyError("Unknown property: " + name);
  return prop;
}

[[noreturn]] void WrongKind(const TPropInfo* prop) {
  throw EPropertyError("Invalid property type: " + prop->TypeName + " (" + prop->Name + ")");
}

[[noreturn]] void ReadOnly(const TPropInfo* prop) {
  throw EPropertyError("Property " + prop->Name + " is read only");
}

}  // namespace

void RegisterPublishedClass(const char* className, const char* parentClassName,
                            bool (*isInstance)(const TObject*)) {
  ClassEntry& entry = Registry()[className];
  entry.parent = parentClassName ? parentClassName : "";
  if (isInstance) entry.isInstance = isInstance;
}

const TPropInfo* RegisterProperty(const char* className, TPropInfo info) {
  auto& props = Registry()[className].props;
  for (auto& p : props) {
    if (SameText(p->Name, info.Name)) {
      *p = std::move(info);
      return p.get();
    }
  }
  props.push_back(std::make_unique<TPropInfo>(std::move(info)));
  return props.back().get();
}

std::vector<const TPropInfo*> GetPropList(const TObject* object) {
  std::vector<const TPropInfo*> list;
  WalkChain(object, [&](const ClassEntry& entry) {
    for (const auto& p : entry.props) {
      const bool hidden = std::any_of(list.begin(), list.end(), [&](const TPropInfo* seen) {
        return SameText(seen->Name, p->Name);
      });
      if (!hidden) list.push_back(p.get());
    }
  });
  std::stable_sort(list.begin(), list.end(), [](const TPropInfo* a, const TPropInfo* b) {
    return CompareText(a->Name, b->Name) < 0;
  });
  return list;
}

const TPropInfo* GetPropInfo(const TObject* object, const std::string& name) {
  return FindByName(object, name);
}

long long GetOrdProp(TObject* object, const TPropInfo* prop) {
  if (!prop->GetOrd) WrongKind(prop);
  return prop->GetOrd(object);
}

void SetOrdProp(TObject* object, const TPropInfo* prop, long long value) {
  if (!prop->GetOrd) WrongKind(prop);
  if (!prop->SetOrd) ReadOnly(prop);
  prop->SetOrd(object, value);
}

std::string GetStrProp(TObject* object, const TPropInfo* prop) {
  if (!prop->GetStr) WrongKind(prop);
  return prop->GetStr(object);
}

void SetStrProp(TObject* object, const TPropInfo* prop, const std::string& value) {
  if (!prop->GetStr) WrongKind(prop);
  if (!prop->SetStr) ReadOnly(prop);
  prop->SetStr(object, value);
}

double GetFloatProp(TObject* object, const TPropInfo* prop) {
  if (!prop->GetFloat) WrongKind(prop);
  return prop->GetFloat(object);
}

void SetFloatProp(TObject* object, const TPropInfo* prop, double value) {
  if (!prop->GetFloat) WrongKind(prop);
  if (!prop->SetFloat) ReadOnly(prop);
  prop->SetFloat(object, value);
}

TObject* GetObjectProp(TObject* object, const TPropInfo* prop) {
  if (!prop->GetObj) WrongKind(prop);
  return prop->GetObj(object);
}

void SetObjectProp(TObject* object, const TPropInfo* prop, TObject* value) {
  if (!prop->GetObj) WrongKind(prop);
  if (!prop->SetObj) ReadOnly(prop);
  prop->SetObj(object, value);
}

long long GetOrdProp(TObject* object, const std::string& name) {
  return GetOrdProp(object, Require(object, name));
}
void SetOrdProp(TObject* object, const std::string& name, long long value) {
  SetOrdProp(object, Require(object, name), value);
}
std::string GetStrProp(TObject* object, const std::string& name) {
  return GetStrProp(object, Require(object, name));
}
void SetStrProp(TObject* object, const std::string& name, const std::string& value) {
  SetStrProp(object, Require(object, name), value);
}
double GetFloatProp(TObject* object, const std::string& name) {
  return GetFloatProp(object, Require(object, name));
}
void SetFloatProp(TObject* object, const std::string& name, double value) {
  SetFloatProp(object, Require(object, name), value);
}

std::string GetEnumName(const TPropInfo* prop, long long value) {
  if (value < 0 || value >= static_cast<long long>(prop->EnumNames.size())) return std::string();
  return prop->EnumNames[static_cast<size_t>(value)];
}

int GetEnumValue(const TPropInfo* prop, const std::string& name) {
  for (size_t i = 0; i < prop->EnumNames.size(); ++i)
    if (SameText(prop->EnumNames[i], name)) return static_cast<int>(i);
  return -1;
}

std::string PropValueToText(TObject* object, const TPropInfo* prop) {
  switch (prop->Kind) {
    case TTypeKind::tkInteger: {
      const long long value = GetOrdProp(object, prop);
      std::string name;
      if (SameText(prop->TypeName, "TColor")) {
        ColorToIdent(static_cast<TColor>(value), name);
        return name;
      }
      if (SameText(prop->TypeName, "TCursor")) {
        CursorToIdent(static_cast<int>(value), name);
        return name;
      }
      return IntToStr(value);
    }
    case TTypeKind::tkChar: {
      // A #0 character would end the stored text anyway; it counts as empty.
      const long long value = GetOrdProp(object, prop);
      return value == 0 ? std::string() : std::string(1, static_cast<char>(value));
    }
    case TTypeKind::tkEnumeration:
      if (SameText(prop->TypeName, "Boolean")) return GetOrdProp(object, prop) ? "TRUE" : "FALSE";
      return std::string();
    case TTypeKind::tkString:
    case TTypeKind::tkLString:
      return GetStrProp(object, prop);
    case TTypeKind::tkFloat:
    case TTypeKind::tkClass:
    case TTypeKind::tkMethod:
    case TTypeKind::tkSet:
      break;
  }
  return std::string();
}

void TextToPropValue(TObject* object, const TPropInfo* prop, const std::string& text) {
  if (text.empty()) return;
  switch (prop->Kind) {
    case TTypeKind::tkInteger: {
      if (SameText(prop->TypeName, "TColor")) {
        TColor color = 0;
        if (IdentToColor(text, color)) return SetOrdProp(object, prop, color);
      } else if (SameText(prop->TypeName, "TCursor")) {
        int cursor = 0;
        if (IdentToCursor(text, cursor)) return SetOrdProp(object, prop, cursor);
      }
      // Converted before anything is set, so a bad text leaves the value alone.
      const int value = StrToInt(text);
      SetOrdProp(object, prop, value);
      return;
    }
    case TTypeKind::tkChar:
      SetOrdProp(object, prop, static_cast<unsigned char>(text[0]));
      return;
    case TTypeKind::tkEnumeration:
      if (!SameText(prop->TypeName, "Boolean")) return;
      // Letter case counts: "true" is not a stored Boolean.
      if (text == "TRUE")
        SetOrdProp(object, prop, 1);
      else if (text == "FALSE")
        SetOrdProp(object, prop, 0);
      return;
    case TTypeKind::tkString:
    case TTypeKind::tkLString:
      SetStrProp(object, prop, text);
      return;
    case TTypeKind::tkFloat:
    case TTypeKind::tkClass:
    case TTypeKind::tkMethod:
    case TTypeKind::tkSet:
      return;
  }
}

// Every component publishes its name and tag.
static const auto componentRegistrar =
    PropertyRegistrar<TComponent>()
        .String("Name", &TComponent::Name, &TComponent::SetName, "TComponentName")
        .Integer("Tag", &TComponent::Tag, [](TComponent& c, int v) { c.Tag = v; });

}  // namespace qv
