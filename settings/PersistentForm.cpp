#include "settings/PersistentForm.h"

#include <windows.h>

#include <vector>

#include "framework/Dialogs.h"
#include "framework/Handles.h"
#include "framework/IniFiles.h"
#include "framework/SysUtils.h"
#include "framework/TypInfo.h"
#include "framework/WideText.h"
#include "settings/SettingsRules.h"

namespace qv {

namespace {

// One section of an ini file. The ini object writes the file through on every
// write, so a refused write stops the save at that value.
class TIniFormStore : public TFormStore {
 public:
  TIniFormStore(const std::string& fileName, const std::string& section)
      : ini_(fileName), section_(section) {}
  int ReadInteger(const std::string& name, int fallback) override {
    return ini_.ReadInteger(section_, name, fallback);
  }
  std::string ReadString(const std::string& name, const std::string& fallback) override {
    return ini_.ReadString(section_, name, fallback);
  }
  void WriteInteger(const std::string& name, int value) override {
    ini_.WriteInteger(section_, name, value);
  }
  void WriteString(const std::string& name, const std::string& value) override {
    ini_.WriteString(section_, name, value);
  }

 private:
  TIniFile ini_;
  std::string section_;
};

// One key below HKEY_CURRENT_USER: placement as DWORD values, properties as strings.
class TRegistryFormStore : public TFormStore {
 public:
  TRegistryFormStore(HKEY key, std::string path) : key_(key), path_(std::move(path)) {}

  // Null when the key cannot be opened (for reading: when it does not exist yet).
  static std::unique_ptr<TFormStore> Open(const std::string& path, bool create) {
    HKEY key = nullptr;
    LONG rc;
    // The key's path holds the title, UTF-8 as the executable's name gives it; the
    // values are the controls' ANSI texts.
    const std::wstring widePath = Utf8ToWide(path);
    if (create)
      rc = RegCreateKeyExW(HKEY_CURRENT_USER, widePath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                           KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
    else
      rc = RegOpenKeyExW(HKEY_CURRENT_USER, widePath.c_str(), 0, KEY_READ, &key);
    if (rc != ERROR_SUCCESS) return nullptr;
    return std::make_unique<TRegistryFormStore>(key, path);
  }

  int ReadInteger(const std::string& name, int fallback) override {
    DWORD type = 0, value = 0, size = sizeof(value);
    if (RegQueryValueExA(key_.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value))
      return fallback;
    return static_cast<int>(value);
  }
  std::string ReadString(const std::string& name, const std::string& fallback) override {
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key_.get(), name.c_str(), nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
      return fallback;
    std::vector<char> buffer(size + 1, '\0');
    if (RegQueryValueExA(key_.get(), name.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS)
      return fallback;
    // The stored terminator, if any, is not part of the text.
    return std::string(buffer.data());
  }
  void WriteInteger(const std::string& name, int value) override {
    const DWORD data = static_cast<DWORD>(value);
    Check(RegSetValueExA(key_.get(), name.c_str(), 0, REG_DWORD,
                         reinterpret_cast<const BYTE*>(&data), sizeof(data)));
  }
  void WriteString(const std::string& name, const std::string& value) override {
    Check(RegSetValueExA(key_.get(), name.c_str(), 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(value.c_str()),
                         static_cast<DWORD>(value.size() + 1)));
  }

 private:
  void Check(LONG rc) const {
    if (rc != ERROR_SUCCESS) throw EInOutError(MsgUnableToWrite("HKEY_CURRENT_USER\\" + path_));
  }

  UniqueRegKey key_;
  std::string path_;
};

bool IsCandidateKind(TTypeKind kind) {
  switch (kind) {
    case TTypeKind::tkInteger:
    case TTypeKind::tkChar:
    case TTypeKind::tkEnumeration:
    case TTypeKind::tkFloat:
    case TTypeKind::tkString:
    case TTypeKind::tkLString:
      return true;
    default:
      return false;
  }
}

// Calls visit(component, prop) for every kept property of every owned component,
// in component order and then property-name order.
template <class Visit>
void ForEachKeptProperty(const TPersistentForm& form, Visit visit) {
  // By index, re-reading the count: a setter's click handler may add or free components.
  for (int i = 0; i < form.ComponentCount(); ++i) {
    TComponent* component = form.Components(i);
    if (!form.KeepsValuesOf(*component)) continue;
    for (const TPropInfo* prop : GetPropList(component)) {
      if (IsCandidateKind(prop->Kind) &&
          form.IsPersistentProperty(component->ClassName(), prop->Name))
        visit(component, prop);
    }
  }
}

BOOL CALLBACK AddWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (GetMonitorInfoA(monitor, &info)) {
    const RECT& r = info.rcWork;
    reinterpret_cast<std::vector<TScreenRect>*>(data)->push_back(
        {r.left, r.top, r.right, r.bottom});
  }
  return TRUE;
}

std::vector<TScreenRect> MonitorWorkAreas() {
  std::vector<TScreenRect> areas;
  EnumDisplayMonitors(nullptr, nullptr, AddWorkArea, reinterpret_cast<LPARAM>(&areas));
  return areas;
}

std::string KeyOf(const TComponent* component, const TPropInfo* prop) {
  return component->Name() + "." + prop->Name;
}

// Drops the store when reading or writing ends, also by an error.
class StoreCloser {
 public:
  explicit StoreCloser(std::unique_ptr<TFormStore>& store) : store_(store) {}
  ~StoreCloser() { store_.reset(); }
  StoreCloser(const StoreCloser&) = delete;
  StoreCloser& operator=(const StoreCloser&) = delete;

 private:
  std::unique_ptr<TFormStore>& store_;
};

}  // namespace

TPersistentForm::TPersistentForm(TComponent* owner) : TForm(owner) {
  // Set before any design is loaded, so that InitPersistentPropNames may change them.
  PersistentPropNames.SetSorted(true);
  PersistentPropNames.SetCaseSensitive(false);
  UseIniFile = true;
}

TPersistentForm::~TPersistentForm() = default;

void TPersistentForm::InitPersistentPropNames() {
  for (const char* name : {"Text", "Checked", "Position", "InitialDir", "FileName"})
    PersistentPropNames.Add(name);
  PersistentPropNames.Sort();
}

namespace {
std::string iniFolder;  // empty: the executable's
}  // namespace

void TPersistentForm::SetIniFolder(std::string folder) { iniFolder = std::move(folder); }

std::string TPersistentForm::IniFolder() {
  if (!iniFolder.empty()) return iniFolder;
  return ExtractFilePath(Application ? Application->ExeName() : std::string());
}

bool TPersistentForm::IsPersistentProperty(const std::string& className,
                                           const std::string& propName) const {
  return PersistentPropNames.IndexOf(propName) >= 0 ||
         PersistentPropNames.IndexOf(className + "." + propName) >= 0;
}

void TPersistentForm::LoadPersistentDesign(const std::function<void()>& design) {
  InitPersistentPropNames();
  ApplyDesign(design);
  ReadStore();
}

std::unique_ptr<TFormStore> TPersistentForm::OpenStore(bool forWriting) const {
  if (UseIniFile) return std::make_unique<TIniFormStore>(StoreName, SectionName);
  return TRegistryFormStore::Open(StoreName + "\\" + SectionName, forWriting);
}

void TPersistentForm::ReadStore() {
  if (StoreName.empty()) {
    const std::string title = Application ? Application->Title() : std::string();
    if (title.empty()) {
      ShowMessage(
          "TPersistentForm needs an Application.Title.\r"
          "Set the application's title in the project options (Project, Options, Application).");
      return;
    }
    StoreName = UseIniFile ? IniFolder() + title + ".ini"
                           : "Software\\" + title;
  }
  SectionName = Name();

  int top = 0, left = 0, width = 0, height = 0;
  store_ = OpenStore(false);
  if (store_) {
    StoreCloser closer(store_);
    // Stored at 96 DPI, as Windows showed the placement to the program before it
    // knew of DPI: the file moves between screens of any DPI.
    top = ScaleValue(store_->ReadInteger("Top", 0));
    left = ScaleValue(store_->ReadInteger("Left", 0));
    width = ScaleValue(store_->ReadInteger("Width", 0));
    height = ScaleValue(store_->ReadInteger("Height", 0));
    LoadComponentValues();
  }
  // 0 stands for "not stored": such a value leaves the design's placement. A size
  // below the design's would cut controls off, and a place off every monitor
  // could not be reached: both are ignored too.
  if (width >= Width()) SetWidth(width);
  if (height >= Height()) SetHeight(height);
  if (top == 0 && left == 0) return;
  const int placeTop = top != 0 ? top : Top(), placeLeft = left != 0 ? left : Left();
  if (!IsReachablePlacement({placeLeft, placeTop, placeLeft + Width(), placeTop + Height()},
                            MonitorWorkAreas()))
    return;
  SetTop(placeTop);
  SetLeft(placeLeft);
  // The place the user left it wins over the design's centring.
  Position = TPosition::poDesigned;
}

void TPersistentForm::WriteStore() {
  SectionName = Name();
  store_ = OpenStore(true);
  if (!store_)
    throw EInOutError(MsgUnableToWrite("HKEY_CURRENT_USER\\" + StoreName + "\\" + SectionName));
  StoreCloser closer(store_);
  store_->WriteInteger("Top", ScaleFromDpi(Top(), Dpi()));
  store_->WriteInteger("Left", ScaleFromDpi(Left(), Dpi()));
  store_->WriteInteger("Width", ScaleFromDpi(Width(), Dpi()));
  store_->WriteInteger("Height", ScaleFromDpi(Height(), Dpi()));
  SaveComponentValues();
}

void TPersistentForm::LoadComponentValues() {
  TFormStore* store = Store();
  if (!store) return;
  ForEachKeptProperty(*this, [store](TComponent* component, const TPropInfo* prop) {
    const std::string text = store->ReadString(KeyOf(component, prop), std::string());
    if (text.empty()) return;
    // A value that does not fit its property leaves it alone; the rest still load.
    try {
      TextToPropValue(component, prop, text);
    } catch (const std::exception&) {
      // Left at its design value, as the comment above says.
    }
  });
}

void TPersistentForm::SaveComponentValues() {
  TFormStore* store = Store();
  if (!store) return;
  ForEachKeptProperty(*this, [store](TComponent* component, const TPropInfo* prop) {
    const std::string text = PropValueToText(component, prop);
    // Never written empty, so a text emptied in this run keeps the one stored before.
    if (!text.empty()) store->WriteString(KeyOf(component, prop), text);
  });
}

void TPersistentForm::BeforeDestruction() {
  // Free may reach here again after a refused write; the store is written once.
  if (!written_) {
    written_ = true;
    if (!StoreName.empty()) {
      try {
        WriteStore();
      } catch (...) {
        // The components still go, so a later Free finishes the form cleanly.
        TForm::BeforeDestruction();
        throw;
      }
    }
  }
  TForm::BeforeDestruction();
}

}  // namespace qv
