#include "components/GlobalHotKey.h"

namespace qv {

namespace {

// A hidden window that only receives WM_HOTKEY.
class THotKeyWindow : public TWinControl {
  QV_CLASS(THotKeyWindow)
 public:
  explicit THotKeyWindow(TComponent* owner) : TWinControl(owner) { visible_ = false; }

 protected:
  void CreateParams(TCreateParams& params) override {
    TWinControl::CreateParams(params);
    params.Style = WS_POPUP;
    params.ExStyle = WS_EX_TOOLWINDOW;
    params.WinClassName = "QvHotKeyWindow";
  }
};

}  // namespace

TGlobalHotKey::TGlobalHotKey(TComponent* owner) : TComponent(owner) {
  if (!Designing()) {
    window_.reset(new THotKeyWindow(nullptr));
    saved_window_proc_ = window_->WindowProc;
    window_->WindowProc = TWndMethod::Of<&TGlobalHotKey::HotKeyWndProc>(this);
  }
}

TGlobalHotKey::~TGlobalHotKey() {
  if (!Designing() && window_) {
    Unregister();
    window_->WindowProc = saved_window_proc_;
    window_.reset();
  }
}

void TGlobalHotKey::SetKey(TShortCut key) {
  if (key == key_) return;
  key_ = key;
  if (Designing()) return;
  Unregister();
  if (enabled_) Register();
}

void TGlobalHotKey::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (enabled)
    Register();
  else
    Unregister();
}

void TGlobalHotKey::Loaded() {
  TComponent::Loaded();
  if (enabled_ && !Designing()) Register();
}

void TGlobalHotKey::Register() {
  if (registered_ || !window_) return;
  registered_ =
      RegisterHotKey(window_->Handle(), 0, HotKeyModifiers(key_), HotKeyVirtualKey(key_)) != 0;
}

void TGlobalHotKey::Unregister() {
  if (!registered_) return;
  UnregisterHotKey(window_->Handle(), 0);
  registered_ = false;
}

void TGlobalHotKey::HotKeyWndProc(TMessage& m) {
  if (m.Msg == WM_HOTKEY && OnHotKey) OnHotKey(this);
  saved_window_proc_(m);
}

}  // namespace qv
