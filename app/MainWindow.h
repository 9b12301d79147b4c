#pragma once
// The main window: the clip window the hot key brings up, and the program's lifecycle.
// The history is the model; its files, capture, recall, the find bar, the tray commands
// and the list view are units of their own; this window builds them and wires them to
// each other and to its controls.

#include <memory>
#include <string>

#include "app/ClipCapture.h"
#include "app/ClipFolder.h"
#include "app/ClipHistory.h"
#include "app/ClipListView.h"
#include "app/ClipPreview.h"
#include "app/ClipRecall.h"
#include "app/ClipWindowLayout.h"
#include "app/FindBar.h"
#include "app/TrayCommands.h"
#include "components/ClipboardWatcher.h"
#include "components/GlobalHotKey.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "settings/SettingsDialog.h"

namespace qv {

class TMainWindow : public TForm,
                    private TCaptureHost,
                    private TRecallHost,
                    private TTrayHost {
  QV_CLASS(TMainWindow)
 public:
  explicit TMainWindow(TComponent* owner);
  ~TMainWindow() override;
  void BeforeDestruction() override;

  // Declared before the controls: the units outlive every control event.
  TClipHistory History;
  TClipFolder Files{History};
  TClipCapture Capture;
  TClipRecall Recall;
  TGlobalHotKey* HotKey;
  TClipboardWatcher* Watcher;

  // The Settings dialog whose settings this window puts in force; without one, the
  // design's values hold.
  void UseSettings(TSettingsDialog& dialog);
  // Where the clip files live: the folder set at start, else the executable's.
  static std::string ClipFolder();
  static void SetClipFolder(std::string folder);

  // The hot key's press: brings the clips up in front of the window the user works in,
  // or takes them away when they are up.
  void ToggleClips();
  // Takes the clip window away: hidden, the find closed, the list back at its top.
  void HideClips() override;
  // Whether the clip window is up after a hot-key press.
  bool Shown() const { return shown_; }
  // Writes the clip files.
  void SaveClips() { Files.Save(); }

  const TClipWindowControls& ClipControls() const { return controls_; }
  TClipListView& ListView() { return *list_view_; }
  TFindBar& Find() { return *find_; }
  TTrayCommands& Tray() { return *tray_; }
  TClipPreview& Preview() { return *preview_; }
  // Runs when the clip files next need it (a flush, an auto save), and not otherwise.
  TTimer* FilesTimer;

  void ChangeScale(int newDpi) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& message) override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void ApplyFormDesign();
  void WireControls();
  void FormCreate(TObject* sender);
  void FormActivate(TObject* sender);
  void AppDeactivate(TObject* sender);
  void FormClose(TObject* sender, TCloseAction& action);
  void FilesTimerTick(TObject* sender);
  // Sets the files' timer to when they next need it.
  void FilesDue();

  // Settings.
  void PutInForce(const TSettings& settings);
  void SettingsApplied(TObject* sender, TSettings& settings, bool& keyHeld);
  void SuppressChanged(TObject* sender, bool suppress);
  void SortClips(TObject* sender);

  // Recall and keys.
  void RecallRow(int row);
  void HotKeyPressed(TObject*) { ToggleClips(); }
  void ClipListClick(TObject* sender);
  void ListMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void RangeButtonClick(TObject* sender);
  void HideButtonClick(TObject*) { HideClips(); }
  void FormKeyDown(TObject* sender, WORD& key, TShiftState shift);
  // Down, Up, Enter, Delete and Space on the selected line of the whole list; true when
  // the key was one of them.
  bool ListKeyDown(WORD key);
  void DeleteRow(int row);
  void FormKeyPress(TObject* sender, char& key);
  void ClipListKeyPress(TObject* sender, char& key);
  void ListFollowTimerTick(TObject* sender);
  void ClipboardChanged(TObject*) { Capture.ClipboardChanged(); }

  // Capture's needs.
  TClipboard& CaptureClipboard() override { return Watcher->Clipboard(); }
  int TextWidth(const std::string& text) override { return list_view_->TextWidth(text); }
  void NotKept(const std::string& what) override { tray_->Tell(what); }
  void CopyIgnored() override { tray_->ShowState(); }
  // Recall's needs.
  void HideForPaste() override;
  void RecallEnded() override {}
  void CannotPaste(const std::string& what) override { tray_->Tell(what); }
  // The tray's needs.
  void ShowSettings() override;
  void Quit() override { Close(); }

  TClipWindowControls controls_;
  std::unique_ptr<TClipListView> list_view_;
  std::unique_ptr<TFindBar> find_;
  std::unique_ptr<TTrayCommands> tray_;
  std::unique_ptr<TClipPreview> preview_;
  std::unique_ptr<TPanelDrag> drag_;
  TTimer* ListFollowTimer;
  TSettingsDialog* settings_dialog_ = nullptr;
  // What is in force: the dialog's, once the first activation has applied them.
  TSettings settings_;
  bool first_activation_done_ = false;
  bool shown_ = false;
  // A slot key was pressed: its character must not reach the list's type-ahead.
  bool slot_key_char_pending_ = false;
  // Space toggled a keep mark: its character must not toggle it back in the list.
  bool space_char_pending_ = false;
};

}  // namespace qv
