#pragma once
// The main window: the clip list, the text store and their files, the hidden
// buffers, the tray menu commands and the program's lifecycle.

#include <memory>
#include <string>
#include <vector>

#include "app/ClipStore.h"
#include "components/ClipboardWatcher.h"
#include "components/GlobalHotKey.h"
#include "components/QVCtrls.h"
#include "components/QVShell.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/RichEdit.h"
#include "framework/StdCtrls.h"
#include "look/MenuPainter.h"

namespace qv {

// The main window's state (one instance each, shared by its handlers).
extern int FirstActivationDone;
extern int WindowShown;
extern int SkipNextCapture;
extern int PasteDelay;
constexpr unsigned AutoSaveInterval = 300000;
extern double LastSaveTime;
extern double LastCaptureTime;
constexpr int ClipListLimit = kClipListLimit;
extern const std::string ListLineMarker;
class TQvCheckListBox;
extern TQvCheckListBox* ActiveClipList;
extern TListBox* HintListBox;
// Text changes seen since the last auto save. Time stamps are whole seconds, so
// a change in the second of the last auto save would not show in them alone.
extern int CapturesSinceAutoSave;

class TForm1 : public TForm {
  QV_CLASS(TForm1)
 public:
  explicit TForm1(TComponent* owner);
  ~TForm1() override;

  TPanel* Panel1;
  TImage* Image1;
  TSpeedButton* SpeedButton1;
  TSpeedButton* SpeedButton3;
  TSpeedButton* SpeedButton2;
  TSpeedButton* SpeedButton8;
  TQvCheckListBox* QvCheckListBox1;
  TListBox* ListBox7;
  TPanel* Panel4;
  TEdit* Edit2;
  TQvRichEdit* QvRichEdit1;
  // The text store: every clip's block, newest first (kept with an index of its
  // header lines, so it is a store object rather than a bare buffer).
  TClipStore QvRichEdit2;
  TQvRichEdit* QvRichEdit3;
  TQvRichEdit* QvRichEdit4;
  TImage* Image2;
  TImage* Image3;
  TImage* Image4;
  TQvTrayIcon* QvTrayIcon1;
  TGlobalHotKey* GlobalHotKey1;
  TClipboardWatcher* ClipboardWatcher1;
  TPopupMenu* PopupMenu1;
  TMenuItem* Settings;
  TMenuItem* SaveClips1;
  TMenuItem* ClearClips1;
  TMenuItem* NoTrayIcon1;
  TMenuItem* Caching1;
  TMenuItem* Quit1;
  TTimer* Timer1;
  TTimer* Timer2;
  TTimer* Timer3;
  TMenuPainter* MenuPainter1;

  void FormCreate(TObject* sender);
  void FormActivate(TObject* sender);
  void AppDeactivate(TObject* sender);
  void FormClose(TObject* sender, TCloseAction& action);
  void Timer2Timer(TObject* sender);
  void Caching1Click(TObject* sender);
  void Quit1Click(TObject* sender);
  void SaveClips1Click(TObject* sender);
  void ClearClips1Click(TObject* sender);
  void Housekeeping(TObject* sender);
  void ClipboardWatcher1Change(TObject* sender);

  // Recall and paste.
  void GatherFullClip();
  void ProcessQvCheckListBoxClick();
  void QvCheckListBox1Click(TObject* sender);
  void QvCheckListBox1MouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x,
                              int y);
  void SpeedButton1Click(TObject* sender);
  void SpeedButton8Click(TObject* sender);

  // Hints and tray commands.
  void ListBox7Click(TObject* sender);
  void HintBuilder();
  void Timer1Timer(TObject* sender);
  void NoTrayIcon1Click(TObject* sender);
  void QvTrayIcon1DblClick(TObject* sender);
  void SettingsClick(TObject* sender);
  // What the Settings dialog changes.
  void SettingsApply(TObject* sender);
  void SettingsSuppressChange(TObject* sender);
  void SettingsSort(TObject* sender);

  // Hot key, keyboard and dragging.
  void GlobalHotKey1HotKey(TObject* sender);
  void FormKeyDown(TObject* sender, WORD& key, TShiftState shift);
  void QvCheckListBox1KeyPress(TObject* sender, char& key);
  void Timer3Timer(TObject* sender);
  void Panel1MouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void Panel1MouseMove(TObject* sender, TShiftState shift, int x, int y);
  int DragStartX = 0;
  int DragStartY = 0;
  // The window in front when the hot key showed the clip window: a recall pastes
  // there, and only there.
  HWND PasteTarget = nullptr;

  // Puts a clip at the top: its block in the store and its line in the list.
  // False, and nothing changed, when the store has no room for it.
  bool AddClip(const std::string& text, const std::string& id, const std::string& display);
  // The folder of the executable, where the clip files live.
  static std::string ClipFolder();
  // Width in pixels of a text in the list's font, as the display cut measures it.
  int DisplayTextWidth(const std::string& text);

 protected:
  void WndProc(TMessage& message) override;

 private:
  void ApplyFormDesign();
  // A slot key was pressed: its character must not reach the list's type-ahead.
  bool slot_key_char_pending_ = false;
  // Shows one of the hidden images' icons in the notification area.
  void ShowTrayIcon(TImage* image);
  // A clip file that was there but could not be read at start is set aside
  // (renamed to "<name>.bak") before the first save replaces it.
  void SetAsideUnreadFile(const std::string& path, bool& unread);
  // Temporary files of the clip and settings files that a killed save left beside the exe.
  void RemoveLeftoverTemporaryFiles();
  bool list_unread_ = false;
  bool store_unread_ = false;
  // Capture runs one at a time: a notice that arrives while a run waits for a late-
  // rendered text asks for one more run afterwards instead of running inside it.
  void RunCapture();
  // False when the clipboard could not be read (held by another program, or its owner
  // failed to render the text): the capture is then tried again shortly.
  bool CaptureOnce();
  void CaptureRetryTimer(TObject* sender);
  // Takes the list lines of clips the store let go to make room.
  void DropListLines(const std::vector<std::string>& keys);
  bool capturing_ = false;
  bool capture_again_ = false;
  TTimer* capture_retry_ = nullptr;
  DWORD retry_sequence_ = 0;
  int retry_attempts_ = 0;
  // Capture on or off, with the tray picture that says so.
  void ToggleCaching();
  // The Settings dialog's "Suppress saving further clips." (off while it does not exist).
  static bool SettingsSuppressSaving();
  static void ShowSettings();
  TClipIdGenerator id_generator_;
  TCanvas measure_canvas_;
  UniqueMemoryDc measure_dc_;
};

extern TForm1* Form1;

}  // namespace qv
