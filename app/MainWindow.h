#pragma once
// The main window: the clip window the hot key brings up, the tray icon and its menu,
// and the program's lifecycle. The history is the model; capture and recall are units
// of their own; this window wires them to its controls.

#include <memory>
#include <string>

#include "app/ClipCapture.h"
#include "app/ClipFolder.h"
#include "app/ClipHistory.h"
#include "app/ClipListView.h"
#include "app/ClipRecall.h"
#include "components/ClipboardWatcher.h"
#include "components/GlobalHotKey.h"
#include "components/CheckListBox.h"
#include "components/TrayIcon.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "look/MenuPainter.h"

namespace qv {

class TMainWindow : public TForm, private TCaptureHost, private TRecallHost {
  QV_CLASS(TMainWindow)
 public:
  explicit TMainWindow(TComponent* owner);
  ~TMainWindow() override;
  void BeforeDestruction() override;

  // Declared before the controls: the units and the view outlive every control event.
  TClipHistory History;
  // Its files: load, save, journal, and when to do which.
  TClipFolder Files{History};
  TClipCapture Capture;
  TClipRecall Recall;

  TPanel* Panel;
  TImage* Logo;
  TSpeedButton* RangeButton;
  TSpeedButton* PlusCrLfLfButton;  // "+CR"
  TSpeedButton* PlusCrLfButton;    // "+cR"
  TSpeedButton* HideButton;
  TSpeedButton* FindButton;
  // The find line: over the logo while it is open.
  TEdit* FindLine;
  TCheckListBox* ClipList;
  TListBox* SlotLabels;
  TPanel* SlotStrip;
  TImage* CachingOffIcon;
  TImage* CachingOnIcon;
  TImage* SuppressedIcon;
  TTrayIcon* TrayIcon;
  TGlobalHotKey* HotKey;
  TClipboardWatcher* Watcher;
  TPopupMenu* TrayMenu;
  TMenuItem* SettingsItem;
  TMenuItem* SaveItem;
  TMenuItem* ClearItem;
  TMenuItem* TrayIconItem;
  TMenuItem* CachingItem;
  TMenuItem* QuitItem;
  TTimer* HintTimer;
  // Runs when the clip files next need it (a flush, an auto save), and not otherwise.
  TTimer* FilesTimer;
  TTimer* ListFollowTimer;
  TMenuPainter* MenuPainter;

  void ChangeScale(int newDpi) override;

  // Whether the clip window is up after a hot-key press.
  bool Shown() const { return shown_; }

  void FormCreate(TObject* sender);
  void FormActivate(TObject* sender);
  void AppDeactivate(TObject* sender);
  void FormClose(TObject* sender, TCloseAction& action);
  void FilesTimerTick(TObject* sender);
  void CachingClick(TObject* sender);
  void QuitClick(TObject* sender);
  void SaveClick(TObject* sender);
  void ClearClick(TObject* sender);
  // Writes both clip files.
  void SaveClips();
  void ClipboardChanged(TObject* sender);

  // Recall and paste.
  void RecallSelected();
  void ClipListClick(TObject* sender);
  void ListMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void RangeButtonClick(TObject* sender);
  void HideButtonClick(TObject* sender);

  // Finding a clip by what it holds: the list shows only the clips holding every word of
  // the find line.
  void FindButtonClick(TObject* sender);
  void FindLineChange(TObject* sender);
  void OpenFind();
  // Empties the find line and shows the whole list again.
  void CloseFind();
  bool FindOpen() const { return find_open_; }
  // The clip list's view: which history line each shown row is.
  TClipListView& ListView() { return *list_view_; }

  // Preview and tray commands.
  void SlotLabelClick(TObject* sender);
  void ShowPreview();
  void HintTimerTick(TObject* sender);
  void TrayIconItemClick(TObject* sender);
  void TrayIconDblClick(TObject* sender);
  void SettingsItemClick(TObject* sender);
  // What the Settings dialog changes.
  void SettingsApply(TObject* sender);
  void SettingsSuppressChange(TObject* sender);
  void SettingsSort(TObject* sender);

  // Hot key, keyboard and dragging.
  void HotKeyPressed(TObject* sender);
  void FormKeyDown(TObject* sender, WORD& key, TShiftState shift);
  void FormKeyPress(TObject* sender, char& key);
  void ClipListKeyPress(TObject* sender, char& key);
  void ListFollowTimerTick(TObject* sender);
  void PanelMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void PanelMouseMove(TObject* sender, TShiftState shift, int x, int y);

  // Where the clip files live: the folder set at start, else the executable's.
  static std::string ClipFolder();
  static void SetClipFolder(std::string folder);
  // Width in pixels of a text in the list's font, as the display cut measures it.
  int DisplayTextWidth(const std::string& text);
  // What the clip list shows for a clip with an exact text (the rule of the ANSI line).
  std::wstring ExactDisplayText(const std::string& exact);
  void ClipListWideText(TObject* sender, int index, std::wstring& text);

 protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& message) override;

 private:
  void ApplyFormDesign();
  // The lists' heights from the design, grown where 36 lines at this DPI need more.
  void FitSlotRows();
  TCanvas& MeasureCanvas();
  // Capture's needs.
  bool CaptureOn() override;
  TClipboard& CaptureClipboard() override;
  int TextWidth(const std::string& text) override { return DisplayTextWidth(text); }
  void NotKept(const std::string& what) override;
  // Recall's needs.
  void HideForPaste() override;
  void RecallEnded() override;
  // The keys of the clip window while the find line is open.
  void FindKeyDown(WORD& key, TShiftState shift);
  // Recalls a shown row of the clip list, by its model index.
  void RecallRow(int row);
  // Shows one of the hidden images' icons in the notification area.
  void ShowTrayIcon(TImage* image);
  // Capture on or off, with the tray picture that says so.
  void ToggleCaching();
  // Sets the files' timer to when they next need it.
  void FilesDue();
  // The Settings dialog's "Suppress saving further clips." (off while it does not exist).
  static bool SettingsSuppressSaving();

  std::unique_ptr<TClipListView> list_view_;
  bool first_activation_done_ = false;
  bool shown_ = false;
  int drag_start_x_ = 0;
  int drag_start_y_ = 0;
  // A slot key was pressed: its character must not reach the list's type-ahead.
  bool slot_key_char_pending_ = false;
  bool find_open_ = false;
  // A key the find took: its character must not reach the find line.
  bool find_char_taken_ = false;
  TCanvas measure_canvas_;
  UniqueMemoryDc measure_dc_;
};

}  // namespace qv
