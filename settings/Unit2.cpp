#include "settings/Unit2.h"

#include "framework/Dialogs.h"
#include "framework/ShortCuts.h"
#include "framework/SysUtils.h"
#include "settings/SettingsRules.h"

namespace qv {

TForm2* Form2 = nullptr;
TSettingsLink SettingsLink;

namespace {

constexpr TColor kPanelColor = 11395047;
constexpr TColor kSortOffColor = 8687260;
constexpr TColor kSortOnColor = 8388608;  // navy

TLabel* MakeLabel(TForm2* form, const char* name, TWinControl* parent, int left, int top,
                  const char* caption, TColor color) {
  TLabel* label = MakeComponent<TLabel>(form, name, parent);
  label->SetBounds(left, top, 0, 0);
  label->Font().SetColor(color);
  label->SetCaption(caption);
  return label;
}

TVerivorButton* MakeButton(TForm2* form, const char* name, int left, int top, int width,
                           int height, const char* caption) {
  TVerivorButton* b = MakeComponent<TVerivorButton>(form, name, form);
  b->SetBounds(left, top, width, height);
  b->SetCaption(caption);
  b->Font().SetName("Arial");
  b->Font().SetColor(clBlack);
  b->SetColor(kPanelColor);
  b->SetColorBorder(8556441);
  b->SetColorOver(704216);
  b->SetColorDown(704216);
  b->SetColorOverCaption(clBlack);
  return b;
}

}  // namespace

TForm2::TForm2(TComponent* owner) : TPersistentForm(owner) {
  Form2 = this;
  LoadPersistentDesign([this] { ApplyFormDesign(); });
}

TForm2::~TForm2() {
  if (Form2 == this) Form2 = nullptr;
}

void TForm2::CreateParams(TCreateParams& params) {
  TPersistentForm::CreateParams(params);
  // No title-bar buttons, and above other windows.
  params.Style &= ~WS_SYSMENU;
  params.ExStyle |= WS_EX_TOPMOST;
}

void TForm2::ApplyFormDesign() {
  SetName("Form2");
  SetCaption("Settings");
  BorderStyle = TFormBorderStyle::bsDialog;
  Position = TPosition::poDesktopCenter;
  SetClientSize(228, 162);
  SetColor(kPanelColor);
  Font().SetName("MS Sans Serif");
  Font().SetHeight(-11);

  Label1 = MakeLabel(this, "Label1", this, 6, 90, "Quorel Clip HotKey:", clNavy);
  Label2 = MakeLabel(this, "Label2", this, 119, 90, "Paste Delay:", clNavy);

  VerivorButton1 = MakeButton(this, "VerivorButton1", 71, 136, 86, 22, "OK");
  VerivorButton1->OnClick = TNotifyEvent::Of<&TForm2::BitBtn1Click>(this);
  VerivorButton2 = MakeButton(this, "VerivorButton2", 171, 69, 36, 13, "Sort");
  VerivorButton2->Font().SetStyle(fsItalic);
  VerivorButton2->Font().SetColor(kSortOffColor);
  VerivorButton2->SetEnabled(false);
  VerivorButton2->OnClick = TNotifyEvent::Of<&TForm2::VerivorButton2Click>(this);

  ComboBox1 = MakeComponent<TComboBox>(this, "ComboBox1", this);
  ComboBox1->SetBounds(6, 105, 105, 21);
  for (const char* key : {"Ctrl+Alt+Down", "Ctrl+Shift+Down", "Ctrl+Shift+Up", "Ctrl+Shift+Left",
                          "Ctrl+Shift+Right", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9",
                          "F10", "F11", "F12"})
    ComboBox1->Items().Add(key);
  ComboBox1->SetText("Ctrl+Alt+Down");

  Panel2 = MakeComponent<TPanel>(this, "Panel2", this);
  Panel2->SetBounds(6, 2, 217, 42);
  Panel2->BevelInner = TBevelCut::bvLowered;
  Panel2->SetColor(clBlue);
  Label6 = MakeLabel(this, "Label6", Panel2, 81, 5, "Quorel Vavad", clYellow);
  QvLabel3 = MakeLabel(this, "QvLabel3", Panel2, 56, 21, "Vesk Quorvel Software", clYellow);

  ComboBox2 = MakeComponent<TComboBox>(this, "ComboBox2", this);
  ComboBox2->SetBounds(119, 105, 105, 21);
  for (const char* ms : {"50", "100", "250", "500", "1000", "2000", "3000", "4000", "5000"})
    ComboBox2->Items().Add(ms);
  ComboBox2->SetText("100");

  const char kSavingHint[] = "No saving is performed when Quorel Vavad is idle after an auto save.";
  CheckBox1 = MakeComponent<TCheckBox>(this, "CheckBox1", this);
  CheckBox1->SetBounds(6, 49, 225, 17);
  CheckBox1->SetCaption("Auto save (upon caching) every 5 minutes.");
  CheckBox1->SetHint(kSavingHint);
  CheckBox1->SetShowHint(true);
  CheckBox2 = MakeComponent<TCheckBox>(this, "CheckBox2", this);
  CheckBox2->SetBounds(6, 67, 159, 17);
  CheckBox2->SetCaption("Suppress saving further clips.");
  CheckBox2->SetHint(kSavingHint);
  CheckBox2->SetShowHint(true);
  CheckBox2->OnClick = TNotifyEvent::Of<&TForm2::CheckBox2Click>(this);

  OnCreate = TNotifyEvent::Of<&TForm2::FormCreate>(this);
  OnActivate = TNotifyEvent::Of<&TForm2::FormActivate>(this);
}

void TForm2::FormCreate(TObject*) {}

void TForm2::FormActivate(TObject*) {
  SetCursorPosition(Left() + VerivorButton1->Left() + 64, Top() + VerivorButton1->Top() + 40);
}

void TForm2::BitBtn1Click(TObject*) {
  // Everything is checked before anything is applied: a refused value leaves the
  // dialog open and the settings in force as they were.
  const std::string keyText = ComboBox1->Text();
  const TShortCut key = TextToShortCut(keyText);
  const THotKeyProblem problem = CheckHotKey(key);
  if (problem != THotKeyProblem::hkOk) {
    ShowMessage(HotKeyRefusedMessage(keyText, problem));
    return;
  }
  const int delay = StrToInt(ComboBox2->Text());
  if (delay < 0 || delay > kMaxPasteDelay) {
    ShowMessage(PasteDelayOutOfRangeMessage(ComboBox2->Text()));
    return;
  }
  if (!TakeHotKey(key)) ShowMessage(HotKeyHeldMessage(keyText));
  paste_delay_ = delay;
  SettingsLink.OnApply(this);
  ModalResult = TModalResult::mrOk;
  Close();
}

bool TForm2::TakeHotKey(TShortCut key) {
  if (!SettingsLink.HotKey) return true;
  TGlobalHotKey& hotKey = *SettingsLink.HotKey;
  const TShortCut previous = hotKey.Key();
  if (key == previous) {
    hotKey.SetEnabled(true);  // not held yet: another try
    return hotKey.Registered();
  }
  hotKey.SetKey(key);
  if (hotKey.Registered()) return true;
  // The settings file must not keep a key that does nothing: back to the one in force.
  hotKey.SetKey(previous);
  ComboBox1->SetText(HotKeyText(previous));
  return false;
}

std::string TForm2::HotKeyText(TShortCut key) {
  // The list's own spelling ("Ctrl+Shift+Up") where it has the key.
  TStrings& choices = ComboBox1->Items();
  for (int i = 0; i < choices.Count(); ++i)
    if (TextToShortCut(choices.Get(i)) == key) return choices.Get(i);
  return ShortCutToText(key);
}

void TForm2::CheckBox2Click(TObject*) {
  const bool suppress = CheckBox2->Checked();
  if (suppress) CheckBox1->SetChecked(false);
  CheckBox1->SetEnabled(!suppress);
  VerivorButton2->SetEnabled(suppress);
  VerivorButton2->Font().SetColor(suppress ? kSortOnColor : kSortOffColor);
  VerivorButton2->Font().SetStyle(suppress ? 0 : fsItalic);
  SettingsLink.OnSuppressChange(this);
}

void TForm2::VerivorButton2Click(TObject*) { SettingsLink.OnSort(this); }

}  // namespace qv
