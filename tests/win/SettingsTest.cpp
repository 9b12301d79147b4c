// The Settings dialog with the main window: stored values applied at the first
// activation, OK, suppressing further clips, and what is written at the end.

#include <gtest/gtest.h>

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

TEST_F(Settings, ABadDelayStopsOkAfterTheHotKey) {
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
  EXPECT_EQ(form->GlobalHotKey1->Key(), 120);
  EXPECT_EQ(form->Timer2->Interval(), 0u);
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
