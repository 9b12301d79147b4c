#include "settings/SettingsDialog.h"

#include <algorithm>
#include <initializer_list>

#include "framework/Dialogs.h"
#include "framework/ShortCuts.h"
#include "framework/SysUtils.h"
#include "look/ProgramColors.h"
#include "settings/SettingsLayout.h"
#include "settings/StoredNames.h"

namespace qv {

namespace {

constexpr TColor kSortOffColor = 8687260;
constexpr TColor kSortOnColor = 8388608;  // navy

TLabel* MakeLabel(TSettingsDialog* form, const char* name, TWinControl* parent, const TBox& at,
                  const char* caption) {
  TLabel* label = MakeComponent<TLabel>(form, name, parent);
  label->SetBounds(at.Left, at.Top, 0, 0);
  label->SetCaption(caption);
  return label;
}

// Each control where the design puts it; FitTexts then makes room for texts that need more.
void Place(TControl* control, const TBox& at) {
  control->SetBounds(at.Left, at.Top, at.Width, at.Height);
}

TFlatButton* MakeButton(TSettingsDialog* form, const char* name, const TBox& at,
                           const char* caption) {
  TFlatButton* b = MakeComponent<TFlatButton>(form, name, form);
  Place(b, at);
  b->SetCaption(caption);
  b->Font().SetName("Arial");
  return b;
}

}  // namespace

TSettingsDialog::TSettingsDialog(TComponent* owner)
    : TPersistentForm(owner), startup_(Application ? Application->ExeName() : std::string()) {
  LoadPersistentDesign([this] { ApplyFormDesign(); });
  try {
    startup_.FollowMove();
  } catch (const EInOutError&) {
    // A Run key the user may not write: the box shows what is there.
  }
  StartupBox->SetChecked(startup_.On());
}

TSettingsDialog::~TSettingsDialog() = default;

void TSettingsDialog::CreateParams(TCreateParams& params) {
  TPersistentForm::CreateParams(params);
  // Other programs find the dialog by this class name.
  params.WinClassName = kSettingsWindowClass;
  // No title-bar buttons, and above other windows.
  params.Style &= ~WS_SYSMENU;
  params.ExStyle |= WS_EX_TOPMOST;
}

void TSettingsDialog::ApplyFormDesign() {
  // The settings file names its section after the form and its keys after the controls.
  SetName(kSettingsSection);
  SetCaption("Settings");
  BorderStyle = TFormBorderStyle::bsDialog;
  Position = TPosition::poDesktopCenter;
  const TSettingsLayout design = SettingsDesign();
  SetClientSize(design.ClientWidth, design.ClientHeight);
  Font().SetName("MS Sans Serif");
  Font().SetHeight(-11);

  HotKeyLabel = MakeLabel(this, "HotKeyLabel", this, design.HotKeyLabel, "Quorel Clip HotKey:");
  PasteDelayLabel = MakeLabel(this, "PasteDelayLabel", this, design.DelayLabel, "Paste Delay:");

  OkButton = MakeButton(this, "OkButton", design.Ok, "OK");
  OkButton->OnClick = TNotifyEvent::Of<&TSettingsDialog::OkClick>(this);
  SortButton = MakeButton(this, "SortButton", design.Sort, "Sort");
  SortButton->Font().SetStyle(fsItalic);
  SortButton->SetEnabled(false);
  SortButton->OnClick = TNotifyEvent::Of<&TSettingsDialog::SortClick>(this);

  HotKeyChoice = MakeComponent<TComboBox>(this, kHotKeyControl, this);
  Place(HotKeyChoice, design.HotKey);
  for (const char* key : {"Ctrl+Alt+Down", "Ctrl+Shift+Down", "Ctrl+Shift+Up", "Ctrl+Shift+Left",
                          "Ctrl+Shift+Right", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9",
                          "F10", "F11", "F12"})
    HotKeyChoice->Items().Add(key);
  HotKeyChoice->SetText("Ctrl+Alt+Down");
  HotKeyChoice->Accessibility.Name = "Quorel Clip HotKey:";

  TitlePanel = MakeComponent<TPanel>(this, "TitlePanel", this);
  Place(TitlePanel, design.TitlePanel);
  TitlePanel->BevelInner = TBevelCut::bvLowered;
  TitlePanel->Accessibility.Name = "Quorel Vavad, Vesk Quorvel Software";
  TitleLabel = MakeLabel(this, "TitleLabel", TitlePanel, design.TitleLabel, "Quorel Vavad");
  MakerLabel =
      MakeLabel(this, "MakerLabel", TitlePanel, design.MakerLabel, "Vesk Quorvel Software");

  PasteDelayChoice = MakeComponent<TComboBox>(this, kPasteDelayControl, this);
  Place(PasteDelayChoice, design.Delay);
  for (const char* ms : {"50", "100", "250", "500", "1000", "2000", "3000", "4000", "5000"})
    PasteDelayChoice->Items().Add(ms);
  PasteDelayChoice->SetText("100");
  PasteDelayChoice->Accessibility.Name = "Paste Delay:";

  const char kSavingHint[] = "No saving is performed when Quorel Vavad is idle after an auto save.";
  AutoSaveBox = MakeComponent<TCheckBox>(this, kAutoSaveControl, this);
  Place(AutoSaveBox, design.AutoSave);
  AutoSaveBox->SetCaption("Auto save (upon caching) every 5 minutes.");
  AutoSaveBox->SetHint(kSavingHint);
  AutoSaveBox->SetShowHint(true);
  SuppressBox = MakeComponent<TCheckBox>(this, kSuppressControl, this);
  Place(SuppressBox, design.Suppress);
  SuppressBox->SetCaption("Suppress saving further clips.");
  SuppressBox->SetHint(kSavingHint);
  SuppressBox->SetShowHint(true);
  SuppressBox->OnClick = TNotifyEvent::Of<&TSettingsDialog::SuppressClick>(this);
  StartupBox = MakeComponent<TCheckBox>(this, "StartupBox", this);
  Place(StartupBox, design.Startup);
  StartupBox->SetCaption("Start with Windows");

  // From the keyboard: a person who does not use the mouse reaches every choice. The
  // two lists are tab stops too, or the hot key could not be changed without a mouse.
  DialogKeys = true;
  DefaultControl = OkButton;
  for (TWinControl* control : std::initializer_list<TWinControl*>{
           OkButton, SortButton, HotKeyChoice, PasteDelayChoice, AutoSaveBox, SuppressBox,
           StartupBox})
    control->TabStop = true;
  ok_proc_ = OkButton->WindowProc;
  OkButton->WindowProc = TWndMethod::Of<&TSettingsDialog::OkButtonKeys>(this);
  sort_proc_ = SortButton->WindowProc;
  SortButton->WindowProc = TWndMethod::Of<&TSettingsDialog::SortButtonKeys>(this);
  ApplyColors(HighContrastOn());
  FitTexts();

  OnCreate = TNotifyEvent::Of<&TSettingsDialog::FormCreate>(this);
  OnActivate = TNotifyEvent::Of<&TSettingsDialog::FormActivate>(this);
  OnShow = TNotifyEvent::Of<&TSettingsDialog::FormShow>(this);
}

namespace {

int TextWidth(const TFont& font, const std::string& text) {
  TBitmap scratch(1, 1);
  scratch.Canvas().Font().Assign(font);
  return scratch.Canvas().TextExtent(text).cx;
}

int WidestChoice(TComboBox& box) {
  int widest = TextWidth(box.Font(), box.Text());
  for (int i = 0; i < box.Items().Count(); ++i)
    widest = std::max(widest, TextWidth(box.Font(), box.Items().Get(i)));
  return widest;
}

}  // namespace

void TSettingsDialog::FitTexts() {
  TSettingsTextWidths w;
  w.CheckBoxGlyph = GetSystemMetrics(SM_CXMENUCHECK) + 4;
  w.AutoSave = TextWidth(AutoSaveBox->Font(), AutoSaveBox->Caption());
  w.Suppress = TextWidth(SuppressBox->Font(), SuppressBox->Caption());
  w.Startup = TextWidth(StartupBox->Font(), StartupBox->Caption());
  // The drop-down button, the sunken frame, and a little room either side of the text.
  w.ComboChrome = GetSystemMetrics(SM_CXVSCROLL) + 3 * GetSystemMetrics(SM_CXEDGE) + 4;
  w.HotKeyChoice = WidestChoice(*HotKeyChoice);
  w.DelayChoice = WidestChoice(*PasteDelayChoice);
  w.HotKeyLabel = HotKeyLabel->Width();
  w.DelayLabel = PasteDelayLabel->Width();
  w.TitleLabel = TitleLabel->Width();
  w.MakerLabel = MakerLabel->Width();
  const TSettingsLayout l = FitSettingsTexts(SettingsDesign(), w);

  // Labels keep the size of their captions.
  const auto placeLabel = [](TControl* label, const TBox& at) {
    label->SetBounds(at.Left, at.Top, label->Width(), label->Height());
  };
  placeLabel(TitleLabel, l.TitleLabel);
  placeLabel(MakerLabel, l.MakerLabel);
  placeLabel(HotKeyLabel, l.HotKeyLabel);
  placeLabel(PasteDelayLabel, l.DelayLabel);
  Place(TitlePanel, l.TitlePanel);
  Place(AutoSaveBox, l.AutoSave);
  Place(SuppressBox, l.Suppress);
  Place(StartupBox, l.Startup);
  Place(SortButton, l.Sort);
  Place(HotKeyChoice, l.HotKey);
  Place(PasteDelayChoice, l.Delay);
  Place(OkButton, l.Ok);
  SetClientSize(l.ClientWidth, l.ClientHeight);
}

bool TSettingsDialog::KeepsValuesOf(const TComponent& component) const {
  // Whether the program starts with Windows is the Run key's to say.
  return &component != StartupBox;
}

void TSettingsDialog::FormShow(TObject*) {
  // Another program (or the user, in the system's start-up list) may have changed it.
  StartupBox->SetChecked(startup_.On());
  // The arrow keys go on from the choice shown, not from the top of the list.
  for (TComboBox* box : {HotKeyChoice, PasteDelayChoice}) {
    const std::string text = box->Text();
    const LRESULT at =
        SendMessageA(box->Handle(), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(text.c_str()));
    if (at != CB_ERR && box->Items().Get(static_cast<int>(at)) == text)
      SendMessageA(box->Handle(), CB_SETCURSEL, static_cast<WPARAM>(at), 0);
  }
}

RECT TSettingsDialog::FocusMark(const TControl& button) {
  RECT r = button.BoundsRect();
  InflateRect(&r, 2, 2);
  return r;
}

void TSettingsDialog::FlatButtonKeys(TFlatButton& button, const TWndMethod& inherited,
                                     TMessage& m) {
  if (m.Msg == WM_SETFOCUS || m.Msg == WM_KILLFOCUS) {
    if (HandleAllocated()) {
      const RECT mark = FocusMark(button);
      InvalidateRect(Handle(), &mark, TRUE);
    }
  } else if (m.Msg == WM_KEYUP && m.WParam == VK_SPACE) {
    button.Click();
    m.Result = 0;
    return;
  }
  inherited(m);
}

void TSettingsDialog::Paint(TCanvas& canvas) {
  TPersistentForm::Paint(canvas);
  for (TFlatButton* button : {OkButton, SortButton}) {
    if (!button->Focused()) continue;
    const RECT mark = FocusMark(*button);
    SetTextColor(canvas.Handle(), RGB(0, 0, 0));
    SetBkColor(canvas.Handle(), ColorToRGB(Color()));
    DrawFocusRect(canvas.Handle(), &mark);
  }
}

void TSettingsDialog::ApplyColors(bool highContrast) {
  high_contrast_ = highContrast;
  const auto pick = [highContrast](TColor designed, TColor system) {
    return highContrast ? system : designed;
  };
  SetColor(pick(kPanelColor, clBtnFace));
  for (TLabel* label : {HotKeyLabel, PasteDelayLabel})
    label->Font().SetColor(pick(clNavy, clBtnText));
  TitlePanel->SetColor(pick(clBlue, clHighlight));
  for (TLabel* label : {TitleLabel, MakerLabel})
    label->Font().SetColor(pick(clYellow, clHighlightText));
  for (TFlatButton* b : {OkButton, SortButton}) {
    b->SetColor(pick(kPanelColor, clBtnFace));
    b->SetColorBorder(pick(8556441, clBtnText));
    b->SetColorOver(pick(704216, clHighlight));
    b->SetColorDown(pick(704216, clHighlight));
    b->SetColorOverCaption(pick(clBlack, clHighlightText));
  }
  OkButton->Font().SetColor(pick(clBlack, clBtnText));
  // Sort looks unavailable until saving is suppressed.
  const bool sortOn = SuppressBox->Checked();
  SortButton->Font().SetColor(sortOn ? pick(kSortOnColor, clBtnText)
                                     : pick(kSortOffColor, clGrayText));
}

void TSettingsDialog::WndProc(TMessage& m) {
  TPersistentForm::WndProc(m);
  // A high-contrast theme may have come or gone.
  if (m.Msg == WM_SYSCOLORCHANGE || m.Msg == WM_SETTINGCHANGE) {
    ApplyColors(HighContrastOn());
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }
}

void TSettingsDialog::FormCreate(TObject*) {}

void TSettingsDialog::FormActivate(TObject*) {
  SetCursorPosition(Left() + OkButton->Left() + ScaleValue(64),
                    Top() + OkButton->Top() + ScaleValue(40));
}

TSettingsEntry TSettingsDialog::Entry() const {
  return TSettingsEntry{HotKeyChoice->Text(), PasteDelayChoice->Text(), AutoSaveBox->Checked(),
                        SuppressBox->Checked()};
}

TSettings TSettingsDialog::StartSettings(std::vector<std::string>& notes) {
  const TSettingsEntry stored = Entry();
  const TSettings settings = MendStoredSettings(stored, notes);
  if (settings.HotKey != stored.HotKey) HotKeyChoice->SetText(settings.HotKey);
  if (!ReadPasteDelay(stored.PasteDelay).Valid) PasteDelayChoice->SetText(IntToStr(settings.PasteDelay));
  return settings;
}

void TSettingsDialog::OkClick(TObject*) {
  // Everything is checked before anything is applied: a refused value leaves the
  // dialog open and the settings in force as they were.
  std::string refusal;
  const std::optional<TSettings> accepted = AcceptSettings(Entry(), refusal);
  if (!accepted) {
    ShowMessage(refusal);
    return;
  }
  // First of what OK applies: a Run key that refuses the change leaves everything as it was.
  startup_.Set(StartupBox->Checked());
  TSettings inForce = *accepted;
  bool keyHeld = true;
  OnApply(this, inForce, keyHeld);
  if (!keyHeld) {
    ShowMessage(HotKeyHeldMessage(accepted->HotKey));
    // The settings file must not keep a key that does nothing.
    HotKeyChoice->SetText(inForce.HotKey);
  }
  ModalResult = TModalResult::mrOk;
  Close();
}

void TSettingsDialog::SuppressClick(TObject*) {
  const bool suppress = SuppressBox->Checked();
  if (suppress) AutoSaveBox->SetChecked(false);
  AutoSaveBox->SetEnabled(!suppress);
  SortButton->SetEnabled(suppress);
  ApplyColors(high_contrast_);
  SortButton->Font().SetStyle(suppress ? 0 : fsItalic);
  // Lifting suppression ends sorting; the order the sort gave stays.
  if (!suppress) sorted_ = false;
  OnSuppressChange(this, suppress);
}

void TSettingsDialog::SortClick(TObject*) {
  if (sorted_) return;
  sorted_ = true;
  OnSort(this);
}

}  // namespace qv
