#pragma once
// TClipboardWatcher: joins the clipboard-viewer chain with a hidden window of its
// own, raises OnChange for every change notice and keeps the chain intact by
// passing every chain message on.

#include <windows.h>

#include <string>

#include "framework/Clipbrd.h"
#include "framework/Controls.h"

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

 protected:
  void Loaded() override;

 private:
  void WatcherWndProc(TMessage& m);

  bool leaving_ = false;
  HWND next_viewer_ = nullptr;
  TUtilityWindow window_;
  std::string version_ = kVersion;
};

}  // namespace qv
