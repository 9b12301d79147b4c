#include "settings/SettingsDialog.h"

#include "framework/Dialogs.h"
#include "framework/ShortCuts.h"
#include "framework/SysUtils.h"
#include "settings/SettingsRules.h"

namespace qv {

TSettingsDialog* SettingsDialog = nullptr;
TSettingsLink SettingsLink;

namespace {

constexpr TColor kPanelColor = 11395047;
constexpr TColor kSortOffColor = 8687260;
constexpr TColor kSortOnColor = 8388608;  // navy

TLabel* MakeLabel(TSettingsDialog* form, const char* name, TWinControl* parent, int left, int top,
                  const char* caption, TColor color) {
  TLabel* label = MakeComponent<TLabel>(form, name, parent);
  label->SetBounds(left, top, 0, 0);
  label->Font().SetColor(color);
  label->SetCaption(caption);
  return label;
}

TVerivorButton* MakeButton(TSettingsDialog* form, const char* name, int left, int top, int width,
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

TSettingsDialog::TSettingsDialog(TComponent* owner) : TPersistentForm(owner) {
  SettingsDialog = this;
  LoadPersistentDesign([this] { ApplyFormDesign(); });
}

TSettingsDialog::~TSettingsDialog() {
  if (SettingsDialog == this) SettingsDialog = nullptr;
}

void TSettingsDialog::CreateParams(TCreateParams& params) {
  TPersistentForm::CreateParams(params);
  // Other programs find the dialog by this class name.
  params.WinClassName = "TForm2";
  // No title-bar buttons, and above other windows.
  params.Style &= ~WS_SYSMENU;
  params.ExStyle |= WS_EX_TOPMOST;
}

void TSettingsDialog::ApplyFormDesign() {
  // The settings file names its section after the form and its keys after the controls
  // ("ComboBox1.Text"): those names stay as the files have them.
  SetName("Form2");
  SetCaption("Settings");
  BorderStyle = TFormBorderStyle::bsDialog;
  Position = TPosition::poDesktopCenter;
  SetClientSize(228, 162);
  SetColor(kPanelColor);
  Font().SetName("MS Sans Serif");
  Font().SetHeight(-11);

  HotKeyLabel = MakeLabel(this, "HotKeyLabel", this, 6, 90, "Quorel Clip HotKey:", clNavy);
  PasteDelayLabel = MakeLabel(this, "PasteDelayLabel", this, 119, 90, "Paste Delay:", clNavy);

  OkButton = MakeButton(this, "OkButton", 71, 136, 86, 22, "OK");
  OkButton->OnClick = TNotifyEvent::Of<&TSettingsDialog::OkClick>(this);
  SortButton = MakeButton(this, "SortButton", 171, 69, 36, 13, "Sort");
  SortButton->Font().SetStyle(fsItalic);
  SortButton->Font().SetColor(kSortOffColor);
  SortButton->SetEnabled(false);
  SortButton->OnClick = TNotifyEvent::Of<&TSettingsDialog::SortClick>(this);

  HotKeyChoice = MakeComponent<TComboBox>(this, "ComboBox1", this);
  HotKeyChoice->SetBounds(6, 105, 105, 21);
  for (const char* key : {"Ctrl+Alt+Down", "Ctrl+Shift+Down", "Ctrl+Shift+Up", "Ctrl+Shift+Left",
                          "Ctrl+Shift+Right", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9",
                          "F10", "F11", "F12"})
    HotKeyChoice->Items().Add(key);
  HotKeyChoice->SetText("Ctrl+Alt+Down");

  TitlePanel = MakeComponent<TPanel>(this, "TitlePanel", this);
  TitlePanel->SetBounds(6, 2, 217, 42);
  TitlePanel->BevelInner = TBevelCut::bvLowered;
  TitlePanel->SetColor(clBlue);
  TitleLabel = MakeLabel(this, "TitleLabel", TitlePanel, 81, 5, "Quorel Vavad", clYellow);
  MakerLabel = MakeLabel(this, "MakerLabel", TitlePanel, 56, 21, "Vesk Quorvel Software", clYellow);

  PasteDelayChoice = MakeComponent<TComboBox>(this, "ComboBox2", this);
  PasteDelayChoice->SetBounds(119, 105, 105, 21);
  for (const char* ms : {"50", "100", "250", "500", "1000", "2000", "3000", "4000", "5000"})
    PasteDelayChoice->Items().Add(ms);
  PasteDelayChoice->SetText("100");

  const char kSavingHint[] = "No saving is performed when Quorel Vavad is idle after an auto save.";
  AutoSaveBox = MakeComponent<TCheckBox>(this, "CheckBox1", this);
  AutoSaveBox->SetBounds(6, 49, 225, 17);
  AutoSaveBox->SetCaption("Auto save (upon caching) every 5 minutes.");
  AutoSaveBox->SetHint(kSavingHint);
  AutoSaveBox->SetShowHint(true);
  SuppressBox = MakeComponent<TCheckBox>(this, "CheckBox2", this);
  SuppressBox->SetBounds(6, 67, 159, 17);
  SuppressBox->SetCaption("Suppress saving further clips.");
  SuppressBox->SetHint(kSavingHint);
  SuppressBox->SetShowHint(true);
  SuppressBox->OnClick = TNotifyEvent::Of<&TSettingsDialog::SuppressClick>(this);

  OnCreate = TNotifyEvent::Of<&TSettingsDialog::FormCreate>(this);
  OnActivate = TNotifyEvent::Of<&TSettingsDialog::FormActivate>(this);
}

void TSettingsDialog::FormCreate(TObject*) {}

void TSettingsDialog::FormActivate(TObject*) {
  SetCursorPosition(Left() + OkButton->Left() + ScaleValue(64),
                    Top() + OkButton->Top() + ScaleValue(40));
}

void TSettingsDialog::OkClick(TObject*) {
  // Everything is checked before anything is applied: a refused value leaves the
  // dialog open and the settings in force as they were.
  const std::string keyText = HotKeyChoice->Text();
  const TShortCut key = TextToShortCut(keyText);
  const THotKeyProblem problem = CheckHotKey(key);
  if (problem != THotKeyProblem::hkOk) {
    ShowMessage(HotKeyRefusedMessage(keyText, problem));
    return;
  }
  const int delay = StrToInt(PasteDelayChoice->Text());
  if (delay < 0 || delay > kMaxPasteDelay) {
    ShowMessage(PasteDelayOutOfRangeMessage(PasteDelayChoice->Text()));
    return;
  }
  if (!TakeHotKey(key)) ShowMessage(HotKeyHeldMessage(keyText));
  paste_delay_ = delay;
  SettingsLink.OnApply(this);
  ModalResult = TModalResult::mrOk;
  Close();
}

bool TSettingsDialog::TakeHotKey(TShortCut key) {
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
  HotKeyChoice->SetText(HotKeyText(previous));
  return false;
}

std::string TSettingsDialog::HotKeyText(TShortCut key) {
  // The list's own spelling ("Ctrl+Shift+Up") where it has the key.
  TStrings& choices = HotKeyChoice->Items();
  for (int i = 0; i < choices.Count(); ++i)
    if (TextToShortCut(choices.Get(i)) == key) return choices.Get(i);
  return ShortCutToText(key);
}

void TSettingsDialog::SuppressClick(TObject*) {
  const bool suppress = SuppressBox->Checked();
  if (suppress) AutoSaveBox->SetChecked(false);
  AutoSaveBox->SetEnabled(!suppress);
  SortButton->SetEnabled(suppress);
  SortButton->Font().SetColor(suppress ? kSortOnColor : kSortOffColor);
  SortButton->Font().SetStyle(suppress ? 0 : fsItalic);
  SettingsLink.OnSuppressChange(this);
}

void TSettingsDialog::SortClick(TObject*) { SettingsLink.OnSort(this); }

}  // namespace qv
