// The Settings dialog with the main window: stored values applied at the first
// activation, OK, suppressing further clips, and what is written at the end.

#include <gtest/gtest.h>

#include <utility>

#include "framework/ShortCuts.h"
#include "framework/SysUtils.h"
#include "settings/Unit2.h"
#include "tests/win/MainWindowFixture.h"

namespace qv {
namespace {

class Settings : public test::MainWindowFixture {
 protected:
  void StartBoth(const std::string& ini = "") {
    if (!ini.empty()) folder.Write("qvavad.ini", ini);
    folder.Write("Lb1.qvl", "");
    folder.Write("vqclips.qvl", "");
    Start();
    dialog = app->CreateForm<TForm2>();
  }
  void FirstActivation() {
    form->Show();
    test::Pump();
  }
  TForm2* dialog = nullptr;
};

TEST_F(Settings, WithoutAnIniFileTheDesignValuesApply) {
  StartBoth();
  FirstActivation();
  EXPECT_EQ(form->GlobalHotKey1->Key(), 49192);
  EXPECT_EQ(PasteDelay, 100);
  EXPECT_EQ(form->Timer2->Interval(), 0u);
  EXPECT_EQ(dialog->Caption(), "Settings");
  EXPECT_EQ(dialog->ComboBox1->Items().Count(), 16);
}

TEST_F(Settings, StoredValuesTakeEffectAtTheFirstActivation) {
  StartBoth("[Form2]\r\nComboBox1.Text=F12\r\nComboBox2.Text=250\r\nCheckBox1.Checked=TRUE\r\n");
  EXPECT_EQ(dialog->ComboBox1->Text(), "F12");
  FirstActivation();
  EXPECT_EQ(form->GlobalHotKey1->Key(), 123);
  EXPECT_EQ(PasteDelay, 250);
  EXPECT_EQ(form->Timer2->Interval(), AutoSaveInterval);
}

TEST_F(Settings, AStoredSuppressionStartsWithCaptureOffAndTheCommandsGreyed) {
  StartBoth("[Form2]\r\nCheckBox2.Checked=TRUE\r\n");
  EXPECT_TRUE(dialog->CheckBox2->Checked());
  EXPECT_FALSE(form->Caching1->Checked());
  EXPECT_FALSE(form->Caching1->Enabled());
  EXPECT_FALSE(form->SaveClips1->Enabled());
  EXPECT_FALSE(form->ClearClips1->Enabled());
  EXPECT_FALSE(dialog->CheckBox1->Enabled());
  // A double click on the tray icon changes nothing while saving is suppressed.
  form->QvTrayIcon1DblClick(nullptr);
  EXPECT_FALSE(form->Caching1->Checked());
}

TEST_F(Settings, OkAppliesTheHotKeyTheDelayAndAutoSave) {
  StartBoth();
  FirstActivation();
  dialog->ComboBox1->SetText("F12");
  dialog->ComboBox2->SetText("5000");
  dialog->CheckBox1->SetChecked(true);
  dialog->BitBtn1Click(nullptr);
  EXPECT_EQ(form->GlobalHotKey1->Key(), 123);
  EXPECT_EQ(PasteDelay, 5000);
  EXPECT_EQ(form->Timer2->Interval(), AutoSaveInterval);
}

TEST_F(Settings, ABadDelayRefusesOkBeforeAnythingIsApplied) {
  StartBoth();
  FirstActivation();
  dialog->ComboBox1->SetText("F9");
  dialog->ComboBox2->SetText("soon");
  dialog->CheckBox1->SetChecked(true);
  try {
    dialog->BitBtn1Click(nullptr);
    ADD_FAILURE() << "a bad delay was accepted";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'soon' is not a valid integer value");
  }
  EXPECT_EQ(form->GlobalHotKey1->Key(), 49192);
  EXPECT_EQ(form->Timer2->Interval(), 0u);

  // A delay that would hold the program up for days is refused too.
  dialog->ComboBox2->SetText("99999999");
  dialog->BitBtn1Click(nullptr);
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(prompts.asked[0].Text,
            "The paste delay 99999999 is not between 0 and 5000 milliseconds.");
  EXPECT_EQ(dialog->ModalResult, TModalResult::mrNone);  // the dialog stays open
  EXPECT_EQ(PasteDelay, 100);
  EXPECT_EQ(form->GlobalHotKey1->Key(), 49192);
}

TEST_F(Settings, OkRefusesTextsThatMakeNoUsableHotKey) {
  StartBoth();
  FirstActivation();
  const std::pair<const char*, const char*> refused[] = {
      {"Ctrl+Alt+Dwn", "it names no key."},
      {"", "it names no key."},
      {"A", "it would take a key away from ordinary typing in every program."},
      {"Space", "it would take a key away from ordinary typing in every program."},
      {"Enter", "it would take a key away from ordinary typing in every program."},
      {"Shift+A", "it would take a key away from ordinary typing in every program."},
      {"Ctrl+V", "it would take a clipboard key away from every program."},
      {"Ctrl+C", "it would take a clipboard key away from every program."},
      {"Ctrl+X", "it would take a clipboard key away from every program."},
      {"Shift+Ins", "it would take a clipboard key away from every program."},
  };
  for (const auto& [text, why] : refused) {
    SCOPED_TRACE(text);
    prompts.asked.clear();
    dialog->ComboBox1->SetText(text);
    dialog->BitBtn1Click(nullptr);
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].Text, "'" + std::string(text) + "' cannot be the hot key: " + why);
    EXPECT_EQ(form->GlobalHotKey1->Key(), 49192);
    EXPECT_TRUE(form->GlobalHotKey1->Registered());
    EXPECT_EQ(dialog->ModalResult, TModalResult::mrNone);
  }
  // Function and navigation keys alone are fine.
  for (const char* text : {"F9", "Home", "Shift+F4"}) {
    SCOPED_TRACE(text);
    prompts.asked.clear();
    dialog->ComboBox1->SetText(text);
    dialog->BitBtn1Click(nullptr);
    EXPECT_TRUE(prompts.asked.empty());
    EXPECT_EQ(form->GlobalHotKey1->Key(), TextToShortCut(text));
    EXPECT_TRUE(form->GlobalHotKey1->Registered());
  }
}

// Another program's hold on a key, by RegisterHotKey as any program takes one.
class HeldKey {
 public:
  HeldKey(UINT modifiers, UINT vk) { held_ = RegisterHotKey(nullptr, 0x5151, modifiers, vk); }
  ~HeldKey() { Release(); }
  void Release() {
    if (held_) UnregisterHotKey(nullptr, 0x5151);
    held_ = false;
  }
  bool held() const { return held_; }

 private:
  bool held_ = false;
};

TEST_F(Settings, AKeyHeldElsewhereIsReportedAndTheKeyInForceStays) {
  StartBoth();
  FirstActivation();
  ASSERT_TRUE(prompts.asked.empty());
  HeldKey other(MOD_CONTROL | MOD_SHIFT, VK_UP);
  ASSERT_TRUE(other.held());
  dialog->ComboBox1->SetText("Ctrl+Shift+Up");
  dialog->ComboBox2->SetText("250");
  dialog->BitBtn1Click(nullptr);
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(prompts.asked[0].Text,
            "Another program holds the hot key Ctrl+Shift+Up, so it cannot bring up the clips."
            "\r\nChoose another hot key in Settings.");
  EXPECT_EQ(form->GlobalHotKey1->Key(), 49192);
  EXPECT_TRUE(form->GlobalHotKey1->Registered());
  // The dialog shows the key in force again, so the file never stores a dead key;
  // the other values still apply.
  EXPECT_EQ(dialog->ComboBox1->Text(), "Ctrl+Alt+Down");
  EXPECT_EQ(PasteDelay, 250);
}

TEST_F(Settings, AKeyHeldAtStartIsReportedAndOkWithItTriesAgain) {
  HeldKey other(MOD_CONTROL | MOD_ALT, VK_DOWN);
  ASSERT_TRUE(other.held());
  StartBoth();
  FirstActivation();
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(prompts.asked[0].Text,
            "Another program holds the hot key Ctrl+Alt+Down, so it cannot bring up the clips."
            "\r\nChoose another hot key in Settings.");
  EXPECT_FALSE(form->GlobalHotKey1->Registered());

  // Still held: OK with the same key says so again.
  dialog->BitBtn1Click(nullptr);
  EXPECT_EQ(prompts.asked.size(), 2u);
  EXPECT_FALSE(form->GlobalHotKey1->Registered());
  other.Release();
  dialog->BitBtn1Click(nullptr);
  EXPECT_EQ(prompts.asked.size(), 2u);
  EXPECT_EQ(form->GlobalHotKey1->Key(), 49192);
  EXPECT_TRUE(form->GlobalHotKey1->Registered());
}

TEST_F(Settings, StoredValuesThatCannotWorkAreReplacedAndSaidOnce) {
  StartBoth(
      "[Form2]\r\nComboBox1.Text = A \r\nComboBox2.Text=soon\r\n"
      "CheckBox1.Checked=TRUE\r\n");
  FirstActivation();
  ASSERT_EQ(prompts.asked.size(), 2u);
  EXPECT_EQ(prompts.asked[0].Text,
            "'A' cannot be the hot key: it would take a key away from ordinary typing in every "
            "program. Ctrl+Alt+Down is used instead.");
  EXPECT_EQ(prompts.asked[1].Text,
            "The paste delay 'soon' is not a whole number of milliseconds; 100 is used instead.");
  EXPECT_EQ(form->GlobalHotKey1->Key(), 49192);
  EXPECT_EQ(PasteDelay, 100);
  EXPECT_EQ(form->Timer2->Interval(), AutoSaveInterval);  // the rest still applies
  // The dialog holds what is in force, so the file is mended at the end.
  EXPECT_EQ(dialog->ComboBox1->Text(), "Ctrl+Alt+Down");
  EXPECT_EQ(dialog->ComboBox2->Text(), "100");
  form->Hide();
  form->Show();  // later activations say nothing
  test::Pump();
  EXPECT_EQ(prompts.asked.size(), 2u);
}

TEST_F(Settings, AStoredDelayIsKeptWithinFiveSeconds) {
  StartBoth("[Form2]\r\nComboBox2.Text=99999999\r\n");
  FirstActivation();
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(prompts.asked[0].Text,
            "The paste delay 99999999 is not between 0 and 5000 milliseconds; 5000 is used "
            "instead.");
  EXPECT_EQ(PasteDelay, 5000);
}

TEST_F(Settings, AStoredPlaceWinsOverCentringWhileItCanBeReached) {
  StartBoth("[Form2]\r\nLeft=40\r\nTop=50\r\nWidth=10\r\nHeight=10\r\n");
  const int width = dialog->Width(), height = dialog->Height();
  EXPECT_GT(width, 10);  // too small to use: the design's size
  EXPECT_GT(height, 10);
  dialog->Show();
  EXPECT_EQ(dialog->Left(), 40);
  EXPECT_EQ(dialog->Top(), 50);
  dialog->Hide();
  app.reset();

  // Off every monitor: centred as designed.
  form = nullptr;
  SetUp();
  StartBoth("[Form2]\r\nLeft=-30000\r\nTop=50\r\n");
  dialog->Show();
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(dialog->Left(), work.left + (work.right - work.left - dialog->Width()) / 2);
  EXPECT_EQ(dialog->Top(), work.top + (work.bottom - work.top - dialog->Height()) / 2);
  dialog->Hide();
}

TEST_F(Settings, SuppressingAndLiftingItSwitchesCaptureAndSorting) {
  StartBoth();
  dialog->CheckBox1->SetChecked(true);
  dialog->CheckBox2->SetChecked(true);
  EXPECT_FALSE(dialog->CheckBox1->Checked());
  EXPECT_FALSE(form->Caching1->Checked());
  dialog->VerivorButton2Click(nullptr);
  EXPECT_TRUE(form->QvCheckListBox1->Sorted());
  dialog->CheckBox2->SetChecked(false);
  EXPECT_TRUE(dialog->CheckBox1->Enabled());
  EXPECT_FALSE(dialog->CheckBox1->Checked());  // auto save stays off until OK
  EXPECT_TRUE(form->Caching1->Checked());
  EXPECT_TRUE(form->SaveClips1->Enabled());
  EXPECT_FALSE(form->QvCheckListBox1->Sorted());
}

TEST_F(Settings, TheEndOfTheProgramWritesExactlyTheDialogsKeys) {
  StartBoth();
  dialog->ComboBox1->SetText("F7");
  app.reset();
  const std::string ini = folder.Read("qvavad.ini").value_or("");
  for (const char* key : {"Top=", "Left=", "Width=", "Height=", "ComboBox1.Text=F7",
                          "ComboBox2.Text=100", "CheckBox1.Checked=FALSE",
                          "CheckBox2.Checked=FALSE"})
    EXPECT_NE(ini.find(key), std::string::npos) << key << " in\n" << ini;
  EXPECT_EQ(std::count(ini.begin(), ini.end(), '='), 8) << ini;
}

}  // namespace
}  // namespace qv
