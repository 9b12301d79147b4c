#include "app/MainWindow.h"

#include <algorithm>
#include <vector>

#include "app/FilesFolder.h"
#include "app/PasteTarget.h"
#include "app/RecallRules.h"
#include "app/SingleInstance.h"
#include "framework/Clipbrd.h"
#include "framework/Dialogs.h"
#include "framework/FileIO.h"
#include "framework/SysUtils.h"
#include "framework/WideText.h"
#include "settings/SettingsDialog.h"
#include "settings/SettingsRules.h"

namespace qv {

namespace {

// The Settings dialog's values; its design values while it does not exist.
std::string SettingsHotKey() {
  return SettingsDialog ? SettingsDialog->HotKeyChoice->Text() : "Ctrl+Alt+Down";
}
std::string SettingsPasteDelay() {
  return SettingsDialog ? SettingsDialog->PasteDelayChoice->Text() : "100";
}
bool SettingsAutoSave() { return SettingsDialog && SettingsDialog->AutoSaveBox->Checked(); }

// Loads a picture of the program's own; a missing one leaves the image empty.
void LoadIconPicture(TImage* image, const char* name) {
  try {
    image->Icon().LoadFromResourceName(GetModuleHandleA(nullptr), name);
  } catch (const Exception&) {
    // See above: an empty image.
  }
}

void LoadBitmapPicture(TBitmap& bitmap, const char* name) {
  try {
    bitmap.LoadFromResourceName(GetModuleHandleA(nullptr), name);
  } catch (const Exception&) {
    // See above: an empty picture.
  }
}

// The heights of the clip window's panel and of the lists that run down it, in the design.
constexpr int kPanelHeight = 496, kClipListHeight = 473, kSlotLabelsHeight = 470,
              kSlotStripHeight = 472;

TMenuItem* MakeItem(TComponent* owner, TPopupMenu* menu, const char* name, const char* caption) {
  TMenuItem* item = MakeComponent<TMenuItem>(owner, name);
  item->SetCaption(caption);
  menu->Items().Add(item);
  return item;
}

}  // namespace

TMainWindow::TMainWindow(TComponent* owner)
    : TForm(owner), Capture(this, History, *this), Recall(this, History, Capture, *this) {
  ApplyDesign([this] { ApplyFormDesign(); });
  // The Settings dialog, made after this window, reaches it through the link.
  SettingsLink.HotKey = HotKey;
  SettingsLink.OnApply = TNotifyEvent::Of<&TMainWindow::SettingsApply>(this);
  SettingsLink.OnSuppressChange = TNotifyEvent::Of<&TMainWindow::SettingsSuppressChange>(this);
  SettingsLink.OnSort = TNotifyEvent::Of<&TMainWindow::SettingsSort>(this);
}

void TMainWindow::BeforeDestruction() {
  // The clip list and the journal's timer go with the other controls; the history must
  // reach neither then.
  list_view_.reset();
  Files.OnWake = nullptr;
  Files.OnTrouble = nullptr;
  TForm::BeforeDestruction();
}

TMainWindow::~TMainWindow() {
  measure_canvas_.SetHandle(nullptr);
  if (SettingsLink.HotKey == HotKey) SettingsLink = TSettingsLink();
}

void TMainWindow::CreateParams(TCreateParams& params) {
  TForm::CreateParams(params);
  // Other programs and older copies find the window by this class name.
  params.WinClassName = "TForm1";
}

void TMainWindow::ApplyFormDesign() {
  SetName("MainWindow");
  SetCaption("Quorvel Vavad");
  BorderStyle = TFormBorderStyle::bsNone;
  SetClientSize(379, kPanelHeight);
  Position = TPosition::poDesktopCenter;
  SetColor(clBtnFace);
  Font().SetName("MS Sans Serif");
  Font().SetHeight(-11);
  KeyPreview = true;

  Panel = MakeComponent<TPanel>(this, "Panel", this);
  Panel->SetBounds(0, 0, 249, kPanelHeight);
  Panel->SetColor(11395047);
  Panel->SetHint("Press Ctrl plus 0-9, A-Z for this column.");
  Panel->OnMouseDown = TMouseEvent::Of<&TMainWindow::PanelMouseDown>(this);
  Panel->OnMouseMove = TMouseMoveEvent::Of<&TMainWindow::PanelMouseMove>(this);

  Logo = MakeComponent<TImage>(this, "Logo", Panel);
  Logo->SetBounds(4, 1, 94, 16);
  LoadBitmapPicture(Logo->Picture(), "LOGO");

  // The three mode buttons: bold maroon captions, groups whose buttons may all be up.
  auto modeButton = [this](const char* name, int left, int width, int group,
                           const char* caption) {
    TSpeedButton* b = MakeComponent<TSpeedButton>(this, name, Panel);
    b->SetBounds(left, 2, width, 16);
    b->GroupIndex = group;
    b->AllowAllUp = true;
    b->SetCaption(caption);
    b->Font().SetStyle(fsBold);
    b->Font().SetColor(clMaroon);
    b->SetHint("Paste from clicked line to top.");
    return b;
  };
  // Three upward arrows in the Symbol font.
  RangeButton = modeButton("RangeButton", 128, 34, 1, "\xAD\xAD\xAD");
  RangeButton->Font().SetName("Symbol");
  RangeButton->OnClick = TNotifyEvent::Of<&TMainWindow::RangeButtonClick>(this);
  PlusCrLfLfButton = modeButton("PlusCrLfLfButton", 163, 29, 2, "+CR");
  PlusCrLfButton = modeButton("PlusCrLfButton", 192, 29, 2, "+cR");
  HideButton = MakeComponent<TSpeedButton>(this, "HideButton", Panel);
  HideButton->SetBounds(221, 3, 25, 14);
  LoadBitmapPicture(HideButton->Glyph(), "HIDE_GLYPH");
  HideButton->OnClick = TNotifyEvent::Of<&TMainWindow::HideButtonClick>(this);
  FindButton = MakeComponent<TSpeedButton>(this, "FindButton", Panel);
  FindButton->SetBounds(101, 3, 25, 14);
  // Down while the find line is open.
  FindButton->GroupIndex = 3;
  FindButton->AllowAllUp = true;
  LoadBitmapPicture(FindButton->Glyph(), "FIND_GLYPH");
  FindButton->SetHint("Find clips by the words they hold (F3).");
  FindButton->OnClick = TNotifyEvent::Of<&TMainWindow::FindButtonClick>(this);
  for (TSpeedButton* b : {RangeButton, PlusCrLfLfButton, PlusCrLfButton, HideButton, FindButton})
    b->ParentColor = true;

  FindLine = MakeComponent<TEdit>(this, "FindLine", Panel);
  // Over the logo while it is open.
  FindLine->SetBounds(4, 2, 95, 15);
  FindLine->SetCtl3D(false);  // a thin border: the strip is low
  FindLine->SetVisible(false);
  FindLine->OnChange = TNotifyEvent::Of<&TMainWindow::FindLineChange>(this);

  ClipList = MakeComponent<TCheckListBox>(this, "ClipList", Panel);
  ClipList->SetBounds(8, 18, 233, kClipListHeight);
  ClipList->SetColor(13434879);
  ClipList->Font().SetName("MS Sans Serif");
  ClipList->Font().SetHeight(-11);
  ClipList->Font().SetColor(clNavy);
  ClipList->SetItemHeight(13);
  ClipList->OnClick = TNotifyEvent::Of<&TMainWindow::ClipListClick>(this);
  ClipList->OnMouseUp = TMouseEvent::Of<&TMainWindow::ListMouseUp>(this);
  ClipList->OnKeyPress = TKeyPressEvent::Of<&TMainWindow::ClipListKeyPress>(this);
  ClipList->OnGetWideText = TGetWideTextEvent::Of<&TMainWindow::ClipListWideText>(this);
  // Before the list's window is made: it is made once, as a list of the history's lines.
  list_view_ = std::make_unique<TClipListView>(History, *ClipList);

  SlotLabels = MakeComponent<TListBox>(this, "SlotLabels", Panel);
  SlotLabels->SetBounds(10, 20, 15, kSlotLabelsHeight);
  SlotLabels->BorderSingle = false;
  SlotLabels->SetItemHeight(13);
  SlotLabels->SetColor(11395047);
  SlotLabels->OnMouseUp = TMouseEvent::Of<&TMainWindow::ListMouseUp>(this);
  SlotLabels->OnClick = TNotifyEvent::Of<&TMainWindow::SlotLabelClick>(this);
  SlotLabels->HintBesideControl = true;  // the preview leaves the other labels clickable
  for (int round = 0; round < 2; ++round) {
    for (const char* label : {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0"})
      SlotLabels->Items().Add(label);
    for (char c = 'A'; c <= 'Z'; ++c) SlotLabels->Items().Add(std::string(1, c));
  }

  SlotStrip = MakeComponent<TPanel>(this, "SlotStrip", Panel);
  SlotStrip->SetBounds(5, 19, 3, kSlotStripHeight);
  SlotStrip->BevelOuter = TBevelCut::bvNone;
  SlotStrip->SetColor(39423);

  CachingOffIcon = MakeComponent<TImage>(this, "CachingOffIcon", this);
  CachingOffIcon->SetBounds(264, 40, 32, 32);
  LoadIconPicture(CachingOffIcon, "TRAY_OFF");
  CachingOnIcon = MakeComponent<TImage>(this, "CachingOnIcon", this);
  CachingOnIcon->SetBounds(304, 40, 32, 32);
  LoadIconPicture(CachingOnIcon, "TRAY_ON");
  SuppressedIcon = MakeComponent<TImage>(this, "SuppressedIcon", this);
  SuppressedIcon->SetBounds(344, 40, 32, 32);
  LoadIconPicture(SuppressedIcon, "TRAY_SUPPRESSED");

  TrayIcon = MakeComponent<TTrayIcon>(this, "TrayIcon");
  TrayIcon->SetIcon(CachingOnIcon->Icon());

  HotKey = MakeComponent<TGlobalHotKey>(this, "HotKey");
  HotKey->SetKey(49192);  // Ctrl+Alt+Down
  HotKey->OnHotKey = TNotifyEvent::Of<&TMainWindow::HotKeyPressed>(this);

  Watcher = MakeComponent<TClipboardWatcher>(this, "Watcher");
  Watcher->OnChange = TNotifyEvent::Of<&TMainWindow::ClipboardChanged>(this);

  TrayMenu = MakeComponent<TPopupMenu>(this, "TrayMenu");
  SettingsItem = MakeItem(this, TrayMenu, "SettingsItem", "Settings...");
  SettingsItem->OnClick = TNotifyEvent::Of<&TMainWindow::SettingsItemClick>(this);
  LoadBitmapPicture(SettingsItem->Bitmap(), "MENU_SETTINGS");
  SaveItem = MakeItem(this, TrayMenu, "SaveItem", "Save Vavad");
  SaveItem->OnClick = TNotifyEvent::Of<&TMainWindow::SaveClick>(this);
  LoadBitmapPicture(SaveItem->Bitmap(), "MENU_SAVE");
  ClearItem = MakeItem(this, TrayMenu, "ClearItem", "Clear Vavad");
  ClearItem->OnClick = TNotifyEvent::Of<&TMainWindow::ClearClick>(this);
  LoadBitmapPicture(ClearItem->Bitmap(), "MENU_CLEAR");
  TrayIconItem = MakeItem(this, TrayMenu, "TrayIconItem", "Tray Icon");
  TrayIconItem->SetChecked(true);
  TrayIconItem->OnClick = TNotifyEvent::Of<&TMainWindow::TrayIconItemClick>(this);
  CachingItem = MakeItem(this, TrayMenu, "CachingItem", " Caching");
  CachingItem->SetChecked(true);
  CachingItem->OnClick = TNotifyEvent::Of<&TMainWindow::CachingClick>(this);
  QuitItem = MakeItem(this, TrayMenu, "QuitItem", " Quit");
  QuitItem->OnClick = TNotifyEvent::Of<&TMainWindow::QuitClick>(this);
  LoadBitmapPicture(QuitItem->Bitmap(), "MENU_QUIT");

  TrayIcon->SetPopupMenu(TrayMenu);
  TrayIcon->OnDblClick = TNotifyEvent::Of<&TMainWindow::TrayIconDblClick>(this);

  HintTimer = MakeComponent<TTimer>(this, "HintTimer");
  HintTimer->SetInterval(0);
  HintTimer->OnTimer = TNotifyEvent::Of<&TMainWindow::HintTimerTick>(this);
  FilesTimer = MakeComponent<TTimer>(this, "FilesTimer");
  FilesTimer->SetInterval(0);
  FilesTimer->OnTimer = TNotifyEvent::Of<&TMainWindow::FilesTimerTick>(this);
  ListFollowTimer = MakeComponent<TTimer>(this, "ListFollowTimer");
  ListFollowTimer->SetInterval(0);
  ListFollowTimer->OnTimer = TNotifyEvent::Of<&TMainWindow::ListFollowTimerTick>(this);

  // The flat look of the menu; its Active hooks TrayMenu.
  MenuPainter = MakeComponent<TMenuPainter>(this, "MenuPainter");
  MenuPainter->SetDimLevel(30);
  MenuPainter->SetGrayLevel(10);
  MenuPainter->Font().SetName("Tahoma");
  MenuPainter->Font().SetHeight(-11);
  MenuPainter->Font().SetColor(clMenuText);
  MenuPainter->SetColor(clBtnFace);
  MenuPainter->SetDrawMenuBar(false);
  MenuPainter->SetIconBackColor(clBtnFace);
  MenuPainter->SetMenuBarColor(clBtnFace);
  MenuPainter->SetSelectColor(clHighlight);
  MenuPainter->SetSelectBorderColor(clHighlight);
  MenuPainter->SetSelectFontColor(clMenuText);
  MenuPainter->SetDisabledColor(clInactiveCaption);
  MenuPainter->SetSeparatorColor(clBtnFace);
  MenuPainter->SetCheckedColor(clHighlight);
  MenuPainter->SetIconWidth(24);
  MenuPainter->SetDrawSelect(true);
  MenuPainter->SetUseSystemColors(true);
  MenuPainter->SetUseDimColor(false);
  MenuPainter->SetOverrideOwnerDraw(false);
  MenuPainter->SetGradient(false);
  MenuPainter->SetFlatMenu(false);
  MenuPainter->SetAutoDetect(true);
  MenuPainter->SetFlatContainers(0);
  MenuPainter->SetFlatControls(FlatBit(xcPopupMenu) | FlatBit(xcCheckBox));
  MenuPainter->SetActive(true);

  OnCreate = TNotifyEvent::Of<&TMainWindow::FormCreate>(this);
  OnActivate = TNotifyEvent::Of<&TMainWindow::FormActivate>(this);
  OnClose = TCloseEvent::Of<&TMainWindow::FormClose>(this);
  OnKeyDown = TKeyEvent::Of<&TMainWindow::FormKeyDown>(this);
  OnKeyPress = TKeyPressEvent::Of<&TMainWindow::FormKeyPress>(this);
}

namespace {
std::string clipFolder;  // empty: the executable's
}  // namespace

std::string TMainWindow::ClipFolder() {
  if (!clipFolder.empty()) return clipFolder;
  return ExtractFilePath(Application ? Application->ExeName() : std::string());
}

void TMainWindow::SetClipFolder(std::string folder) { clipFolder = std::move(folder); }

void TMainWindow::FormCreate(TObject*) {
  SetWidth(ScaleValue(249));
  Application->OnDeactivate = TNotifyEvent::Of<&TMainWindow::AppDeactivate>(this);
  Application->HintColor = RGBColor(255, 255, 0);
  Application->HintPause = 1;
  Application->HintHidePause = 30000;
  HotKey->SetKey(TextToShortCut("F5"));
  // A save of the settings (or of the fallback folder's record) that was killed half-way
  // left its temporary file behind; the clip files sweep their own.
  if (Application)
    SweepTemporaries(RealFileSystem(), ClipFolder(),
                     {Application->Title() + ".ini", kFolderRecordFile});
  // A file that cannot be opened ends creation here with "Cannot open file";
  // the history then starts empty, or with the list but no texts.
  Files.SetFolder(ClipFolder());
  Files.OnWake = [this] { FilesDue(); };
  Files.OnTrouble = [this](const std::string& what) { TrayIcon->ShowBalloon(Caption(), what); };
  Files.Activity = [this] { return Capture.TextsSeen(); };
  auto tell = [this] {
    for (const std::string& note : Files.Notes()) ShowMessage(note);
  };
  try {
    Files.Load();
  } catch (const Exception&) {
    tell();
    throw;
  }
  tell();
  ClipboardChanged(nullptr);
}

void TMainWindow::ChangeScale(int newDpi) {
  TForm::ChangeScale(newDpi);
  FitSlotRows();
}

void TMainWindow::FitSlotRows() {
  // From the design each time: a height grown here is never scaled again.
  const auto placeAll = [this](int grow) {
    ClipList->SetHeight(ScaleValue(kClipListHeight) + grow);
    SlotLabels->SetHeight(ScaleValue(kSlotLabelsHeight) + grow);
    SlotStrip->SetHeight(ScaleValue(kSlotStripHeight) + grow);
    Panel->SetHeight(ScaleValue(kPanelHeight) + grow);
  };
  placeAll(0);
  if (!ClipList->HandleAllocated() || !SlotLabels->HandleAllocated()) return;
  // The slot labels name 36 rows. Lines of fonts that rounded up can outgrow the lists
  // scaled from the design (20 pixels a line at 144 DPI, not 19.5): the lists, the panel
  // and the window then grow so that every labelled row shows whole.
  int grow = 0;
  for (HWND list : {ClipList->Handle(), SlotLabels->Handle()}) {
    RECT client;
    GetClientRect(list, &client);
    const int line = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    grow = std::max<int>(grow, kSlotCount * line - client.bottom);
  }
  if (grow > 0) placeAll(grow);
  RECT client;
  GetClientRect(Handle(), &client);
  if (client.bottom != Panel->Height()) SetClientSize(client.right, Panel->Height());
}

void TMainWindow::FormActivate(TObject*) {
  if (first_activation_done_) return;
  FitSlotRows();
  // Set first: closing a message box below activates the window again.
  first_activation_done_ = true;
  // A stored value that cannot work is replaced, in the dialog too, so the
  // settings file is mended at the end and the user is told only once.
  std::vector<std::string> notes;
  std::string keyText = SettingsHotKey();
  const THotKeyProblem problem = CheckHotKey(TextToShortCut(keyText));
  if (problem != THotKeyProblem::hkOk) {
    notes.push_back(HotKeyRefusedMessage(keyText, problem) + " " + kDesignHotKeyText +
                    " is used instead.");
    keyText = kDesignHotKeyText;
    if (SettingsDialog) SettingsDialog->HotKeyChoice->SetText(keyText);
  }
  HotKey->SetKey(TextToShortCut(keyText));
  const std::string delayText = SettingsPasteDelay();
  const TPasteDelayChoice delay = ReadPasteDelay(delayText);
  if (!delay.Valid) {
    notes.push_back(PasteDelayReplacedMessage(delayText, delay));
    if (SettingsDialog) SettingsDialog->PasteDelayChoice->SetText(IntToStr(delay.Milliseconds));
  }
  Recall.SetPasteDelay(delay.Milliseconds);
  Files.SetAutoSave(SettingsAutoSave(), GetTickCount64());
  FilesDue();
  SendMessageA(ClipList->Handle(), LB_SETHORIZONTALEXTENT, 0, 0);
  Application->Minimize();
  if (!HotKey->Registered()) notes.push_back(HotKeyHeldMessage(keyText));
  for (const std::string& note : notes) ShowMessage(note);
}

void TMainWindow::AppDeactivate(TObject*) {
  CloseFind();
  ClipList->SetTopIndex(0);
  shown_ = false;
  ShowWindow(Application->Handle(), SW_HIDE);
  Hide();
  ListFollowTimer->SetInterval(0);
  ListFollowTimer->OnTimer = TNotifyEvent::Of<&TMainWindow::ListFollowTimerTick>(this);
}

void TMainWindow::FormClose(TObject*, TCloseAction&) { SaveClips(); }

void TMainWindow::SaveClips() { Files.Save(); }

void TMainWindow::FilesTimerTick(TObject*) {
  // An auto save that fails is shown; the timer goes on either way.
  ScopeExit due([this] { FilesDue(); });
  Files.Tick(GetTickCount64());
}

void TMainWindow::FilesDue() { FilesTimer->SetInterval(Files.NextTick(GetTickCount64())); }

void TMainWindow::ToggleCaching() {
  if (CachingItem->Checked()) {
    CachingItem->SetChecked(false);
    ShowTrayIcon(CachingOffIcon);
  } else {
    CachingItem->SetChecked(true);
    ShowTrayIcon(CachingOnIcon);
  }
}

void TMainWindow::CachingClick(TObject*) {
  ToggleCaching();
  Hide();
  shown_ = false;
}

static void PlaceCursorForPrompt(int below) {
  SetCursorPosition(Screen->DesktopWidth() / 2 - 20, Screen->DesktopHeight() / 2 + below);
}

void TMainWindow::QuitClick(TObject*) {
  PlaceCursorForPrompt(32);
  if (MessageDlg("Quit Quorel Vavad?", TMsgDlgType::mtConfirmation, mbYes | mbNo) ==
      TModalResult::mrYes)
    Close();
  Hide();
  shown_ = false;
}

void TMainWindow::SaveClick(TObject*) {
  SaveClips();
  Hide();
}

void TMainWindow::ClearClick(TObject*) {
  Hide();
  PlaceCursorForPrompt(33);
  if (MessageDlg("Clear all current clips?", TMsgDlgType::mtConfirmation, mbYes | mbNo) !=
      TModalResult::mrYes)
    return;
  History.Clear();
  Capture.ForgetLastText();
}

void TMainWindow::ShowTrayIcon(TImage* image) { TrayIcon->SetIcon(image->Icon()); }

TCanvas& TMainWindow::MeasureCanvas() {
  if (!measure_dc_) {
    measure_dc_.reset(CreateCompatibleDC(nullptr));
    measure_canvas_.SetHandle(measure_dc_.get());
    measure_canvas_.Font().SetName("MS Sans Serif");
    measure_canvas_.Font().SetHeight(-11);
  }
  return measure_canvas_;
}

int TMainWindow::DisplayTextWidth(const std::string& text) {
  return MeasureCanvas().TextWidth(text);
}

std::wstring TMainWindow::ExactDisplayText(const std::string& exact) {
  // The rule of the ANSI display line, on the exact text: its first line that is not
  // blank, cut to the width, "..." when cut or when more lines follow.
  const TDisplayLine chosen = ChooseDisplayLine(exact);
  std::wstring line = Utf8ToWide(chosen.line);
  TCanvas& canvas = MeasureCanvas();
  size_t fits = line.size();
  if (canvas.TextExtent(line).cx > kDisplayWidthLimit) {
    size_t low = 0, high = line.size();  // low fits, high does not
    while (high - low > 1) {
      const size_t middle = (low + high) / 2;
      (canvas.TextExtent(line.substr(0, middle)).cx > kDisplayWidthLimit ? high : low) = middle;
    }
    fits = low;
    // Never half of a character outside the basic plane.
    if (fits > 0 && line[fits - 1] >= 0xD800 && line[fits - 1] <= 0xDBFF) --fits;
  }
  const bool cut = fits < line.size();
  line.resize(fits);
  if (cut || chosen.lineCount >= 2) line += L"...";
  return line;
}

void TMainWindow::ClipListWideText(TObject*, int row, std::wstring& text) {
  const int index = list_view_ ? list_view_->ModelIndex(row) : -1;
  if (index < 0) return;
  if (const std::string* exact = History.ExactTextOf(index)) text = ExactDisplayText(*exact);
}

void TMainWindow::ClipboardChanged(TObject*) { Capture.ClipboardChanged(); }

bool TMainWindow::CaptureOn() { return CachingItem->Checked(); }

TClipboard& TMainWindow::CaptureClipboard() { return Watcher->Clipboard(); }

void TMainWindow::NotKept(const std::string& what) { TrayIcon->ShowBalloon(Caption(), what); }

// ---- recall and paste ----

void TMainWindow::RecallSelected() { RecallRow(ClipList->ItemIndex()); }

void TMainWindow::RecallRow(int row) {
  TRecallChoice choice;
  choice.Range = RangeButton->Down();
  choice.PlusCrLf = PlusCrLfButton->Down();
  choice.PlusCrLfLf = PlusCrLfLfButton->Down();
  // Over found clips a range takes the found ones from the picked one up to the top.
  if (choice.Range && list_view_->Finding()) choice.Run = list_view_->RunFrom(row);
  Recall.Recall(list_view_->ModelIndex(row), choice);
}

void TMainWindow::HideForPaste() {
  RangeButton->SetDown(false);
  ClipList->SetItemIndex(-1);
  Application->Minimize();
  Hide();
  // Hidden now, though the paste is still to come: a hot key press meanwhile shows it.
  shown_ = false;
}

void TMainWindow::RecallEnded() {
  shown_ = false;
  CloseFind();
  ClipList->SetTopIndex(0);
}

void TMainWindow::ClipListClick(TObject*) {
  const int selected = ClipList->ItemIndex();
  if (selected >= 0 &&
      ClipList->Items().Get(selected).find(kHeaderMarker) != std::string::npos) {
    RecallSelected();
  }
  ClipList->SetTopIndex(0);
}

void TMainWindow::ListMouseUp(TObject*, TMouseButton button, TShiftState, int, int) {
  if (button != mbRight) return;
  // Both lists stay disabled until the hot key next shows the window.
  ClipList->SetEnabled(false);
  SlotLabels->SetEnabled(false);
  TrayMenu->Popup(Left() + 60, Top() + 50);
}

void TMainWindow::RangeButtonClick(TObject*) {
  // Range mode can only be armed while the list shows its top line.
  if (ClipList->TopIndex() != 0) RangeButton->SetDown(false);
}

void TMainWindow::HideButtonClick(TObject*) {
  shown_ = false;
  CloseFind();
  Hide();
  ClipList->SetTopIndex(0);
}

// ---- hints and tray commands ----

void TMainWindow::SlotLabelClick(TObject*) { ShowPreview(); }

void TMainWindow::ShowPreview() {
  SlotLabels->SetHint("");
  // The labels scroll with the list, so a label's row is its line's index.
  const int k = SlotLabels->ItemIndex();
  const int index = list_view_->ModelIndex(k);
  if (index >= 0) {
    ClipList->SetItemIndex(k);
    const auto convert = [](std::string_view t) { return AnsiToUtf8(t); };
    const bool range = RangeButton->Down();
    SlotLabels->SetHint(PreviewHintText(
        range && list_view_->Finding()
            ? GatherRunExact(History, list_view_->RunFrom(k), convert)
            : History.GatherExact(index, range, convert)));
    SlotLabels->SetShowHint(true);
    HintTimer->SetInterval(100);
  }
  SlotLabels->SetItemIndex(-1);
  ClipList->SetItemIndex(-1);
}

void TMainWindow::HintTimerTick(TObject*) {
  const POINT p = CursorPosition();
  const int left = Left() + SlotLabels->Left(), top = Top() + SlotLabels->Top();
  if (p.x > left && p.x < left + SlotLabels->Width() && p.y > top &&
      p.y < top + SlotLabels->Height())
    return;
  HintTimer->SetInterval(0);
  SlotLabels->SetShowHint(false);
}

void TMainWindow::TrayIconItemClick(TObject*) {
  TrayIconItem->SetChecked(!TrayIconItem->Checked());
  TrayIcon->SetActive(TrayIconItem->Checked());
  Hide();
  shown_ = false;
}

void TMainWindow::TrayIconDblClick(TObject*) {
  if (SettingsSuppressSaving()) return;
  ToggleCaching();
}

void TMainWindow::SettingsApply(TObject* sender) {
  const auto* dialog = static_cast<TSettingsDialog*>(sender);
  Recall.SetPasteDelay(dialog->PasteDelayValue());
  Files.SetAutoSave(dialog->AutoSave(), GetTickCount64());
  FilesDue();
}

void TMainWindow::SettingsSuppressChange(TObject* sender) {
  const bool suppress = static_cast<TSettingsDialog*>(sender)->SuppressSaving();
  if (suppress) Files.SetAutoSave(false, GetTickCount64());
  // Nothing is recorded then, not even the order a Sort gives the list.
  Files.SetJournaling(!suppress);
  FilesDue();
  CachingItem->SetChecked(!suppress);
  CachingItem->SetEnabled(!suppress);
  SaveItem->SetEnabled(!suppress);
  ClearItem->SetEnabled(!suppress);
  ShowTrayIcon(suppress ? SuppressedIcon : CachingOnIcon);
}

void TMainWindow::SettingsSort(TObject*) {
  // Alphabetically, letter case ignored, in the user's language: as a sorted list box
  // orders its lines.
  History.Sort([](const std::string& a, const std::string& b) {
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(),
                          static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) == CSTR_LESS_THAN;
  });
}

bool TMainWindow::SettingsSuppressSaving() {
  return SettingsDialog && SettingsDialog->SuppressBox->Checked();
}

void TMainWindow::SettingsItemClick(TObject*) {
  Hide();
  if (SettingsDialog) SettingsDialog->ShowModal();
}

// ---- hot key, keyboard, dragging ----

void TMainWindow::HotKeyPressed(TObject*) {
  // The user wants the clips again, not the paste still waiting: it would land in the
  // clip window.
  Recall.CancelPaste();
  CloseFind();
  if (shown_) {
    Hide();
    shown_ = false;
    return;
  }
  Recall.SetPasteTarget(PasteTargetAtShow(Handle()));
  const DWORD own = GetCurrentThreadId();
  const DWORD foreground = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
  AttachThreadInput(foreground, own, TRUE);
  SetForegroundWindow(Application->Handle());
  AttachThreadInput(foreground, own, FALSE);
  ClipList->SetEnabled(true);
  SlotLabels->SetEnabled(true);
  ListFollowTimer->SetInterval(100);
  Application->Restore();
  Show();
  ClipList->SetTopIndex(0);
  Panel->SetFocus();
  SetCursorPosition(Left() + Panel->Left() + Panel->Width() - 3, Top() + SlotStrip->Top() + 100);
  SendMessageA(ClipList->Handle(), LB_SETHORIZONTALEXTENT, 0, 0);
  SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetWindowPos(Handle(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  shown_ = true;
}

void TMainWindow::FormKeyDown(TObject*, WORD& key, TShiftState shift) {
  find_char_taken_ = false;
  if (key == VK_F3) {
    OpenFind();
    key = 0;
    return;
  }
  if (find_open_) {
    FindKeyDown(key, shift);
    return;
  }
  ClipList->SetItemIndex(-1);
  const int slot = SlotOfKey(key);
  slot_key_char_pending_ = slot >= 0;
  if (slot < 0) return;
  const int line = SlotLine(slot, ClipList->TopIndex());
  if (line < ClipList->Count()) ClipList->SetItemIndex(line);
  if (ClipList->ItemIndex() >= 0) RecallSelected();
}

void TMainWindow::FindKeyDown(WORD& key, TShiftState shift) {
  const int rows = list_view_->RowCount();
  const int selected = ClipList->ItemIndex();
  switch (key) {
    case VK_ESCAPE:
      // The first Esc empties the line, the second closes it.
      if (FindLine->Text().empty())
        CloseFind();
      else
        FindLine->SetText("");
      break;
    case VK_UP:
      if (rows > 0) ClipList->SetItemIndex(std::max(selected - 1, 0));
      break;
    case VK_DOWN:
      if (rows > 0) ClipList->SetItemIndex(std::min(selected + 1, rows - 1));
      break;
    case VK_RETURN:
      if (selected >= 0) RecallRow(selected);
      break;
    default: {
      // Ctrl plus a slot key recalls the line its label marks; without Ctrl the key types.
      const int slot = SlotOfKey(key);
      if (slot < 0 || !(shift & ssCtrl)) return;
      const int line = SlotLine(slot, ClipList->TopIndex());
      if (line < rows) {
        ClipList->SetItemIndex(line);
        RecallRow(line);
      }
      break;
    }
  }
  key = 0;
  find_char_taken_ = true;
}

void TMainWindow::FormKeyPress(TObject*, char& key) {
  if (!find_char_taken_) return;
  find_char_taken_ = false;
  key = 0;
}

void TMainWindow::FindButtonClick(TObject*) {
  // The button went down or up with the click.
  if (FindButton->Down())
    OpenFind();
  else
    CloseFind();
}

void TMainWindow::OpenFind() {
  find_open_ = true;
  FindButton->SetDown(true);
  list_view_->PrepareFind();
  Logo->SetVisible(false);
  FindLine->SetVisible(true);
  if (Visible()) FindLine->SetFocus();
}

void TMainWindow::CloseFind() {
  FindButton->SetDown(false);
  if (!find_open_) return;
  find_open_ = false;
  const bool hadFocus = FindLine->Focused();
  FindLine->SetText("");
  FindLine->SetVisible(false);
  Logo->SetVisible(true);
  if (list_view_ && list_view_->Finding()) list_view_->Find("", "");
  if (hadFocus) Panel->SetFocus();
}

void TMainWindow::FindLineChange(TObject*) {
  if (!list_view_) return;
  const std::string text = FindLine->Text();
  list_view_->Find(text, AnsiToUtf8(text));
  SlotLabels->SetTopIndex(0);
}

void TMainWindow::ClipListKeyPress(TObject*, char& key) {
  // The character of a slot key would make the list select a line starting with
  // it and raise its click: a second recall. The key itself was not consumed.
  if (!slot_key_char_pending_) return;
  slot_key_char_pending_ = false;
  key = 0;
}

void TMainWindow::ListFollowTimerTick(TObject*) {
  const int top = ClipList->TopIndex();
  SlotLabels->SetTopIndex(top);
  if (top != 0) RangeButton->SetDown(false);
}

void TMainWindow::PanelMouseDown(TObject*, TMouseButton, TShiftState, int x, int y) {
  drag_start_x_ = x;
  drag_start_y_ = y;
}

void TMainWindow::PanelMouseMove(TObject*, TShiftState shift, int x, int y) {
  if (shift != ssLeft) return;
  SetTop(Top() + (y - drag_start_y_));
  SetLeft(Left() + (x - drag_start_x_));
}

void TMainWindow::WndProc(TMessage& m) {
  if (m.Msg == TSingleInstance::ShowMessage()) {
    // A second start from this folder: bring the clips up as the hot key would.
    if (!shown_) HotKeyPressed(nullptr);
    m.Result = 0;
    return;
  }
  if (m.Msg == WM_QUERYENDSESSION) {
    // No consent unless both files are written; an error is shown by the caller.
    m.Result = 0;
    SaveClips();
    m.Result = 1;
    return;
  }
  TForm::WndProc(m);
  // The suggested rectangle scaled a window that may have grown for its rows.
  if (m.Msg == WM_DPICHANGED) FitSlotRows();
}

}  // namespace qv
