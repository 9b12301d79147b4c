#pragma once
// The published-property registry: each class lists the properties a form design
// may set and the persistent form may store, with typed accessors, and inherits
// the lists of its ancestors. Plus the text forms in which stored values are kept.
//
// Registering, from the class's own .cpp file (a file the program links anyway, so
// the static object's initialiser is not dropped with an unused library member):
//
//   static const auto registrar = qv::PropertyRegistrar<TCheckBox, TWinControl>()
//       .Boolean("Checked", &TCheckBox::Checked, &TCheckBox::SetChecked)
//       .Color("Color", &TCheckBox::Color, &TCheckBox::SetColor)
//       .String("Caption", &TCheckBox::Caption, &TCheckBox::SetCaption);
//
// Getters are anything std::invoke can call with the object (a member function, a
// data member pointer or a lambda taking T&); setters take the object and a value
// of the getter's type, or are nullptr for a read-only property.

#include <functional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "framework/Component.h"
#include "framework/SysUtils.h"

namespace qv {

enum class TTypeKind {
  tkInteger,
  tkChar,
  tkEnumeration,
  tkFloat,
  tkString,
  tkLString,
  tkClass,
  tkMethod,
  tkSet
};

// An unknown property, a property read or written as the wrong kind, or a write to
// a read-only one.
class EPropertyError : public Exception {
 public:
  explicit EPropertyError(const std::string& message) : Exception(message) {}
};

struct TPropInfo {
  std::string Name;
  TTypeKind Kind = TTypeKind::tkInteger;
  // "Integer", "TColor", "TCursor", "TShortCut", "Boolean", "Char", "string", ...
  std::string TypeName;
  // Value names of an enumeration, by ordinal ("False", "True" for Boolean), or the
  // element names of a set, by bit.
  std::vector<std::string> EnumNames;

  // Integer, character, enumeration and set kinds.
  std::function<long long(TObject*)> GetOrd;
  std::function<void(TObject*, long long)> SetOrd;
  // String kinds.
  std::function<std::string(TObject*)> GetStr;
  std::function<void(TObject*, const std::string&)> SetStr;
  // Floating point.
  std::function<double(TObject*)> GetFloat;
  std::function<void(TObject*, double)> SetFloat;
  // Class kind.
  std::function<TObject*(TObject*)> GetObj;
  std::function<void(TObject*, TObject*)> SetObj;
  // Method (event) properties carry no accessors here: they are listed so that the
  // walk sees every published name, and are set through the component itself.
};

// Declares a class and its parent by name (parentClassName null or "" for a root).
// isInstance, when given, lets an object whose own class was never registered be
// described by the nearest registered class it derives from. Registering twice
// keeps the latest parent.
void RegisterPublishedClass(const char* className, const char* parentClassName,
                            bool (*isInstance)(const TObject*) = nullptr);
// Adds (or, when the class already has a property of that name, replaces) a
// property of a class. The returned pointer stays valid for the program's life.
const TPropInfo* RegisterProperty(const char* className, TPropInfo info);

// All published properties of the object's class and its ancestors, a redeclared
// one only once (the descendant's), sorted by name with letter case ignored.
std::vector<const TPropInfo*> GetPropList(const TObject* object);
// The property of that name (letter case ignored), or null.
const TPropInfo* GetPropInfo(const TObject* object, const std::string& name);

long long GetOrdProp(TObject* object, const TPropInfo* prop);
void SetOrdProp(TObject* object, const TPropInfo* prop, long long value);
std::string GetStrProp(TObject* object, const TPropInfo* prop);
void SetStrProp(TObject* object, const TPropInfo* prop, const std::string& value);
double GetFloatProp(TObject* object, const TPropInfo* prop);
void SetFloatProp(TObject* object, const TPropInfo* prop, double value);
TObject* GetObjectProp(TObject* object, const TPropInfo* prop);
void SetObjectProp(TObject* object, const TPropInfo* prop, TObject* value);

// By name; an unknown name raises EPropertyError.
long long GetOrdProp(TObject* object, const std::string& name);
void SetOrdProp(TObject* object, const std::string& name, long long value);
std::string GetStrProp(TObject* object, const std::string& name);
void SetStrProp(TObject* object, const std::string& name, const std::string& value);
double GetFloatProp(TObject* object, const std::string& name);
void SetFloatProp(TObject* object, const std::string& name, double value);

// Value name of an enumeration ordinal ("" when out of range), and the ordinal of a
// value name (letter case ignored; -1 when unknown).
std::string GetEnumName(const TPropInfo* prop, long long value);
int GetEnumValue(const TPropInfo* prop, const std::string& name);

// The stored-text form of a property value, "" when the property is not written:
// colours and cursors by name only, other integers in decimal, a character as
// itself, Boolean as "TRUE" / "FALSE", strings unchanged; other enumerations,
// floats, sets, classes and events not at all.
std::string PropValueToText(TObject* object, const TPropInfo* prop);
// The reverse. An empty text changes nothing; Boolean takes exactly "TRUE" or
// "FALSE"; a bad integer raises EConvertError with the property unchanged.
void TextToPropValue(TObject* object, const TPropInfo* prop, const std::string& text);

// Typed registration for class T whose published parent is Parent (void for none).
template <class T, class Parent = void>
class PropertyRegistrar {
 public:
  PropertyRegistrar() { RegisterPublishedClass(T::StaticClassName, ParentName(), &IsInstance); }

  template <class G, class S>
  PropertyRegistrar& Integer(const char* name, G get, S set, const char* typeName = "Integer") {
    return Ordinal(name, TTypeKind::tkInteger, typeName, {}, get, set);
  }
  template <class G, class S>
  PropertyRegistrar& Color(const char* name, G get, S set) {
    return Integer(name, get, set, "TColor");
  }
  template <class G, class S>
  PropertyRegistrar& Cursor(const char* name, G get, S set) {
    return Integer(name, get, set, "TCursor");
  }
  template <class G, class S>
  PropertyRegistrar& ShortCut(const char* name, G get, S set) {
    return Integer(name, get, set, "TShortCut");
  }
  template <class G, class S>
  PropertyRegistrar& Char(const char* name, G get, S set) {
    return Ordinal(name, TTypeKind::tkChar, "Char", {}, get, set);
  }
  template <class G, class S>
  PropertyRegistrar& Boolean(const char* name, G get, S set) {
    return Ordinal(name, TTypeKind::tkEnumeration, "Boolean", {"False", "True"}, get, set);
  }
  // An enumeration whose ordinals are 0, 1, ... in the order of valueNames.
  template <class G, class S>
  PropertyRegistrar& Enumeration(const char* name, const char* typeName,
                                 std::vector<std::string> valueNames, G get, S set) {
    return Ordinal(name, TTypeKind::tkEnumeration, typeName, std::move(valueNames), get, set);
  }
  // A set kept as a bit mask, bit i standing for elementNames[i].
  template <class G, class S>
  PropertyRegistrar& Set(const char* name, const char* typeName,
                         std::vector<std::string> elementNames, G get, S set) {
    return Ordinal(name, TTypeKind::tkSet, typeName, std::move(elementNames), get, set);
  }
  template <class G, class S>
  PropertyRegistrar& Float(const char* name, G get, S set, const char* typeName = "Double") {
    TPropInfo p = Make(name, TTypeKind::tkFloat, typeName);
    p.GetFloat = [get](TObject* o) { return static_cast<double>(std::invoke(get, Self(o))); };
    if constexpr (!std::is_null_pointer_v<S>) {
      using V = ValueOf<G>;
      p.SetFloat = [set](TObject* o, double v) { std::invoke(set, Self(o), static_cast<V>(v)); };
    }
    RegisterProperty(T::StaticClassName, std::move(p));
    return *this;
  }
  // tkLString by default; pass tkString for a short string.
  template <class G, class S>
  PropertyRegistrar& String(const char* name, G get, S set, const char* typeName = "string",
                            TTypeKind kind = TTypeKind::tkLString) {
    TPropInfo p = Make(name, kind, typeName);
    p.GetStr = [get](TObject* o) { return std::string(std::invoke(get, Self(o))); };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetStr = [set](TObject* o, const std::string& v) { std::invoke(set, Self(o), v); };
    RegisterProperty(T::StaticClassName, std::move(p));
    return *this;
  }
  // A reference to another object; the getter returns, and the setter takes, a
  // pointer to some TObject descendant.
  template <class G, class S>
  PropertyRegistrar& Object(const char* name, const char* typeName, G get, S set) {
    TPropInfo p = Make(name, TTypeKind::tkClass, typeName);
    p.GetObj = [get](TObject* o) -> TObject* { return std::invoke(get, Self(o)); };
    if constexpr (!std::is_null_pointer_v<S>) {
      using V = ValueOf<G>;
      p.SetObj = [set, name = std::string(name)](TObject* o, TObject* v) {
        V typed = dynamic_cast<V>(v);
        if (v && !typed) throw EPropertyError("Invalid class for property " + name);
        std::invoke(set, Self(o), typed);
      };
    }
    RegisterProperty(T::StaticClassName, std::move(p));
    return *this;
  }
  PropertyRegistrar& Event(const char* name, const char* typeName = "TNotifyEvent") {
    RegisterProperty(T::StaticClassName, Make(name, TTypeKind::tkMethod, typeName));
    return *this;
  }

 private:
  template <class G>
  using ValueOf = std::decay_t<std::invoke_result_t<G, T&>>;

  static T& Self(TObject* o) { return static_cast<T&>(*o); }
  static bool IsInstance(const TObject* o) { return dynamic_cast<const T*>(o) != nullptr; }
  static const char* ParentName() {
    if constexpr (std::is_void_v<Parent>)
      return nullptr;
    else
      return Parent::StaticClassName;
  }
  static TPropInfo Make(const char* name, TTypeKind kind, const char* typeName) {
    TPropInfo p;
    p.Name = name;
    p.Kind = kind;
    p.TypeName = typeName;
    return p;
  }

  template <class G, class S>
  PropertyRegistrar& Ordinal(const char* name, TTypeKind kind, const char* typeName,
                             std::vector<std::string> names, G get, S set) {
    using V = ValueOf<G>;
    TPropInfo p = Make(name, kind, typeName);
    p.EnumNames = std::move(names);
    p.GetOrd = [get](TObject* o) -> long long {
      const V v = std::invoke(get, Self(o));
      // Characters count from 0 to 255 whatever the signedness of char.
      if constexpr (std::is_same_v<V, char>)
        return static_cast<unsigned char>(v);
      else
        return static_cast<long long>(v);
    };
    if constexpr (!std::is_null_pointer_v<S>)
      p.SetOrd = [set](TObject* o, long long v) { std::invoke(set, Self(o), static_cast<V>(v)); };
    RegisterProperty(T::StaticClassName, std::move(p));
    return *this;
  }
};

}  // namespace qv
