#pragma once
// TGlobalHotKey: one system-wide hot key, registered through a hidden window of
// its own; OnHotKey is raised whenever the user presses it, whatever program is
// in front.

#include <windows.h>

#include "framework/Controls.h"
#include "framework/ShortCuts.h"

namespace qv {

class TGlobalHotKey : public TComponent {
  QV_CLASS(TGlobalHotKey)
 public:
  explicit TGlobalHotKey(TComponent* owner);
  ~TGlobalHotKey() override;

  TShortCut Key() const { return key_; }
  // A new key unregisters the old one and, when enabled, registers the new one.
  // Writing the key already held does nothing, not even a retry.
  void SetKey(TShortCut key);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool Registered() const { return registered_; }
  // Makes key the hot key when it can be held; otherwise the key in force before stays
  // (a key that does nothing is never kept) and the result is false. The key in force
  // is tried again, as it may have come free.
  bool Take(TShortCut key);
  // The window that receives WM_HOTKEY (null in design mode).
  HWND HotKeyWindow() const { return window_.Handle(); }

  TNotifyEvent OnHotKey;

 protected:
  void Loaded() override;

 private:
  void Register();
  void Unregister();
  void HotKeyWndProc(TMessage& m);

  bool enabled_ = true;
  bool registered_ = false;
  TShortCut key_ = 0;
  TUtilityWindow window_;
};

}  // namespace qv
