#include "app/MainWindow.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "app/FilesFolder.h"
#include "app/PasteTarget.h"
#include "app/RecallRules.h"
#include "app/SingleInstance.h"
#include "framework/Dialogs.h"
#include "framework/FileIO.h"
#include "framework/SysUtils.h"
#include "settings/StoredNames.h"

namespace qv {

namespace {
std::string clipFolder;  // empty: the executable's
}  // namespace

std::string TMainWindow::ClipFolder() {
  if (!clipFolder.empty()) return clipFolder;
  return ExtractFilePath(Application ? Application->ExeName() : std::string());
}

void TMainWindow::SetClipFolder(std::string folder) { clipFolder = std::move(folder); }

TMainWindow::TMainWindow(TComponent* owner)
    : TForm(owner), Capture(this, History, *this), Recall(this, History, Capture, *this) {
  ApplyDesign([this] { ApplyFormDesign(); });
}

void TMainWindow::BeforeDestruction() {
  // The parts go before the controls they wire; nothing is captured from then on, and the
  // history and its files reach none of them.
  Capture.SetOn(false);
  find_.reset();
  drag_.reset();
  preview_.reset();
  tray_.reset();
  list_view_.reset();
  Files.OnWake = nullptr;
  Files.OnTrouble = nullptr;
  TForm::BeforeDestruction();
}

TMainWindow::~TMainWindow() = default;

void TMainWindow::CreateParams(TCreateParams& params) {
  TForm::CreateParams(params);
  params.WinClassName = kMainWindowClass;
}

void TMainWindow::ApplyFormDesign() {
  SetName("MainWindow");
  SetCaption("Quorvel Vavad");
  BorderStyle = TFormBorderStyle::bsNone;
  Position = TPosition::poDesktopCenter;
  SetColor(clBtnFace);
  Font().SetName("MS Sans Serif");
  Font().SetHeight(-11);
  KeyPreview = true;
  controls_ = BuildClipWindow(*this);
  // Before the list's window is made: it is made once, as a list of the history's lines.
  list_view_ = std::make_unique<TClipListView>(History, *controls_.ClipList);
  find_ = std::make_unique<TFindBar>(*this, controls_, *list_view_);
  find_->OnRecall = TRecallRowEvent::Of<&TMainWindow::RecallRow>(this);
  TTrayHost& trayHost = *this;
  tray_ = std::make_unique<TTrayCommands>(*this, History, Files, Capture, trayHost);
  preview_ = std::make_unique<TClipPreview>(*this, controls_, History, *list_view_);
  drag_ = std::make_unique<TPanelDrag>(*this, *controls_.Panel);

  HotKey = MakeComponent<TGlobalHotKey>(this, "HotKey");
  HotKey->SetKey(49192);  // Ctrl+Alt+Down
  HotKey->OnHotKey = TNotifyEvent::Of<&TMainWindow::HotKeyPressed>(this);
  Watcher = MakeComponent<TClipboardWatcher>(this, "Watcher");
  Watcher->OnChange = TNotifyEvent::Of<&TMainWindow::ClipboardChanged>(this);
  const auto makeTimer = [this](const char* name, TNotifyEvent tick) {
    TTimer* timer = MakeComponent<TTimer>(this, name);
    timer->SetInterval(0);
    timer->OnTimer = tick;
    return timer;
  };
  FilesTimer = makeTimer("FilesTimer", TNotifyEvent::Of<&TMainWindow::FilesTimerTick>(this));
  ListFollowTimer =
      makeTimer("ListFollowTimer", TNotifyEvent::Of<&TMainWindow::ListFollowTimerTick>(this));
  WireControls();

  OnCreate = TNotifyEvent::Of<&TMainWindow::FormCreate>(this);
  OnActivate = TNotifyEvent::Of<&TMainWindow::FormActivate>(this);
  OnClose = TCloseEvent::Of<&TMainWindow::FormClose>(this);
  OnKeyDown = TKeyEvent::Of<&TMainWindow::FormKeyDown>(this);
  OnKeyPress = TKeyPressEvent::Of<&TMainWindow::FormKeyPress>(this);
}

void TMainWindow::WireControls() {
  const TClipWindowControls& c = controls_;
  c.RangeButton->OnClick = TNotifyEvent::Of<&TMainWindow::RangeButtonClick>(this);
  c.HideButton->OnClick = TNotifyEvent::Of<&TMainWindow::HideButtonClick>(this);
  c.ClipList->OnClick = TNotifyEvent::Of<&TMainWindow::ClipListClick>(this);
  c.ClipList->OnMouseUp = TMouseEvent::Of<&TMainWindow::ListMouseUp>(this);
  c.ClipList->OnKeyPress = TKeyPressEvent::Of<&TMainWindow::ClipListKeyPress>(this);
  c.SlotLabels->OnMouseUp = TMouseEvent::Of<&TMainWindow::ListMouseUp>(this);
}

void TMainWindow::FormCreate(TObject*) {
  SetWidth(ScaleValue(kClipWindowWidth));
  Application->OnDeactivate = TNotifyEvent::Of<&TMainWindow::AppDeactivate>(this);
  Application->HintColor = RGBColor(255, 255, 0);
  Application->HintPause = 1;
  Application->HintHidePause = 30000;
  // The key between creation and the first activation, which puts the Settings choice
  // in force: the one the program has always held while it starts.
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
  Files.OnTrouble = [this](const std::string& what) { tray_->Tell(what); };
  Files.Activity = [this] { return Capture.TextsSeen(); };
  const auto tell = [this] {
    for (const std::string& note : Files.Notes()) ShowMessage(note);
  };
  try {
    Files.Load();
  } catch (const Exception&) {
    tell();
    throw;
  }
  tell();
  Capture.ClipboardChanged();
}

void TMainWindow::ChangeScale(int newDpi) {
  TForm::ChangeScale(newDpi);
  FitSlotRows(*this, controls_);
}

void TMainWindow::UseSettings(TSettingsDialog& dialog) {
  settings_dialog_ = &dialog;
  dialog.FreeNotification(this);
  dialog.OnApply = TApplySettingsEvent::Of<&TMainWindow::SettingsApplied>(this);
  dialog.OnSuppressChange = TSuppressEvent::Of<&TMainWindow::SuppressChanged>(this);
  dialog.OnSort = TNotifyEvent::Of<&TMainWindow::SortClips>(this);
  // A stored suppression switches capture off at once, before the first activation.
  if (dialog.Entry().SuppressSaving) SuppressChanged(&dialog, true);
}

void TMainWindow::Notification(TComponent* component, TOperation operation) {
  TForm::Notification(component, operation);
  if (operation == TOperation::opRemove && component == settings_dialog_)
    settings_dialog_ = nullptr;
}

void TMainWindow::FormActivate(TObject*) {
  if (first_activation_done_) return;
  FitSlotRows(*this, controls_);
  // Set first: closing a message box below activates the window again.
  first_activation_done_ = true;
  // Stored values that cannot work are replaced, in the dialog too, so the settings file
  // is mended at the end and the user is told only once.
  std::vector<std::string> notes;
  const TSettings settings =
      settings_dialog_ ? settings_dialog_->StartSettings(notes) : TSettings();
  HotKey->SetKey(TextToShortCut(settings.HotKey));
  PutInForce(settings);
  // The list never scrolls sideways: the tail of a line (spaces, marker and id) stays
  // out of view.
  SendMessageA(controls_.ClipList->Handle(), LB_SETHORIZONTALEXTENT, 0, 0);
  Application->Minimize();
  if (!HotKey->Registered()) notes.push_back(HotKeyHeldMessage(settings.HotKey));
  for (const std::string& note : notes) ShowMessage(note);
}

void TMainWindow::PutInForce(const TSettings& settings) {
  settings_ = settings;
  Recall.SetPasteDelay(settings.PasteDelay);
  Files.SetAutoSave(settings.AutoSave, GetTickCount64());
  FilesDue();
}

void TMainWindow::SettingsApplied(TObject*, TSettings& settings, bool& keyHeld) {
  keyHeld = HotKey->Take(TextToShortCut(settings.HotKey));
  if (!keyHeld) settings.HotKey = settings_.HotKey;
  PutInForce(settings);
}

void TMainWindow::SuppressChanged(TObject*, bool suppress) {
  settings_.SuppressSaving = suppress;
  if (suppress) Files.SetAutoSave(false, GetTickCount64());
  // Nothing is recorded then, not even the order a Sort gives the list.
  Files.SetJournaling(!suppress);
  FilesDue();
  tray_->SetSuppressed(suppress);
}

void TMainWindow::SortClips(TObject*) { History.Sort(ListBoxOrder); }

void TMainWindow::ShowSettings() {
  if (settings_dialog_) settings_dialog_->ShowModal();
}

void TMainWindow::AppDeactivate(TObject*) {
  ShowWindow(Application->Handle(), SW_HIDE);
  HideClips();
  ListFollowTimer->SetInterval(0);
}

void TMainWindow::FormClose(TObject*, TCloseAction&) { SaveClips(); }

void TMainWindow::FilesTimerTick(TObject*) {
  // An auto save that fails is shown; the timer goes on either way.
  ScopeExit due([this] { FilesDue(); });
  Files.Tick(GetTickCount64());
}

void TMainWindow::FilesDue() { FilesTimer->SetInterval(Files.NextTick(GetTickCount64())); }

// ---- showing and hiding ----

void TMainWindow::ToggleClips() {
  // The user wants the clips again, not the paste still waiting: it would land in the
  // clip window.
  Recall.CancelPaste();
  if (shown_) return HideClips();
  find_->Close();
  Recall.SetPasteTarget(PasteTargetAtShow(Handle()));
  TakeForeground(Application->Handle());
  const TClipWindowControls& c = controls_;
  // A right click disabled the lists for the menu it opened.
  c.ClipList->SetEnabled(true);
  c.SlotLabels->SetEnabled(true);
  ListFollowTimer->SetInterval(100);
  Application->Restore();
  Show();
  c.ClipList->SetTopIndex(0);
  c.Panel->SetFocus();
  // The pointer just inside the panel's right edge: over the clip window, clear of its
  // lines and labels.
  SetCursorPosition(Left() + c.Panel->Left() + c.Panel->Width() - 3,
                    Top() + c.SlotStrip->Top() + 100);
  SendMessageA(c.ClipList->Handle(), LB_SETHORIZONTALEXTENT, 0, 0);
  RaiseAboveAll(Handle());
  shown_ = true;
  // A reader announces the window that came up.
  NotifyWinEvent(EVENT_SYSTEM_FOREGROUND, Handle(), OBJID_WINDOW, CHILDID_SELF);
}

void TMainWindow::HideClips() {
  shown_ = false;
  find_->Close();
  Hide();
  controls_.ClipList->SetTopIndex(0);
}

void TMainWindow::HideForPaste() {
  controls_.RangeButton->SetDown(false);
  controls_.ClipList->SetItemIndex(-1);
  Application->Minimize();
  // Hidden now, though the paste is still to come: a hot key press meanwhile shows it.
  HideClips();
}

// ---- recall and keys ----

void TMainWindow::RecallRow(int row) {
  Recall.Recall(list_view_->ModelIndex(row), ChoiceFor(controls_, *list_view_, row));
}

void TMainWindow::ClipListClick(TObject*) {
  TCheckListBox& list = *controls_.ClipList;
  const int selected = list.ItemIndex();
  // A click on the check box keeps the clip (the list toggles it): it does not recall.
  const DWORD at = GetMessagePos();
  POINT point{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
  ScreenToClient(list.Handle(), &point);
  const bool onCheck = list.CheckAt(point) >= 0;
  // A click on a line, not one the type-ahead chose for a key.
  if (selected >= 0 && !onCheck &&
      list.Items().Get(selected).find(kHeaderMarker) != std::string::npos)
    RecallRow(selected);
  list.SetTopIndex(0);
}

void TMainWindow::ListMouseUp(TObject*, TMouseButton button, TShiftState, int, int) {
  if (button != mbRight) return;
  // Both lists stay disabled until the hot key next shows the window.
  controls_.ClipList->SetEnabled(false);
  controls_.SlotLabels->SetEnabled(false);
  tray_->TrayMenu->Popup(Left() + 60, Top() + 50);
}

void TMainWindow::RangeButtonClick(TObject*) {
  // Range mode can only be armed while the list shows its top line.
  if (controls_.ClipList->TopIndex() != 0) controls_.RangeButton->SetDown(false);
}

bool TMainWindow::ListKeyDown(WORD key) {
  TCheckListBox& list = *controls_.ClipList;
  const int rows = list.Count();
  const int selected = list.ItemIndex();
  switch (key) {
    case VK_DOWN:
      // The first Down selects the top line; moving selects, it never recalls.
      if (rows > 0) list.SetItemIndex(selected < 0 ? 0 : std::min(selected + 1, rows - 1));
      return true;
    case VK_UP:
      if (rows > 0) list.SetItemIndex(std::max(selected - 1, 0));
      return true;
    case VK_RETURN:
      if (selected >= 0) RecallRow(selected);
      return true;
    case VK_DELETE:
      if (selected >= 0) DeleteRow(selected);
      return true;
    case VK_SPACE:
      if (selected >= 0) {
        const int index = list_view_->ModelIndex(selected);
        History.SetKept(index, !History.Kept(index));
        space_char_pending_ = true;
      }
      return true;
    default:
      return false;
  }
}

void TMainWindow::DeleteRow(int row) {
  const int index = list_view_->ModelIndex(row);
  if (index < 0) return;
  if (History.Kept(index) &&
      MessageDlg("Delete this kept clip?", TMsgDlgType::mtConfirmation, mbYes | mbNo) !=
          TModalResult::mrYes)
    return;
  // The same text copied again is a new clip, not a repeat of one that is gone.
  if (History.TextOf(index) == Capture.LastText()) Capture.ForgetLastText();
  History.Delete(index);
  // The line that moved up takes the selection, so Delete can go on down the list.
  TCheckListBox& list = *controls_.ClipList;
  if (list.Count() > 0) list.SetItemIndex(std::min(row, list.Count() - 1));
}

void TMainWindow::FormKeyDown(TObject*, WORD& key, TShiftState shift) {
  if (find_->KeyDown(key, shift)) return;
  if (ListKeyDown(key)) {
    key = 0;
    return;
  }
  TCheckListBox& list = *controls_.ClipList;
  list.SetItemIndex(-1);
  const int slot = SlotOfKey(key);
  slot_key_char_pending_ = slot >= 0;
  if (slot < 0) return;
  const int line = SlotLine(slot, list.TopIndex());
  if (line < list.Count()) list.SetItemIndex(line);
  if (list.ItemIndex() >= 0) RecallRow(list.ItemIndex());
}

void TMainWindow::FormKeyPress(TObject*, char& key) {
  if (find_->TakeChar()) key = 0;
  if (key == ' ' && std::exchange(space_char_pending_, false)) key = 0;
}

void TMainWindow::ClipListKeyPress(TObject*, char& key) {
  // The character of a slot key would make the list select a line starting with
  // it and raise its click: a second recall. The key itself was not consumed.
  if (!slot_key_char_pending_) return;
  slot_key_char_pending_ = false;
  key = 0;
}

void TMainWindow::ListFollowTimerTick(TObject*) {
  const int top = controls_.ClipList->TopIndex();
  controls_.SlotLabels->SetTopIndex(top);
  if (top != 0) controls_.RangeButton->SetDown(false);
}

void TMainWindow::WndProc(TMessage& m) {
  if (m.Msg == TSingleInstance::ShowMessage()) {
    // A second start from this folder: bring the clips up as the hot key would.
    if (!shown_) ToggleClips();
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
  if (m.Msg == WM_DPICHANGED) FitSlotRows(*this, controls_);
  // A high-contrast theme may have come or gone.
  if (m.Msg == WM_SYSCOLORCHANGE || m.Msg == WM_SETTINGCHANGE) {
    ColorClipWindow(controls_, HighContrastOn());
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }
}

}  // namespace qv
