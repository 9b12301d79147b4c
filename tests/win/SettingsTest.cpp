// The Settings dialog with the main window: stored values applied at the first
// activation, OK, suppressing further clips, and what is written at the end.

#include <gtest/gtest.h>

#include <optional>
#include <utility>
#include <vector>

#include "framework/Registry.h"
#include "framework/ShortCuts.h"
#include "framework/SysUtils.h"
#include "settings/SettingsDialog.h"
#include "settings/SettingsRules.h"
#include "settings/StartWithWindows.h"
#include "tests/win/MainWindowFixture.h"

namespace qv {
namespace {

// The Run value lives under a key of the tests' own, removed at the end.
constexpr char kTestRoot[] = "Software\\QvSettingsTest";
constexpr char kTestRunKey[] = "Software\\QvSettingsTest\\Run";

class Settings : public test::MainWindowFixture {
 protected:
  void SetUp() override {
    test::MainWindowFixture::SetUp();
    saved_run_key_ = StartupRunKey;
    StartupRunKey = kTestRunKey;
  }
  void TearDown() override {
    test::MainWindowFixture::TearDown();
    RegDeleteTreeA(HKEY_CURRENT_USER, kTestRoot);
    StartupRunKey = saved_run_key_;
  }
  std::optional<std::string> RunValue() {
    return ReadUserRegString(kTestRunKey, kStartupValueName);
  }
  std::string Exe() { return folder.File("qvavad.exe"); }
  // A key press as the message loop gets it, at the control that has the focus.
  void Press(WORD key, bool shift = false) {
    BYTE keys[256];
    GetKeyboardState(keys);
    const BYTE shiftWas = keys[VK_SHIFT];
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    PostMessageA(GetFocus(), WM_KEYDOWN, key, 1);
    app->ProcessMessages();
    keys[VK_SHIFT] = shiftWas;
    SetKeyboardState(keys);
  }
  bool HasFocus(TWinControl* control) {
    return GetFocus() == control->Handle() || IsChild(control->Handle(), GetFocus());
  }
  std::string saved_run_key_;
  void StartBoth(const std::string& ini = "") {
    if (!ini.empty()) folder.Write("qvavad.ini", ini);
    folder.Write("Lb1.qvl", "");
    folder.Write("vqclips.qvl", "");
    Start();
    dialog = app->CreateForm<TSettingsDialog>();
    form->UseSettings(*dialog);
  }
  void FirstActivation() {
    form->Show();
    test::Pump();
  }
  TSettingsDialog* dialog = nullptr;
};

TEST_F(Settings, WithoutAnIniFileTheDesignValuesApply) {
  StartBoth();
  FirstActivation();
  EXPECT_EQ(form->HotKey->Key(), kCtrlAltDown);
  EXPECT_EQ(form->Recall.PasteDelay(), 100);
  EXPECT_FALSE(form->Files.AutoSave());
  EXPECT_EQ(dialog->Caption(), "Settings");
  // Every key offered can be chosen.
  for (int i = 0; i < dialog->HotKeyChoice->Items().Count(); ++i)
    EXPECT_EQ(CheckHotKey(TextToShortCut(dialog->HotKeyChoice->Items().Get(i))), THotKeyProblem::hkOk)
        << dialog->HotKeyChoice->Items().Get(i);
}

TEST_F(Settings, StoredValuesTakeEffectAtTheFirstActivation) {
  StartBoth("[Form2]\r\nComboBox1.Text=F12\r\nComboBox2.Text=250\r\nCheckBox1.Checked=TRUE\r\n");
  EXPECT_EQ(dialog->HotKeyChoice->Text(), "F12");
  FirstActivation();
  EXPECT_EQ(form->HotKey->Key(), VK_F12);
  EXPECT_EQ(form->Recall.PasteDelay(), 250);
  EXPECT_TRUE(form->Files.AutoSave());
}

TEST_F(Settings, AStoredSuppressionStartsWithCaptureOffAndTheCommandsGreyed) {
  StartBoth("[Form2]\r\nCheckBox2.Checked=TRUE\r\n");
  EXPECT_TRUE(dialog->SuppressBox->Checked());
  EXPECT_FALSE(form->Tray().CachingItem->Checked());
  EXPECT_FALSE(form->Tray().CachingItem->Enabled());
  EXPECT_FALSE(form->Tray().SaveItem->Enabled());
  EXPECT_FALSE(form->Tray().ClearItem->Enabled());
  EXPECT_FALSE(dialog->AutoSaveBox->Enabled());
  // A double click on the tray icon changes nothing while saving is suppressed.
  form->Tray().TrayIcon->OnDblClick(nullptr);
  EXPECT_FALSE(form->Tray().CachingItem->Checked());
}

TEST_F(Settings, OkAppliesTheHotKeyTheDelayAndAutoSave) {
  StartBoth();
  FirstActivation();
  dialog->HotKeyChoice->SetText("F12");
  dialog->PasteDelayChoice->SetText("5000");
  dialog->AutoSaveBox->SetChecked(true);
  dialog->OkClick(nullptr);
  EXPECT_EQ(form->HotKey->Key(), VK_F12);
  EXPECT_EQ(form->Recall.PasteDelay(), 5000);
  EXPECT_TRUE(form->Files.AutoSave());
}

TEST_F(Settings, ABadDelayRefusesOkBeforeAnythingIsApplied) {
  StartBoth();
  FirstActivation();
  dialog->HotKeyChoice->SetText("F9");
  dialog->PasteDelayChoice->SetText("soon");
  dialog->AutoSaveBox->SetChecked(true);
  try {
    dialog->OkClick(nullptr);
    ADD_FAILURE() << "a bad delay was accepted";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'soon' is not a valid integer value");
  }
  EXPECT_EQ(form->HotKey->Key(), kCtrlAltDown);
  EXPECT_FALSE(form->Files.AutoSave());

  // A delay that would hold the program up for days is refused too.
  dialog->PasteDelayChoice->SetText("99999999");
  dialog->OkClick(nullptr);
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(prompts.asked[0].Text,
            "The paste delay 99999999 is not between 0 and 5000 milliseconds.");
  EXPECT_EQ(dialog->ModalResult, TModalResult::mrNone);  // the dialog stays open
  EXPECT_EQ(form->Recall.PasteDelay(), 100);
  EXPECT_EQ(form->HotKey->Key(), kCtrlAltDown);
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
    dialog->HotKeyChoice->SetText(text);
    dialog->OkClick(nullptr);
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].Text, "'" + std::string(text) + "' cannot be the hot key: " + why);
    EXPECT_EQ(form->HotKey->Key(), kCtrlAltDown);
    EXPECT_TRUE(form->HotKey->Registered());
    EXPECT_EQ(dialog->ModalResult, TModalResult::mrNone);
  }
  // Function and navigation keys alone are fine.
  for (const char* text : {"F9", "Home", "Shift+F4"}) {
    SCOPED_TRACE(text);
    prompts.asked.clear();
    dialog->HotKeyChoice->SetText(text);
    dialog->OkClick(nullptr);
    EXPECT_TRUE(prompts.asked.empty());
    EXPECT_EQ(form->HotKey->Key(), TextToShortCut(text));
    EXPECT_TRUE(form->HotKey->Registered());
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
  dialog->HotKeyChoice->SetText("Ctrl+Shift+Up");
  dialog->PasteDelayChoice->SetText("250");
  dialog->OkClick(nullptr);
  ASSERT_EQ(prompts.asked.size(), 1u);
  EXPECT_EQ(prompts.asked[0].Text,
            "Another program holds the hot key Ctrl+Shift+Up, so it cannot bring up the clips."
            "\r\nChoose another hot key in Settings.");
  EXPECT_EQ(form->HotKey->Key(), kCtrlAltDown);
  EXPECT_TRUE(form->HotKey->Registered());
  // The dialog shows the key in force again, so the file never stores a dead key;
  // the other values still apply.
  EXPECT_EQ(dialog->HotKeyChoice->Text(), "Ctrl+Alt+Down");
  EXPECT_EQ(form->Recall.PasteDelay(), 250);
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
  EXPECT_FALSE(form->HotKey->Registered());

  // Still held: OK with the same key says so again.
  dialog->OkClick(nullptr);
  EXPECT_EQ(prompts.asked.size(), 2u);
  EXPECT_FALSE(form->HotKey->Registered());
  other.Release();
  dialog->OkClick(nullptr);
  EXPECT_EQ(prompts.asked.size(), 2u);
  EXPECT_EQ(form->HotKey->Key(), kCtrlAltDown);
  EXPECT_TRUE(form->HotKey->Registered());
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
  EXPECT_EQ(form->HotKey->Key(), kCtrlAltDown);
  EXPECT_EQ(form->Recall.PasteDelay(), 100);
  EXPECT_TRUE(form->Files.AutoSave());  // the rest still applies
  // The dialog holds what is in force, so the file is mended at the end.
  EXPECT_EQ(dialog->HotKeyChoice->Text(), "Ctrl+Alt+Down");
  EXPECT_EQ(dialog->PasteDelayChoice->Text(), "100");
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
  EXPECT_EQ(form->Recall.PasteDelay(), 5000);
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
  dialog->AutoSaveBox->SetChecked(true);
  dialog->SuppressBox->SetChecked(true);
  EXPECT_FALSE(dialog->AutoSaveBox->Checked());
  EXPECT_FALSE(form->Tray().CachingItem->Checked());
  for (const char* text : {"b", "C", "a"}) form->History.AddClip(text, std::string(12, '0') + text, text);
  dialog->SortClick(nullptr);
  // Letter case ignored; every line keeps its own text.
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(form->History.Display(i), std::string(1, "abC"[i]));
    EXPECT_EQ(form->ClipControls().ClipList->Items().Get(i), form->History.Line(i));
    EXPECT_EQ(Text(i), std::string(form->History.Display(i)));
  }
  dialog->SuppressBox->SetChecked(false);
  EXPECT_TRUE(dialog->AutoSaveBox->Enabled());
  EXPECT_FALSE(dialog->AutoSaveBox->Checked());  // auto save stays off until OK
  EXPECT_TRUE(form->Tray().CachingItem->Checked());
  EXPECT_TRUE(form->Tray().SaveItem->Enabled());
  // Sorting is over: a new clip goes to the top, the order before the sort is not restored.
  form->History.AddClip("B2", "000000000000d", "B2");
  EXPECT_EQ(form->History.Display(0), "B2");
  EXPECT_EQ(form->History.Display(1), "a");

  // Sorted stays sorted: a clip recalled to the top stays there when Sort is pressed
  // again, until suppression is lifted once more.
  dialog->SuppressBox->SetChecked(true);
  dialog->SortClick(nullptr);
  EXPECT_EQ(form->History.Display(0), "a");
  form->History.MoveToTop(3);
  dialog->SortClick(nullptr);
  EXPECT_EQ(form->History.Display(0), "C");
  dialog->SuppressBox->SetChecked(false);
  dialog->SuppressBox->SetChecked(true);
  dialog->SortClick(nullptr);
  EXPECT_EQ(form->History.Display(0), "a");
}

TEST_F(Settings, TheEndOfTheProgramWritesExactlyTheDialogsKeys) {
  StartBoth();
  dialog->HotKeyChoice->SetText("F7");
  app.reset();
  const std::string ini = folder.Read("qvavad.ini").value_or("");
  for (const char* key : {"Top=", "Left=", "Width=", "Height=", "ComboBox1.Text=F7",
                          "ComboBox2.Text=100", "CheckBox1.Checked=FALSE",
                          "CheckBox2.Checked=FALSE"})
    EXPECT_NE(ini.find(key), std::string::npos) << key << " in\n" << ini;
  EXPECT_EQ(std::count(ini.begin(), ini.end(), '='), 8) << ini;
}

TEST_F(Settings, TabGoesThroughTheControlsInDesignOrderEnterIsOkAndEscAppliesNothing) {
  StartBoth();
  FirstActivation();
  dialog->Show();
  app->ProcessMessages();
  ASSERT_TRUE(HasFocus(dialog->OkButton));
  // Sort is left out while it does nothing.
  const std::vector<TWinControl*> order{dialog->HotKeyChoice, dialog->PasteDelayChoice,
                                        dialog->AutoSaveBox,  dialog->SuppressBox,
                                        dialog->StartupBox,   dialog->OkButton};
  for (TWinControl* control : order) {
    Press(VK_TAB);
    EXPECT_TRUE(HasFocus(control)) << control->Name();
  }
  for (auto it = order.rbegin() + 1; it != order.rend(); ++it) {
    Press(VK_TAB, true);
    EXPECT_TRUE(HasFocus(*it)) << (*it)->Name();
  }
  dialog->SuppressBox->SetChecked(true);  // Sort works now, and the auto-save box does not
  dialog->OkButton->SetFocus();
  Press(VK_TAB);
  EXPECT_TRUE(HasFocus(dialog->SortButton));
  Press(VK_TAB, true);
  Press(VK_TAB, true);
  EXPECT_TRUE(HasFocus(dialog->StartupBox));
  Press(VK_TAB, true);
  EXPECT_TRUE(HasFocus(dialog->SuppressBox));
  Press(VK_TAB, true);
  EXPECT_TRUE(HasFocus(dialog->PasteDelayChoice));
  dialog->SuppressBox->SetChecked(false);

  // Esc: the dialog goes and nothing it shows is applied.
  dialog->HotKeyChoice->SetText("F11");
  dialog->StartupBox->SetChecked(true);
  Press(VK_ESCAPE);
  EXPECT_FALSE(dialog->Visible());
  EXPECT_EQ(form->HotKey->Key(), kCtrlAltDown);
  EXPECT_FALSE(RunValue());

  // Enter in the hot-key box is OK; the focus comes back where it was.
  dialog->Show();
  app->ProcessMessages();
  EXPECT_FALSE(dialog->StartupBox->Checked());  // read again from the registry
  dialog->HotKeyChoice->SetFocus();
  dialog->Hide();
  app->ProcessMessages();
  dialog->Show();
  test::PumpUntil([&] { return GetActiveWindow() == dialog->Handle(); });
  ASSERT_TRUE(HasFocus(dialog->HotKeyChoice));
  dialog->HotKeyChoice->SetText("F12");
  Press(VK_RETURN);
  EXPECT_EQ(form->HotKey->Key(), VK_F12);
  EXPECT_EQ(dialog->ModalResult, TModalResult::mrOk);
  EXPECT_FALSE(dialog->Visible());
}

TEST_F(Settings, OkWritesTheRunValueTheBoxReadsItBackAndOkRemovesOnlyItsOwn) {
  StartBoth();
  EXPECT_FALSE(dialog->StartupBox->Checked());
  dialog->StartupBox->SetChecked(true);
  dialog->OkClick(nullptr);
  EXPECT_EQ(RunValue(), "\"" + Exe() + "\"");
  dialog->StartupBox->SetChecked(false);
  dialog->Show();
  EXPECT_TRUE(dialog->StartupBox->Checked());
  dialog->Hide();

  // Another copy's value: the box says no, and OK leaves the value to that copy.
  const std::string other = "\"" + folder.File("Lb1.qvl") + "\"";
  WriteUserRegString(kTestRunKey, kStartupValueName, other);
  dialog->Show();
  EXPECT_FALSE(dialog->StartupBox->Checked());
  dialog->OkClick(nullptr);
  EXPECT_EQ(RunValue(), other);

  WriteUserRegString(kTestRunKey, kStartupValueName, "\"" + Exe() + "\"");
  dialog->Show();
  dialog->StartupBox->SetChecked(false);
  dialog->OkClick(nullptr);
  EXPECT_FALSE(RunValue());
  app.reset();
  // Not a value of the ini file: the registry alone says it.
  EXPECT_EQ(folder.Read("qvavad.ini").value_or("").find("Startup"), std::string::npos);
}

TEST_F(Settings, AtStartTheValueOfAMovedExeStartsThisOneAndAnotherCopysIsLeft) {
  WriteUserRegString(kTestRunKey, kStartupValueName, "\"" + folder.File("gone\\qvavad.exe") + "\"");
  StartBoth();
  EXPECT_EQ(RunValue(), "\"" + Exe() + "\"");
  EXPECT_TRUE(dialog->StartupBox->Checked());

  const std::string other = "\"" + folder.File("Lb1.qvl") + "\"";
  WriteUserRegString(kTestRunKey, kStartupValueName, other);
  TStartupEntry(Exe()).FollowMove();
  EXPECT_EQ(RunValue(), other);

  // An exe that cannot be looked for now may still be there: left alone.
  for (const std::string& unsure :
       std::vector<std::string>{"\"Q:\\Unplugged\\qvavad.exe\"",
                                "\"%QV_NO_SUCH_VARIABLE%\\qvavad.exe\"", "qvavad.exe", "\"\""}) {
    WriteUserRegString(kTestRunKey, kStartupValueName, unsure);
    TStartupEntry(Exe()).FollowMove();
    EXPECT_EQ(RunValue(), unsure);
  }

  // A folder named in letters no ANSI code page holds: the value is the path exactly.
  const std::string exe = folder.File("Clips \xCE\xA9\xD0\x96\xE2\x86\x92\\qvavad.exe");
  TStartupEntry(exe).Set(true);
  wchar_t stored[MAX_PATH] = {0};
  DWORD size = sizeof stored;
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Software\\QvSettingsTest\\Run", L"Quorvel Vavad",
                         RRF_RT_REG_SZ, nullptr, stored, &size),
            ERROR_SUCCESS);
  const std::string ascii = folder.Path();
  EXPECT_EQ(std::wstring(stored), L"\"" + std::wstring(ascii.begin(), ascii.end()) +
                                      L"Clips \u03A9\u0416\u2192\\qvavad.exe\"");
  EXPECT_TRUE(TStartupEntry(exe).On());
}

}  // namespace
}  // namespace qv
