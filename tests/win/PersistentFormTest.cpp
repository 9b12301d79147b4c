// The persistent form against real files (and the registry) under Wine: what is
// written at destruction, what comes back at the next creation, and when.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/Colors.h"
#include "framework/IniFiles.h"
#include "framework/Strings.h"
#include "framework/TypInfo.h"
#include "settings/PersistentForm.h"
#include "tests/win/WinTestSupport.h"

namespace qv {
namespace {

// Stand-ins for the dialog's controls: plain components with published properties.
class TTestCombo : public TComponent {
  QV_CLASS(TTestCombo)
 public:
  using TComponent::TComponent;
  std::string Text;
  int Tag2 = 0;
  TColor Color = clWindow;
};

class TTestCheck : public TComponent {
  QV_CLASS(TTestCheck)
 public:
  using TComponent::TComponent;
  bool Checked() const { return checked_; }
  // Like a real check box: a change of state raises the click.
  void SetChecked(bool value) {
    if (value == checked_) return;
    checked_ = value;
    OnClick(this);
  }
  TNotifyEvent OnClick;

 private:
  bool checked_ = false;
};

class TTestSpin : public TComponent {
  QV_CLASS(TTestSpin)
 public:
  using TComponent::TComponent;
  int Position = 0;
  int Tag2 = 0;
  double Ratio = 0.5;
  int Alignment = 0;
};

const auto comboRegistrar =
    PropertyRegistrar<TTestCombo, TComponent>()
        .String("Text", &TTestCombo::Text, [](TTestCombo& c, const std::string& v) { c.Text = v; })
        .Integer("Tag2", &TTestCombo::Tag2, [](TTestCombo& c, int v) { c.Tag2 = v; })
        .Color("Color", &TTestCombo::Color, [](TTestCombo& c, TColor v) { c.Color = v; })
        .Event("OnChange");
const auto checkRegistrar = PropertyRegistrar<TTestCheck, TComponent>()
                                .Boolean("Checked", &TTestCheck::Checked, &TTestCheck::SetChecked)
                                .Event("OnClick");
const auto spinRegistrar =
    PropertyRegistrar<TTestSpin, TComponent>()
        .Integer("Position", &TTestSpin::Position, [](TTestSpin& s, int v) { s.Position = v; })
        .Integer("Tag2", &TTestSpin::Tag2, [](TTestSpin& s, int v) { s.Tag2 = v; })
        .Float("Ratio", &TTestSpin::Ratio, [](TTestSpin& s, double v) { s.Ratio = v; })
        .Enumeration("Alignment", "TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"},
                     &TTestSpin::Alignment, [](TTestSpin& s, int v) { s.Alignment = v; });

struct FormOptions {
  std::vector<std::string> extraNames;
  std::string storeName;
  bool registry = false;
};

FormOptions WithNames(std::vector<std::string> names) {
  FormOptions o;
  o.extraNames = std::move(names);
  return o;
}

FormOptions AtStore(std::string storeName, bool registry = false) {
  FormOptions o;
  o.storeName = std::move(storeName);
  o.registry = registry;
  return o;
}

// Built like the Settings dialog: named "Form2", two combos, two check boxes, plus a
// spin with kinds that are never stored.
class TTestForm : public TPersistentForm {
  QV_CLASS(TTestForm)
 public:
  explicit TTestForm(TComponent* owner, FormOptions options = {})
      : TPersistentForm(owner), options_(std::move(options)) {
    LoadPersistentDesign([this] { Design(); });
  }

  TTestCombo* HotKeyChoice = nullptr;
  TTestCombo* PasteDelayChoice = nullptr;
  TTestCheck* AutoSaveBox = nullptr;
  TTestCheck* SuppressBox = nullptr;
  TTestSpin* Spin1 = nullptr;

  int componentsAtInit = -1;
  std::string comboTextAtCreate;
  int check2Clicks = 0;

  void InitPersistentPropNames() override {
    componentsAtInit = ComponentCount();
    TPersistentForm::InitPersistentPropNames();
    for (const std::string& name : options_.extraNames) PersistentPropNames.Add(name);
    if (!options_.storeName.empty()) StoreName = options_.storeName;
    if (options_.registry) UseIniFile = false;
  }

  void FormCreate(TObject*) { comboTextAtCreate = HotKeyChoice->Text; }
  void SuppressClick(TObject*) { ++check2Clicks; }

 private:
  void Design() {
    SetName("Form2");
    SetBounds(100, 120, 240, 190);
    OnCreate = TNotifyEvent::Of<&TTestForm::FormCreate>(this);
    HotKeyChoice = Make<TTestCombo>("ComboBox1");
    HotKeyChoice->Text = "Ctrl+Alt+Down";
    HotKeyChoice->Tag2 = 5;
    PasteDelayChoice = Make<TTestCombo>("ComboBox2");
    PasteDelayChoice->Text = "200";
    AutoSaveBox = Make<TTestCheck>("CheckBox1");
    AutoSaveBox->SetChecked(true);
    SuppressBox = Make<TTestCheck>("CheckBox2");
    SuppressBox->OnClick = TNotifyEvent::Of<&TTestForm::SuppressClick>(this);
    Spin1 = Make<TTestSpin>("Spin1");
    Spin1->Position = 3;
    Spin1->Tag2 = 9;
  }
  template <class T>
  T* Make(const char* name) {
    T* c = new T(this);
    c->SetName(name);
    return c;
  }

  FormOptions options_;
};

class PersistentForm : public ::testing::Test {
 protected:
  PersistentForm() : app(std::make_unique<TApplication>()) {
    app->SetExeName(folder.File("qvavad.exe"));
  }

  TTestForm* Create(FormOptions options = {}) { return new TTestForm(app.get(), options); }
  std::string IniPath() const { return folder.File(app->Title() + ".ini"); }
  // The keys of the form's section, in file order.
  std::vector<std::string> Keys(const std::string& path) const {
    TStringList keys;
    TIniFile(path).ReadSection("Form2", keys);
    std::vector<std::string> out;
    for (int i = 0; i < keys.Count(); ++i) out.push_back(keys[i]);
    return out;
  }
  std::string Stored(const std::string& key) const {
    return TIniFile(IniPath()).ReadString("Form2", key, "<none>");
  }
  void Store(const std::string& lines) { folder.Write("qvavad.ini", "[Form2]\r\n" + lines); }

  test::ScratchFolder folder;
  test::PromptRecorder prompts;
  std::unique_ptr<TApplication> app;
};

TEST_F(PersistentForm, MissingFileGivesDesignAndSectionHoldsExactlyTheKeptKeys) {
  ASSERT_EQ(app->Title(), "qvavad");
  TTestForm* form = Create();
  // The descendant's list was filled before any component existed.
  EXPECT_EQ(form->componentsAtInit, 0);
  EXPECT_EQ(form->StoreName, IniPath());
  EXPECT_EQ(form->SectionName, "Form2");
  EXPECT_EQ(form->Top(), 120);
  EXPECT_EQ(form->Left(), 100);
  EXPECT_EQ(form->HotKeyChoice->Text, "Ctrl+Alt+Down");
  EXPECT_TRUE(form->AutoSaveBox->Checked());
  EXPECT_FALSE(form->SuppressBox->Checked());
  EXPECT_EQ(form->check2Clicks, 0);
  // Nothing is written while the form lives.
  EXPECT_FALSE(folder.Exists("qvavad.ini"));

  form->Free();
  const std::vector<std::string> expected{"Top",
                                          "Left",
                                          "Width",
                                          "Height",
                                          "ComboBox1.Text",
                                          "ComboBox2.Text",
                                          "CheckBox1.Checked",
                                          "CheckBox2.Checked",
                                          "Spin1.Position"};
  EXPECT_EQ(Keys(IniPath()), expected);
  EXPECT_EQ(Stored("Top"), "120");
  EXPECT_EQ(Stored("Width"), "240");
  EXPECT_EQ(Stored("CheckBox1.Checked"), "TRUE");
  EXPECT_EQ(Stored("CheckBox2.Checked"), "FALSE");
  EXPECT_TRUE(prompts.asked.empty());
}

TEST_F(PersistentForm, ValuesComeBackAtTheNextCreation) {
  TTestForm* form = Create();
  form->SetBounds(30, 40, 300, 210);
  form->HotKeyChoice->Text = "F12";
  form->PasteDelayChoice->Text = "5000";
  form->AutoSaveBox->SetChecked(false);
  form->Spin1->Position = 8;
  form->Free();

  form = Create();
  // OnCreate belongs to the design step and still sees the design's values.
  EXPECT_EQ(form->comboTextAtCreate, "Ctrl+Alt+Down");
  EXPECT_EQ(form->Left(), 30);
  EXPECT_EQ(form->Top(), 40);
  EXPECT_EQ(form->Width(), 300);
  EXPECT_EQ(form->Height(), 210);
  EXPECT_EQ(form->HotKeyChoice->Text, "F12");
  EXPECT_EQ(form->PasteDelayChoice->Text, "5000");
  EXPECT_FALSE(form->AutoSaveBox->Checked());
  EXPECT_EQ(form->Spin1->Position, 8);
  // Not in the list: the design's value.
  EXPECT_EQ(form->HotKeyChoice->Tag2, 5);
  form->Free();
}

// Stored as 96-DPI lengths, so the file means the same on a screen of any DPI.
TEST_F(PersistentForm, PlacementIsStoredAtNinetySixDpi) {
  TTestForm* form = Create();
  form->ChangeScale(144);
  form->SetBounds(150, 180, 360, 285);
  form->Free();
  EXPECT_EQ(Stored("Left"), "100");
  EXPECT_EQ(Stored("Top"), "120");
  EXPECT_EQ(Stored("Width"), "240");
  EXPECT_EQ(Stored("Height"), "190");
}

TEST_F(PersistentForm, ZeroOrNonNumericPlacementCountsAsAbsent) {
  Store("Top=0\r\nLeft=0\r\nWidth=0x12C\r\nHeight=tall\r\n");
  TTestForm* form = Create();
  EXPECT_EQ(form->Top(), 120);
  EXPECT_EQ(form->Left(), 100);
  EXPECT_EQ(form->Width(), 300);
  EXPECT_EQ(form->Height(), 190);
  form->Free();
  // The form's actual placement replaces what was there.
  EXPECT_EQ(Stored("Top"), "120");
  EXPECT_EQ(Stored("Width"), "300");
  EXPECT_EQ(Stored("Height"), "190");
}

TEST_F(PersistentForm, EmptiedTextKeepsTheOneStoredBefore) {
  Store("ComboBox1.Text=F12\r\n");
  TTestForm* form = Create();
  ASSERT_EQ(form->HotKeyChoice->Text, "F12");
  form->HotKeyChoice->Text.clear();
  form->Free();
  EXPECT_EQ(Stored("ComboBox1.Text"), "F12");

  form = Create();
  EXPECT_EQ(form->HotKeyChoice->Text, "F12");
  form->Free();
}

TEST_F(PersistentForm, CheckStatesNeedExactCapitalsAndClickWhileCreating) {
  Store("CheckBox1.Checked=false\r\nCheckBox2.Checked=TRUE\r\n");
  TTestForm* form = Create();
  EXPECT_TRUE(form->AutoSaveBox->Checked());
  EXPECT_TRUE(form->SuppressBox->Checked());
  // Raised by the restore itself, before the constructor returned.
  EXPECT_EQ(form->check2Clicks, 1);
  form->Free();

  Store("CheckBox2.Checked=true\r\n");
  form = Create();
  EXPECT_FALSE(form->SuppressBox->Checked());
  EXPECT_EQ(form->check2Clicks, 0);
  form->Free();
}

TEST_F(PersistentForm, ListLookupsIgnoreLetterCase) {
  TTestForm* form = Create(WithNames({"tag2"}));
  EXPECT_TRUE(form->IsPersistentProperty("TAnything", "TAG2"));
  EXPECT_TRUE(form->IsPersistentProperty("TAnything", "text"));
  EXPECT_FALSE(form->IsPersistentProperty("TAnything", "Tag"));
  form->HotKeyChoice->Tag2 = 6;
  form->Free();
  // The key is spelled as the property is, whatever the list entry's spelling.
  EXPECT_EQ(Stored("ComboBox1.Tag2"), "6");
  EXPECT_EQ(Stored("Spin1.Tag2"), "9");
}

TEST_F(PersistentForm, ClassQualifiedEntriesApplyToThatClassOnly) {
  // Tag2 is not a number: skipped, and the walk goes on to Text after it.
  Store(
      "ComboBox1.Tag2=abc\r\nComboBox2.Tag2=11\r\nComboBox2.Color=clRed\r\n"
      "Spin1.Tag2=12\r\nSpin1.Ratio=2.5\r\n");
  TTestForm* form =
      Create(WithNames({"TTestCombo.Tag2", "ttestcombo.color", "TTestSpin.Ratio", "Alignment"}));
  EXPECT_EQ(form->HotKeyChoice->Tag2, 5);
  EXPECT_EQ(form->PasteDelayChoice->Tag2, 11);
  EXPECT_EQ(form->PasteDelayChoice->Color, clRed);
  // Stored but not kept for this class.
  EXPECT_EQ(form->Spin1->Tag2, 9);
  // Floats are candidates but have no stored form.
  EXPECT_EQ(form->Spin1->Ratio, 0.5);
  // One of a component's kept values missing from the file: the design's value.
  EXPECT_EQ(form->PasteDelayChoice->Text, "200");

  form->HotKeyChoice->Color = RGBColor(0xE7, 0xE0, 0xAD);  // has no name: not written
  form->Free();
  const std::vector<std::string> expected{"ComboBox1.Tag2",
                                          "ComboBox2.Tag2",
                                          "ComboBox2.Color",
                                          "Spin1.Tag2",
                                          "Spin1.Ratio",
                                          "Top",
                                          "Left",
                                          "Width",
                                          "Height",
                                          "ComboBox1.Text",
                                          "ComboBox2.Text",
                                          "CheckBox1.Checked",
                                          "CheckBox2.Checked",
                                          "Spin1.Position"};
  EXPECT_EQ(Keys(IniPath()), expected);
  EXPECT_EQ(Stored("ComboBox1.Tag2"), "5");
  EXPECT_EQ(Stored("ComboBox2.Color"), "clRed");
  // What is not kept is left as the file had it.
  EXPECT_EQ(Stored("Spin1.Tag2"), "12");
}

TEST_F(PersistentForm, EmptyTitleShowsTheMessageAndWritesNothing) {
  app->SetTitle("");
  TTestForm* form = Create();
  ASSERT_EQ(prompts.asked.size(), 1u);
  const std::string& text = prompts.asked[0].Text;
  const std::string first = "TPersistentForm needs an Application.Title.\r";
  EXPECT_EQ(text.substr(0, first.size()), first);
  EXPECT_GT(text.size(), first.size());
  EXPECT_EQ(prompts.asked[0].Buttons, static_cast<unsigned>(mbOK));
  EXPECT_TRUE(form->StoreName.empty());
  EXPECT_EQ(form->Top(), 120);
  form->Free();
  EXPECT_FALSE(folder.Exists(".ini"));
  EXPECT_FALSE(folder.Exists("qvavad.ini"));
}

TEST_F(PersistentForm, StoreNameSetByTheDescendantIsUsed) {
  const std::string other = folder.File("Other.ini");
  TTestForm* form = Create(AtStore(other));
  EXPECT_EQ(form->StoreName, other);
  form->HotKeyChoice->Text = "F9";
  form->Free();
  EXPECT_FALSE(folder.Exists("qvavad.ini"));
  EXPECT_EQ(TIniFile(other).ReadString("Form2", "ComboBox1.Text", ""), "F9");
}

TEST_F(PersistentForm, RefusedWriteRaisesAfterTheComponentsAreFreed) {
  const std::string path = folder.File("no such folder\\qvavad.ini");
  const int owned = app->ComponentCount();
  TTestForm* form = Create(AtStore(path));
  try {
    form->Free();
    ADD_FAILURE() << "the write went through";
  } catch (const EIniFileException& e) {
    EXPECT_EQ(std::string(e.what()),
              WithSystemReason("Unable to write to " + path, ERROR_PATH_NOT_FOUND));
  }
  EXPECT_EQ(form->ComponentCount(), 0);
  // A second Free finishes the form without trying the store again.
  form->Free();
  EXPECT_EQ(app->ComponentCount(), owned);
}

TEST_F(PersistentForm, RegistryVariantRoundTrip) {
  const std::string storeName =
      "Software\\QvPersistentFormTest" + std::to_string(GetCurrentProcessId());
  const std::string key = storeName + "\\Form2";
  // A key that does not exist yet: the design's values, and no key is made.
  TTestForm* form = Create(AtStore(storeName, true));
  HKEY probe = nullptr;
  EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &probe), ERROR_SUCCESS);
  EXPECT_EQ(form->HotKeyChoice->Text, "Ctrl+Alt+Down");
  form->SetBounds(30, 40, 300, 210);
  form->HotKeyChoice->Text = "F12";
  form->SuppressBox->SetChecked(true);
  form->Free();
  EXPECT_FALSE(folder.Exists("qvavad.ini"));

  DWORD top = 0, size = sizeof(top);
  EXPECT_EQ(
      RegGetValueA(HKEY_CURRENT_USER, key.c_str(), "Top", RRF_RT_REG_DWORD, nullptr, &top, &size),
      ERROR_SUCCESS);
  EXPECT_EQ(top, 40u);
  char text[64] = {0};
  size = sizeof(text);
  EXPECT_EQ(RegGetValueA(HKEY_CURRENT_USER, key.c_str(), "ComboBox1.Text", RRF_RT_REG_SZ, nullptr,
                         text, &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(text, "F12");

  form = Create(AtStore(storeName, true));
  EXPECT_EQ(form->Top(), 40);
  EXPECT_EQ(form->Height(), 210);
  EXPECT_EQ(form->HotKeyChoice->Text, "F12");
  EXPECT_TRUE(form->SuppressBox->Checked());
  EXPECT_EQ(form->check2Clicks, 1);
  form->Free();
  RegDeleteTreeA(HKEY_CURRENT_USER, storeName.c_str());
}

}  // namespace
}  // namespace qv
