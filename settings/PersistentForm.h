#pragma once
// TPersistentForm: a form that remembers its placement and selected control values
// between runs. It reads them while it is created and writes them when it is freed,
// into an ini file beside the executable (or, if a descendant asks, the registry).
//
// C++ cannot reach a descendant's virtual functions from a base constructor, so
// creation has two phases. A descendant's constructor hands its design to
// LoadPersistentDesign, which runs the descendant's InitPersistentPropNames, loads
// the design (the usual form creation, OnCreate included) and then reads the store:
//
//   TSettingsDialog::TSettingsDialog(TComponent* owner) : TPersistentForm(owner) {
//     LoadPersistentDesign([this] { ApplyFormDesign(); });
//   }
//
// The store is written in BeforeDestruction, so the form must go through Free (as
// the owner's and the application's teardown does), not a bare delete.

#include <functional>
#include <memory>
#include <string>

#include "framework/Forms.h"
#include "framework/Strings.h"

namespace qv {

// Where a persistent form keeps its values while the store is open: one ini
// section, or one registry key. Names are keys within it ("Top",
// "ComboBox1.Text"). A write the system refuses raises an exception.
class TFormStore {
 public:
  virtual ~TFormStore() = default;
  virtual int ReadInteger(const std::string& name, int fallback) = 0;
  virtual std::string ReadString(const std::string& name, const std::string& fallback) = 0;
  virtual void WriteInteger(const std::string& name, int value) = 0;
  virtual void WriteString(const std::string& name, const std::string& value) = 0;
};

class TPersistentForm : public TForm {
  QV_CLASS(TPersistentForm)
 public:
  explicit TPersistentForm(TComponent* owner);
  ~TPersistentForm() override;

  // In ini mode the ini file's full path, filled in at creation unless a descendant
  // set it first (in InitPersistentPropNames); empty means nothing is written at
  // destruction. In registry mode the key below HKEY_CURRENT_USER that holds one
  // sub-key per form ("Software\" + title by default).
  std::string StoreName;
  // The folder of the ini file when StoreName is not set: the executable's unless the
  // program keeps its files elsewhere (set at start, before any form; empty resets).
  static void SetIniFolder(std::string folder);
  static std::string IniFolder();
  // The ini section (the registry sub-key): the form's Name.
  std::string SectionName;
  // False selects the registry; only an InitPersistentPropNames override can set it
  // in time.
  bool UseIniFile = true;
  // Property names to keep, sorted, letter case ignored: a bare name applies to
  // every component class, "TClass.Prop" only to that class.
  TStringList PersistentPropNames;

  // Writes / reads the kept property values of every owned component through the
  // open store; without an open store they do nothing.
  virtual void SaveComponentValues();
  virtual void LoadComponentValues();
  virtual bool IsPersistentProperty(const std::string& className,
                                    const std::string& propName) const;
  // Whether a component's values are kept at all; a descendant says no for a
  // control whose value lives elsewhere.
  virtual bool KeepsValuesOf(const TComponent&) const { return true; }
  // Adds the default names "Text", "Checked", "Position", "InitialDir", "FileName".
  // Runs before the design is loaded; a descendant may add names, set StoreName or
  // clear UseIniFile.
  virtual void InitPersistentPropNames();

  // Writes the store (a refused write raises "Unable to write to %s" from the ini
  // layer; the components are freed all the same), then the form's own teardown.
  void BeforeDestruction() override;

 protected:
  // The second creation phase; see the top of this file.
  void LoadPersistentDesign(const std::function<void()>& design);
  // The store while creation reads or destruction writes it, else null.
  TFormStore* Store() const { return store_.get(); }

 private:
  void ReadStore();
  void WriteStore();
  // Opens the store for this form; for reading, a registry key that does not exist
  // yet gives null.
  std::unique_ptr<TFormStore> OpenStore(bool forWriting) const;

  std::unique_ptr<TFormStore> store_;
  bool written_ = false;
};

}  // namespace qv
