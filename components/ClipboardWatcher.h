#pragma once
// TClipboardWatcher: joins the clipboard-viewer chain with a hidden window of its
// own, raises OnChange for every change notice and keeps the chain intact by
// passing every chain message on.

#include <windows.h>

#include <memory>
#include <string>

#include "framework/Clipbrd.h"
#include "framework/Controls.h"
#include "framework/ExtCtrls.h"

namespace qv {

class TClipboardWatcher : public TComponent {
  QV_CLASS(TClipboardWatcher)
 public:
  static constexpr const char* kVersion = "1.20.00.00";

  explicit TClipboardWatcher(TComponent* owner);
  ~TClipboardWatcher() override;

  TNotifyEvent OnChange;
  const std::string& Version() const { return version_; }
  // Stored in form designs, read back and dropped.
  void SetVersion(const std::string&) {}
  TClipboard& Clipboard() const;

  HWND WindowHandle() const { return window_.Handle(); }
  HWND NextViewer() const { return next_viewer_; }

  // A viewer that joined after this one and passes nothing on would stop the notices for
  // good. Every CheckInterval ms (while joined) the clipboard's sequence number is
  // compared with the one of the last notice; a change that brought none is told through
  // OnChange, and the watcher takes the head of the chain again.
  static constexpr unsigned kCheckInterval = 3000;
  void CheckChain();
  // Leaves the chain and joins it again at its head; joining raises OnChange (once, even
  // where the system sends no notice for it).
  void Rejoin();
  // How often CheckChain found a change without a notice.
  int MissedNotices() const { return missed_notices_; }

 protected:
  void Loaded() override;

 private:
  void WatcherWndProc(TMessage& m);
  void Join();
  void CheckTimerTick(TObject*) { CheckChain(); }

  bool leaving_ = false;
  // The clipboard's sequence number at the last notice.
  DWORD noticed_sequence_ = 0;
  bool notice_came_ = false;
  int missed_notices_ = 0;
  std::unique_ptr<TTimer, ComponentDeleter> check_timer_;
  HWND next_viewer_ = nullptr;
  TUtilityWindow window_;
  std::string version_ = kVersion;
};

}  // namespace qv
