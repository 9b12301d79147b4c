#include "app/Unit1.h"

#include <cstring>
#include <optional>
#include <unordered_set>
#include <vector>

#include "app/PasteTarget.h"
#include "app/Recall.h"
#include "app/SingleInstance.h"
#include "framework/Clipbrd.h"
#include "framework/Dialogs.h"
#include "framework/FileIO.h"
#include "framework/SysUtils.h"
#include "settings/SettingsRules.h"
#include "settings/Unit2.h"

namespace qv {

int FirstActivationDone = 0;
int WindowShown = 0;
int SkipNextCapture = 1;
int PasteDelay = 0;
double LastSaveTime = 0;
double LastCaptureTime = 0;
const std::string ListLineMarker{kListLineMarker};
TQvCheckListBox* ActiveClipList = nullptr;
TListBox* HintListBox = nullptr;
int CapturesSinceAutoSave = 0;

TForm1* Form1 = nullptr;

namespace {

// How long a recall waits, after the paste delay, for the window it pastes into
// to take the activation back.
constexpr unsigned kActivationWait = 1000;

// The Settings dialog's values; its design values while it does not exist.
std::string SettingsHotKey() { return Form2 ? Form2->ComboBox1->Text() : "Ctrl+Alt+Down"; }
std::string SettingsPasteDelay() { return Form2 ? Form2->ComboBox2->Text() : "100"; }
bool SettingsAutoSave() { return Form2 && Form2->CheckBox1->Checked(); }

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

TMenuItem* MakeItem(TComponent* owner, TPopupMenu* menu, const char* name, const char* caption) {
  TMenuItem* item = MakeComponent<TMenuItem>(owner, name);
  item->SetCaption(caption);
  menu->Items().Add(item);
  return item;
}

}  // namespace

TForm1::TForm1(TComponent* owner)
    : TForm(owner), id_generator_([] { return static_cast<uint32_t>(GetTickCount()); }) {
  Form1 = this;
  // Not part of the design: the capture's own clock for a clipboard that was busy.
  capture_retry_ = MakeComponent<TTimer>(this, "CaptureRetryTimer");
  capture_retry_->SetInterval(0);
  capture_retry_->OnTimer = TNotifyEvent::Of<&TForm1::CaptureRetryTimer>(this);
  ApplyDesign([this] { ApplyFormDesign(); });
  // The Settings dialog, made after this window, reaches it through the link.
  SettingsLink.HotKey = GlobalHotKey1;
  SettingsLink.OnApply = TNotifyEvent::Of<&TForm1::SettingsApply>(this);
  SettingsLink.OnSuppressChange = TNotifyEvent::Of<&TForm1::SettingsSuppressChange>(this);
  SettingsLink.OnSort = TNotifyEvent::Of<&TForm1::SettingsSort>(this);
}

TForm1::~TForm1() {
  measure_canvas_.SetHandle(nullptr);
  if (Form1 == this) Form1 = nullptr;
  if (SettingsLink.HotKey == GlobalHotKey1) SettingsLink = TSettingsLink();
}

void TForm1::ApplyFormDesign() {
  SetName("Form1");
  SetCaption("Quorvel Vavad");
  BorderStyle = TFormBorderStyle::bsNone;
  SetClientSize(379, 496);
  Position = TPosition::poDesktopCenter;
  SetColor(clBtnFace);
  Font().SetName("MS Sans Serif");
  Font().SetHeight(-11);
  KeyPreview = true;

  Panel1 = MakeComponent<TPanel>(this, "Panel1", this);
  Panel1->SetBounds(0, 0, 249, 496);
  Panel1->SetColor(11395047);
  Panel1->SetHint("Press Ctrl plus 0-9, A-Z for this column.");
  Panel1->OnMouseDown = TMouseEvent::Of<&TForm1::Panel1MouseDown>(this);
  Panel1->OnMouseMove = TMouseMoveEvent::Of<&TForm1::Panel1MouseMove>(this);

  Image1 = MakeComponent<TImage>(this, "Image1", Panel1);
  Image1->SetBounds(4, 1, 94, 16);
  LoadBitmapPicture(Image1->Picture(), "LOGO");

  // The three mode buttons: bold maroon captions, groups whose buttons may all be up.
  auto modeButton = [this](const char* name, int left, int width, int group,
                           const char* caption) {
    TSpeedButton* b = MakeComponent<TSpeedButton>(this, name, Panel1);
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
  SpeedButton1 = modeButton("SpeedButton1", 128, 34, 1, "\xAD\xAD\xAD");
  SpeedButton1->Font().SetName("Symbol");
  SpeedButton1->OnClick = TNotifyEvent::Of<&TForm1::SpeedButton1Click>(this);
  SpeedButton3 = modeButton("SpeedButton3", 163, 29, 2, "+CR");
  SpeedButton2 = modeButton("SpeedButton2", 192, 29, 2, "+cR");
  SpeedButton8 = MakeComponent<TSpeedButton>(this, "SpeedButton8", Panel1);
  SpeedButton8->SetBounds(221, 3, 25, 14);
  LoadBitmapPicture(SpeedButton8->Glyph(), "HIDE_GLYPH");
  SpeedButton8->OnClick = TNotifyEvent::Of<&TForm1::SpeedButton8Click>(this);
  for (TSpeedButton* b : {SpeedButton1, SpeedButton3, SpeedButton2, SpeedButton8})
    b->ParentColor = true;

  QvCheckListBox1 = MakeComponent<TQvCheckListBox>(this, "QvCheckListBox1", Panel1);
  QvCheckListBox1->SetBounds(8, 18, 233, 473);
  QvCheckListBox1->SetColor(13434879);
  QvCheckListBox1->Font().SetName("MS Sans Serif");
  QvCheckListBox1->Font().SetHeight(-11);
  QvCheckListBox1->Font().SetColor(clNavy);
  QvCheckListBox1->SetItemHeight(13);
  QvCheckListBox1->OnClick = TNotifyEvent::Of<&TForm1::QvCheckListBox1Click>(this);
  QvCheckListBox1->OnMouseUp = TMouseEvent::Of<&TForm1::QvCheckListBox1MouseUp>(this);
  QvCheckListBox1->OnKeyPress = TKeyPressEvent::Of<&TForm1::QvCheckListBox1KeyPress>(this);

  ListBox7 = MakeComponent<TListBox>(this, "ListBox7", Panel1);
  ListBox7->SetBounds(10, 20, 15, 470);
  ListBox7->BorderSingle = false;
  ListBox7->SetItemHeight(13);
  ListBox7->SetColor(11395047);
  ListBox7->OnMouseUp = TMouseEvent::Of<&TForm1::QvCheckListBox1MouseUp>(this);
  ListBox7->OnClick = TNotifyEvent::Of<&TForm1::ListBox7Click>(this);
  ListBox7->HintBesideControl = true;  // the preview leaves the other labels clickable
  for (int round = 0; round < 2; ++round) {
    for (const char* label : {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0"})
      ListBox7->Items().Add(label);
    for (char c = 'A'; c <= 'Z'; ++c) ListBox7->Items().Add(std::string(1, c));
  }

  Panel4 = MakeComponent<TPanel>(this, "Panel4", Panel1);
  Panel4->SetBounds(5, 19, 3, 472);
  Panel4->BevelOuter = TBevelCut::bvNone;
  Panel4->SetColor(39423);

  Edit2 = MakeComponent<TEdit>(this, "Edit2", this);
  Edit2->SetBounds(256, 8, 113, 21);
  QvRichEdit1 = MakeComponent<TQvRichEdit>(this, "QvRichEdit1");
  QvRichEdit3 = MakeComponent<TQvRichEdit>(this, "QvRichEdit3");
  QvRichEdit4 = MakeComponent<TQvRichEdit>(this, "QvRichEdit4");

  Image2 = MakeComponent<TImage>(this, "Image2", this);
  Image2->SetBounds(264, 40, 32, 32);
  LoadIconPicture(Image2, "TRAY_OFF");
  Image3 = MakeComponent<TImage>(this, "Image3", this);
  Image3->SetBounds(304, 40, 32, 32);
  LoadIconPicture(Image3, "TRAY_ON");
  Image4 = MakeComponent<TImage>(this, "Image4", this);
  Image4->SetBounds(344, 40, 32, 32);
  LoadIconPicture(Image4, "TRAY_SUPPRESSED");

  QvTrayIcon1 = MakeComponent<TQvTrayIcon>(this, "QvTrayIcon1");
  QvTrayIcon1->SetIcon(Image3->Icon());

  GlobalHotKey1 = MakeComponent<TGlobalHotKey>(this, "GlobalHotKey1");
  GlobalHotKey1->SetKey(49192);  // Ctrl+Alt+Down
  GlobalHotKey1->OnHotKey = TNotifyEvent::Of<&TForm1::GlobalHotKey1HotKey>(this);

  ClipboardWatcher1 = MakeComponent<TClipboardWatcher>(this, "ClipboardWatcher1");
  ClipboardWatcher1->OnChange = TNotifyEvent::Of<&TForm1::ClipboardWatcher1Change>(this);

  PopupMenu1 = MakeComponent<TPopupMenu>(this, "PopupMenu1");
  Settings = MakeItem(this, PopupMenu1, "Settings", "Settings...");
  Settings->OnClick = TNotifyEvent::Of<&TForm1::SettingsClick>(this);
  LoadBitmapPicture(Settings->Bitmap(), "MENU_SETTINGS");
  SaveClips1 = MakeItem(this, PopupMenu1, "SaveClips1", "Save Vavad");
  SaveClips1->OnClick = TNotifyEvent::Of<&TForm1::SaveClips1Click>(this);
  LoadBitmapPicture(SaveClips1->Bitmap(), "MENU_SAVE");
  ClearClips1 = MakeItem(this, PopupMenu1, "ClearClips1", "Clear Vavad");
  ClearClips1->OnClick = TNotifyEvent::Of<&TForm1::ClearClips1Click>(this);
  LoadBitmapPicture(ClearClips1->Bitmap(), "MENU_CLEAR");
  NoTrayIcon1 = MakeItem(this, PopupMenu1, "NoTrayIcon1", "Tray Icon");
  NoTrayIcon1->SetChecked(true);
  NoTrayIcon1->OnClick = TNotifyEvent::Of<&TForm1::NoTrayIcon1Click>(this);
  Caching1 = MakeItem(this, PopupMenu1, "Caching1", " Caching");
  Caching1->SetChecked(true);
  Caching1->OnClick = TNotifyEvent::Of<&TForm1::Caching1Click>(this);
  Quit1 = MakeItem(this, PopupMenu1, "Quit1", " Quit");
  Quit1->OnClick = TNotifyEvent::Of<&TForm1::Quit1Click>(this);
  LoadBitmapPicture(Quit1->Bitmap(), "MENU_QUIT");

  QvTrayIcon1->SetPopupMenu(PopupMenu1);
  QvTrayIcon1->OnDblClick = TNotifyEvent::Of<&TForm1::QvTrayIcon1DblClick>(this);

  Timer1 = MakeComponent<TTimer>(this, "Timer1");
  Timer1->SetInterval(0);
  Timer1->OnTimer = TNotifyEvent::Of<&TForm1::Timer1Timer>(this);
  Timer2 = MakeComponent<TTimer>(this, "Timer2");
  Timer2->SetInterval(3000);
  Timer2->OnTimer = TNotifyEvent::Of<&TForm1::Timer2Timer>(this);
  Timer3 = MakeComponent<TTimer>(this, "Timer3");
  Timer3->SetInterval(0);
  Timer3->OnTimer = TNotifyEvent::Of<&TForm1::Timer3Timer>(this);

  // The flat look of the menu; its Active hooks PopupMenu1.
  MenuPainter1 = MakeComponent<TMenuPainter>(this, "MenuPainter1");
  MenuPainter1->SetDimLevel(30);
  MenuPainter1->SetGrayLevel(10);
  MenuPainter1->Font().SetName("Tahoma");
  MenuPainter1->Font().SetHeight(-11);
  MenuPainter1->Font().SetColor(clMenuText);
  MenuPainter1->SetColor(clBtnFace);
  MenuPainter1->SetDrawMenuBar(false);
  MenuPainter1->SetIconBackColor(clBtnFace);
  MenuPainter1->SetMenuBarColor(clBtnFace);
  MenuPainter1->SetSelectColor(clHighlight);
  MenuPainter1->SetSelectBorderColor(clHighlight);
  MenuPainter1->SetSelectFontColor(clMenuText);
  MenuPainter1->SetDisabledColor(clInactiveCaption);
  MenuPainter1->SetSeparatorColor(clBtnFace);
  MenuPainter1->SetCheckedColor(clHighlight);
  MenuPainter1->SetIconWidth(24);
  MenuPainter1->SetDrawSelect(true);
  MenuPainter1->SetUseSystemColors(true);
  MenuPainter1->SetUseDimColor(false);
  MenuPainter1->SetOverrideOwnerDraw(false);
  MenuPainter1->SetGradient(false);
  MenuPainter1->SetFlatMenu(false);
  MenuPainter1->SetAutoDetect(true);
  MenuPainter1->SetFlatContainers(0);
  MenuPainter1->SetFlatControls(FlatBit(xcPopupMenu) | FlatBit(xcCheckBox));
  MenuPainter1->SetActive(true);

  OnCreate = TNotifyEvent::Of<&TForm1::FormCreate>(this);
  OnActivate = TNotifyEvent::Of<&TForm1::FormActivate>(this);
  OnClose = TCloseEvent::Of<&TForm1::FormClose>(this);
  OnKeyDown = TKeyEvent::Of<&TForm1::FormKeyDown>(this);
}

std::string TForm1::ClipFolder() {
  return ExtractFilePath(Application ? Application->ExeName() : std::string());
}

void TForm1::FormCreate(TObject*) {
  LastSaveTime = NowSeconds();
  LastCaptureTime = NowSeconds();
  SetWidth(249);
  Application->OnDeactivate = TNotifyEvent::Of<&TForm1::AppDeactivate>(this);
  Application->HintColor = RGBColor(255, 255, 0);
  Application->HintPause = 1;
  Application->HintHidePause = 30000;
  GlobalHotKey1->SetKey(TextToShortCut("F5"));
  QvRichEdit1->PlainText = true;
  QvRichEdit2.Clear();
  QvRichEdit3->PlainText = true;
  // A save that was killed half-way left its temporary file behind.
  RemoveLeftoverTemporaryFiles();
  // A file that cannot be opened ends creation here with "Cannot open file";
  // the history then starts empty, or with the list but no texts.
  const std::string listPath = ClipFolder() + kClipListFile;
  const std::string storePath = ClipFolder() + kClipStoreFile;
  list_unread_ = GetFileAttributesA(listPath.c_str()) != INVALID_FILE_ATTRIBUTES;
  store_unread_ = GetFileAttributesA(storePath.c_str()) != INVALID_FILE_ATTRIBUTES;
  QvCheckListBox1->Items().LoadFromFile(listPath);
  list_unread_ = false;
  QvRichEdit2.LoadFromFile(storePath);
  store_unread_ = false;
  ClipboardWatcher1Change(nullptr);
}

void TForm1::FormActivate(TObject*) {
  if (FirstActivationDone != 0) return;
  // Set first: closing a message box below activates the window again.
  FirstActivationDone = 1;
  // A stored value that cannot work is replaced, in the dialog too, so the
  // settings file is mended at the end and the user is told only once.
  std::vector<std::string> notes;
  std::string keyText = SettingsHotKey();
  const THotKeyProblem problem = CheckHotKey(TextToShortCut(keyText));
  if (problem != THotKeyProblem::hkOk) {
    notes.push_back(HotKeyRefusedMessage(keyText, problem) + " " + kDesignHotKeyText +
                    " is used instead.");
    keyText = kDesignHotKeyText;
    if (Form2) Form2->ComboBox1->SetText(keyText);
  }
  GlobalHotKey1->SetKey(TextToShortCut(keyText));
  const std::string delayText = SettingsPasteDelay();
  const TPasteDelayChoice delay = ReadPasteDelay(delayText);
  if (!delay.Valid) {
    notes.push_back(PasteDelayReplacedMessage(delayText, delay));
    if (Form2) Form2->ComboBox2->SetText(IntToStr(delay.Milliseconds));
  }
  PasteDelay = delay.Milliseconds;
  Timer2->SetInterval(SettingsAutoSave() ? AutoSaveInterval : 0);
  SendMessageA(QvCheckListBox1->Handle(), LB_SETHORIZONTALEXTENT, 0, 0);
  Application->Minimize();
  if (!GlobalHotKey1->Registered()) notes.push_back(HotKeyHeldMessage(keyText));
  for (const std::string& note : notes) ShowMessage(note);
}

void TForm1::AppDeactivate(TObject*) {
  QvCheckListBox1->SetTopIndex(0);
  WindowShown = 0;
  ShowWindow(Application->Handle(), SW_HIDE);
  Hide();
  Timer3->SetInterval(0);
  Timer3->OnTimer = TNotifyEvent::Of<&TForm1::Timer3Timer>(this);
}

void TForm1::FormClose(TObject*, TCloseAction&) { Housekeeping(nullptr); }

void TForm1::SetAsideUnreadFile(const std::string& path, bool& unread) {
  if (!unread) return;
  // It was there at start but was not read (locked or unreadable): it holds clips
  // this run never saw, and replacing it would lose them.
  std::string aside = path + ".bak";
  for (int n = 1; GetFileAttributesA(aside.c_str()) != INVALID_FILE_ATTRIBUTES && n < 100; ++n)
    aside = path + ".bak" + std::to_string(n);
  if (!MoveFileExA(path.c_str(), aside.c_str(), MOVEFILE_WRITE_THROUGH) &&
      GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
    throw EFCreateError(MsgCannotCreateFile(path));
  unread = false;
}

void TForm1::Housekeeping(TObject*) {
  const std::string listPath = ClipFolder() + kClipListFile;
  const std::string storePath = ClipFolder() + kClipStoreFile;
  // The store first: it only gains blocks between saves, so a stop between the two
  // replaces leaves every list line with its text. If it cannot be written, the list is
  // left alone too.
  SetAsideUnreadFile(storePath, store_unread_);
  QvRichEdit2.SaveToFile(storePath);
  SetAsideUnreadFile(listPath, list_unread_);
  QvCheckListBox1->Items().SaveToFile(listPath);
}

void TForm1::RemoveLeftoverTemporaryFiles() {
  const std::string folder = ClipFolder();
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*.tmp*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  const std::string settings = Application ? Application->Title() + ".ini" : std::string();
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    for (const std::string& target : {std::string(kClipListFile), std::string(kClipStoreFile), settings})
      if (!target.empty() && IsTemporaryFileOf(found.cFileName, target)) {
        DeleteFileA((folder + found.cFileName).c_str());
        break;
      }
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

void TForm1::Timer2Timer(TObject*) {
  if (LastSaveTime != LastCaptureTime || CapturesSinceAutoSave > 0) {
    Housekeeping(nullptr);
    LastSaveTime = LastCaptureTime;
    CapturesSinceAutoSave = 0;
  }
}

void TForm1::ToggleCaching() {
  if (Caching1->Checked()) {
    Caching1->SetChecked(false);
    ShowTrayIcon(Image2);
  } else {
    Caching1->SetChecked(true);
    ShowTrayIcon(Image3);
  }
}

void TForm1::Caching1Click(TObject*) {
  ToggleCaching();
  Hide();
  WindowShown = 0;
}

static void PlaceCursorForPrompt(int below) {
  SetCursorPosition(Screen->DesktopWidth() / 2 - 20, Screen->DesktopHeight() / 2 + below);
}

void TForm1::Quit1Click(TObject*) {
  PlaceCursorForPrompt(32);
  if (MessageDlg("Quit Quorel Vavad?", TMsgDlgType::mtConfirmation, mbYes | mbNo) ==
      TModalResult::mrYes)
    Close();
  Hide();
  WindowShown = 0;
}

void TForm1::SaveClips1Click(TObject*) {
  Housekeeping(nullptr);
  Hide();
}

void TForm1::ClearClips1Click(TObject*) {
  Hide();
  PlaceCursorForPrompt(33);
  if (MessageDlg("Clear all current clips?", TMsgDlgType::mtConfirmation, mbYes | mbNo) !=
      TModalResult::mrYes)
    return;
  QvCheckListBox1->Clear();
  QvRichEdit1->Clear();
  QvRichEdit2.Clear();
  QvRichEdit3->Clear();
}

void TForm1::ShowTrayIcon(TImage* image) { QvTrayIcon1->SetIcon(image->Icon()); }

namespace {

// Content its source marks as not to be recorded (password managers and the
// like) is left alone, exactly as if the clipboard held no text.
bool IsPrivateClipboardContent(TClipboard& clipboard) {
  static const UINT exclude =
      TClipboard::RegisterFormat("ExcludeClipboardContentFromMonitorProcessing");
  static const UINT ignore = TClipboard::RegisterFormat("Clipboard Viewer Ignore");
  static const UINT history = TClipboard::RegisterFormat("CanIncludeInClipboardHistory");
  if (clipboard.HasFormat(exclude) || clipboard.HasFormat(ignore)) return true;
  if (clipboard.HasFormat(history)) {
    try {
      const std::optional<std::string> data = clipboard.FormatData(history);
      if (data && data->size() >= 4) {
        uint32_t value = 0;
        std::memcpy(&value, data->data(), 4);
        return value == 0;
      }
    } catch (const EClipboardException&) {
      return true;  // cannot tell: err on the side of not recording
    }
  }
  return false;
}

}  // namespace

int TForm1::DisplayTextWidth(const std::string& text) {
  if (!measure_dc_) {
    measure_dc_.reset(CreateCompatibleDC(nullptr));
    measure_canvas_.SetHandle(measure_dc_.get());
    measure_canvas_.Font().SetName("MS Sans Serif");
    measure_canvas_.Font().SetHeight(-11);
  }
  return measure_canvas_.TextWidth(text);
}

// About two seconds of tries for a clipboard that another program holds or whose owner is
// slow to render a large text.
constexpr unsigned kCaptureRetryInterval = 100;
constexpr int kCaptureRetries = 20;

void TForm1::ClipboardWatcher1Change(TObject*) {
  if (SkipNextCapture == 1) {
    SkipNextCapture = 0;
    return;
  }
  capture_retry_->SetInterval(0);  // this run reads the newest content itself
  retry_attempts_ = 0;
  RunCapture();
}

void TForm1::RunCapture() {
  if (capturing_) {
    capture_again_ = true;
    return;
  }
  capturing_ = true;
  ScopeExit done([this] { capturing_ = false; });
  bool read = true;
  do {
    capture_again_ = false;
    read = CaptureOnce();
  } while (capture_again_);
  if (read) return;
  const DWORD sequence = GetClipboardSequenceNumber();
  if (sequence != retry_sequence_) retry_attempts_ = 0;
  retry_sequence_ = sequence;
  if (retry_attempts_++ < kCaptureRetries) capture_retry_->SetInterval(kCaptureRetryInterval);
}

void TForm1::CaptureRetryTimer(TObject*) {
  capture_retry_->SetInterval(0);
  // A newer content brings a notice of its own.
  if (GetClipboardSequenceNumber() != retry_sequence_) return;
  RunCapture();
}

bool TForm1::CaptureOnce() {
  if (!Caching1->Checked()) return true;
  TClipboard& clipboard = ClipboardWatcher1->Clipboard();
  // Notices arrive after the fact: by now the source may be placing its next content.
  // Holding the clipboard open while it is examined and read means the text and its
  // private marks are from one and the same content. No waiting here: the retry timer
  // waits, so the hot key and the other notices are answered meanwhile.
  if (!clipboard.TryOpen()) return false;
  std::optional<std::string> text;
  {
    ScopeExit close([&clipboard] { clipboard.Close(); });
    if (!clipboard.HasFormat(CF_TEXT) || IsPrivateClipboardContent(clipboard)) return true;
    text = clipboard.ReadText();
  }
  if (!text) return false;
  // An empty text is nothing to paste back: never a clip.
  if (text->empty()) return true;
  QvRichEdit1->SetText(*text);
  LastCaptureTime = NowSeconds();
  ++CapturesSinceAutoSave;
  const std::string captured = QvRichEdit1->Text();
  if (captured == QvRichEdit3->Text()) return true;
  const std::string id = NextUniqueClipId(id_generator_, QvRichEdit2, captured);
  const std::string display =
      BuildDisplayText(captured, [this](const std::string& t) { return DisplayTextWidth(t); });
  Edit2->SetText(display);
  if (AddClip(captured, id, display)) QvRichEdit3->SetText(captured);
  return true;
}

bool TForm1::AddClip(const std::string& text, const std::string& id, const std::string& display) {
  // Which clips the list shows matters only when the store must make room.
  std::unordered_set<std::string> listed;
  bool listRead = false;
  auto isListed = [&](const std::string& key) {
    if (!listRead) {
      for (int i = 0; i < QvCheckListBox1->Count(); ++i)
        if (auto lineId = ListLineId(QvCheckListBox1->Items().Get(i)))
          listed.insert(UpperCase(*lineId));
      listRead = true;
    }
    return listed.count(key) != 0;
  };
  std::vector<std::string> evicted;
  if (!QvRichEdit2.AddClip(text, id, isListed, &evicted)) return false;
  if (!evicted.empty()) DropListLines(evicted);
  QvCheckListBox1->Items().Insert(0, MakeListLine(display, id));
  return true;
}

void TForm1::DropListLines(const std::vector<std::string>& keys) {
  const std::unordered_set<std::string> gone(keys.begin(), keys.end());
  for (int i = QvCheckListBox1->Count() - 1; i >= 0; --i) {
    const std::optional<std::string> id = ListLineId(QvCheckListBox1->Items().Get(i));
    if (id && gone.count(UpperCase(*id))) QvCheckListBox1->Items().Delete(i);
  }
}

// ---- recall and paste ----

void TForm1::GatherFullClip() {
  TQvCheckListBox* list = ActiveClipList;
  const int selected = list ? list->ItemIndex() : -1;
  if (!SpeedButton1->Down()) {
    if (selected < 0) return;
    // A line whose text is not in the store gathers nothing.
    QvRichEdit1->SetText(QvRichEdit2.Locate(list->Items().Get(selected)).value_or(""));
    return;
  }
  // Range: the selected clip first, the newest last, each followed by a line break.
  // Lines whose text is not in the store are left out, not pasted as blank lines.
  QvRichEdit1->Clear();
  if (list != QvCheckListBox1 || selected < 0) return;
  std::string text;
  for (int i = selected; i >= 0; --i)
    if (auto clip = QvRichEdit2.Locate(list->Items().Get(i))) text += *clip + "\r\n";
  QvRichEdit1->SetText(text);
}

void TForm1::ProcessQvCheckListBoxClick() {
  TQvCheckListBox* list = ActiveClipList;
  if (!list) return;
  const int selected = list->ItemIndex();
  GatherFullClip();
  // Nothing to recall (no text in the store for the line, or for any line of the
  // run): the clipboard keeps what it holds and nothing is pasted, but the
  // recall still ends as one does.
  const bool found = SpeedButton1->Down()
                         ? !QvRichEdit1->Text().empty()
                         : selected >= 0 && QvRichEdit2.Locate(list->Items().Get(selected));
  if (!found) {
    SpeedButton1->SetDown(false);
    list->SetItemIndex(-1);
    Application->Minimize();
    Hide();
    WindowShown = 0;
    QvCheckListBox1->SetTopIndex(0);
    return;
  }
  SkipNextCapture = 1;
  const std::string text =
      WithRecallSuffix(QvRichEdit1->Text(), SpeedButton2->Down(), SpeedButton3->Down());
  try {
    Clipboard().SetAsText(text);
  } catch (const EClipboardException&) {
    // Nothing was written, so no notice of ours will come: the user's next copy
    // must still be recorded.
    SkipNextCapture = 0;
    throw;
  }
  if (!SpeedButton1->Down() && selected >= 0) {
    const std::string line = list->Items().Get(selected);
    list->Items().Delete(selected);
    QvCheckListBox1->Items().Insert(0, line);
    if (QvCheckListBox1->Count() > ClipListLimit) QvCheckListBox1->Items().Delete(ClipListLimit);
  }
  SpeedButton1->SetDown(false);
  list->SetItemIndex(-1);
  Application->Minimize();
  Hide();
  // The paste goes where the user was, or nowhere: the text stays on the clipboard.
  BringBackToFront(PasteTarget);
  if (PasteDelay > 0) Sleep(static_cast<DWORD>(PasteDelay));
  if (WaitUntilInFront(PasteTarget, kActivationWait)) SendExactCtrlV();
  WindowShown = 0;
  QvCheckListBox1->SetTopIndex(0);
}

void TForm1::QvCheckListBox1Click(TObject*) {
  const int selected = QvCheckListBox1->ItemIndex();
  if (selected >= 0 &&
      QvCheckListBox1->Items().Get(selected).find(kHeaderMarker) != std::string::npos) {
    ActiveClipList = QvCheckListBox1;
    ProcessQvCheckListBoxClick();
  }
  QvCheckListBox1->SetTopIndex(0);
}

void TForm1::QvCheckListBox1MouseUp(TObject*, TMouseButton button, TShiftState, int, int) {
  if (button != mbRight) return;
  // Both lists stay disabled until the hot key next shows the window.
  QvCheckListBox1->SetEnabled(false);
  ListBox7->SetEnabled(false);
  PopupMenu1->Popup(Left() + 60, Top() + 50);
}

void TForm1::SpeedButton1Click(TObject*) {
  // Range mode can only be armed while the list shows its top line.
  if (QvCheckListBox1->TopIndex() != 0) SpeedButton1->SetDown(false);
}

void TForm1::SpeedButton8Click(TObject*) {
  WindowShown = 0;
  Hide();
  QvCheckListBox1->SetTopIndex(0);
}

// ---- hints and tray commands ----

void TForm1::ListBox7Click(TObject*) {
  HintListBox = ListBox7;
  ActiveClipList = QvCheckListBox1;
  HintBuilder();
}

void TForm1::HintBuilder() {
  HintListBox->SetHint("");
  const int k = HintListBox->ItemIndex();
  if (k >= 0 && k <= ActiveClipList->Count() - 1) {
    ActiveClipList->SetItemIndex(k);
    GatherFullClip();
    QvRichEdit4->SetText(PreviewHintText(QvRichEdit1->Text()));
    HintListBox->SetHint(QvRichEdit4->Text());
    HintListBox->SetShowHint(true);
    Timer1->SetInterval(100);
  }
  HintListBox->SetItemIndex(-1);
  ActiveClipList->SetItemIndex(-1);
}

void TForm1::Timer1Timer(TObject*) {
  const POINT p = CursorPosition();
  const int left = Left() + HintListBox->Left(), top = Top() + HintListBox->Top();
  if (p.x > left && p.x < left + HintListBox->Width() && p.y > top &&
      p.y < top + HintListBox->Height())
    return;
  Timer1->SetInterval(0);
  HintListBox->SetShowHint(false);
}

void TForm1::NoTrayIcon1Click(TObject*) {
  NoTrayIcon1->SetChecked(!NoTrayIcon1->Checked());
  QvTrayIcon1->SetActive(NoTrayIcon1->Checked());
  Hide();
  WindowShown = 0;
}

void TForm1::QvTrayIcon1DblClick(TObject*) {
  if (SettingsSuppressSaving()) return;
  ToggleCaching();
}

void TForm1::SettingsApply(TObject* sender) {
  const auto* dialog = static_cast<TForm2*>(sender);
  PasteDelay = dialog->PasteDelayValue();
  Timer2->SetInterval(dialog->AutoSave() ? AutoSaveInterval : 0);
}

void TForm1::SettingsSuppressChange(TObject* sender) {
  const bool suppress = static_cast<TForm2*>(sender)->SuppressSaving();
  if (suppress) Timer2->SetInterval(0);
  Caching1->SetChecked(!suppress);
  Caching1->SetEnabled(!suppress);
  SaveClips1->SetEnabled(!suppress);
  ClearClips1->SetEnabled(!suppress);
  if (!suppress) QvCheckListBox1->SetSorted(false);
  ShowTrayIcon(suppress ? Image4 : Image3);
}

void TForm1::SettingsSort(TObject*) { QvCheckListBox1->SetSorted(true); }

bool TForm1::SettingsSuppressSaving() { return Form2 && Form2->CheckBox2->Checked(); }

void TForm1::ShowSettings() {
  if (Form2) Form2->ShowModal();
}

void TForm1::SettingsClick(TObject*) {
  Hide();
  ShowSettings();
}

// ---- hot key, keyboard, dragging ----

void TForm1::GlobalHotKey1HotKey(TObject*) {
  if (WindowShown == 1) {
    Hide();
    WindowShown = 0;
    return;
  }
  PasteTarget = PasteTargetAtShow(Handle());
  const DWORD own = GetCurrentThreadId();
  const DWORD foreground = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
  AttachThreadInput(foreground, own, TRUE);
  SetForegroundWindow(Application->Handle());
  AttachThreadInput(foreground, own, FALSE);
  QvCheckListBox1->SetEnabled(true);
  ListBox7->SetEnabled(true);
  Timer3->SetInterval(100);
  Application->Restore();
  Show();
  QvCheckListBox1->SetTopIndex(0);
  Panel1->SetFocus();
  SetCursorPosition(Left() + Panel1->Left() + Panel1->Width() - 3, Top() + Panel4->Top() + 100);
  SendMessageA(QvCheckListBox1->Handle(), LB_SETHORIZONTALEXTENT, 0, 0);
  SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetWindowPos(Handle(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  WindowShown = 1;
}

void TForm1::FormKeyDown(TObject*, WORD& key, TShiftState) {
  ActiveClipList = QvCheckListBox1;
  QvCheckListBox1->SetItemIndex(-1);
  const int slot = SlotOfKey(key);
  slot_key_char_pending_ = slot >= 0;
  if (slot < 0) return;
  const int line = SlotLine(slot, QvCheckListBox1->TopIndex());
  if (line < QvCheckListBox1->Count()) QvCheckListBox1->SetItemIndex(line);
  if (QvCheckListBox1->ItemIndex() >= 0) ProcessQvCheckListBoxClick();
}

void TForm1::QvCheckListBox1KeyPress(TObject*, char& key) {
  // The character of a slot key would make the list select a line starting with
  // it and raise its click: a second recall. The key itself was not consumed.
  if (!slot_key_char_pending_) return;
  slot_key_char_pending_ = false;
  key = 0;
}

void TForm1::Timer3Timer(TObject*) {
  const int top = QvCheckListBox1->TopIndex();
  ListBox7->SetTopIndex(top);
  if (top != 0) SpeedButton1->SetDown(false);
}

void TForm1::Panel1MouseDown(TObject*, TMouseButton, TShiftState, int x, int y) {
  DragStartX = x;
  DragStartY = y;
}

void TForm1::Panel1MouseMove(TObject*, TShiftState shift, int x, int y) {
  if (shift != ssLeft) return;
  SetTop(Top() + (y - DragStartY));
  SetLeft(Left() + (x - DragStartX));
}

void TForm1::WndProc(TMessage& m) {
  if (m.Msg == TSingleInstance::ShowMessage()) {
    // A second start from this folder: bring the clips up as the hot key would.
    if (WindowShown == 0) GlobalHotKey1HotKey(nullptr);
    m.Result = 0;
    return;
  }
  if (m.Msg == WM_QUERYENDSESSION) {
    // No consent unless both files are written; an error is shown by the caller.
    m.Result = 0;
    Housekeeping(nullptr);
    m.Result = 1;
    return;
  }
  TForm::WndProc(m);
}

}  // namespace qv
