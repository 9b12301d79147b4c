#include "components/GlobalHotKey.h"

namespace qv {

TGlobalHotKey::TGlobalHotKey(TComponent* owner) : TComponent(owner) {
  // A form design may set the key while loading, before the after-load step: the window
  // has to be there from the start.
  if (!Designing()) window_ = TUtilityWindow(TWndMethod::Of<&TGlobalHotKey::HotKeyWndProc>(this));
}

TGlobalHotKey::~TGlobalHotKey() { Unregister(); }

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

bool TGlobalHotKey::Take(TShortCut key) {
  const TShortCut previous = key_;
  if (key == previous) {
    SetEnabled(true);
    return registered_;
  }
  SetKey(key);
  if (registered_) return true;
  SetKey(previous);
  return false;
}

void TGlobalHotKey::Loaded() {
  TComponent::Loaded();
  if (enabled_ && !Designing()) Register();
}

void TGlobalHotKey::Register() {
  if (registered_ || !window_) return;
  registered_ =
      RegisterHotKey(window_.Handle(), 0, HotKeyModifiers(key_), HotKeyVirtualKey(key_)) != 0;
}

void TGlobalHotKey::Unregister() {
  if (!registered_) return;
  UnregisterHotKey(window_.Handle(), 0);
  registered_ = false;
}

void TGlobalHotKey::HotKeyWndProc(TMessage& m) {
  if (m.Msg == WM_HOTKEY && OnHotKey) OnHotKey(this);
  m.Result = DefWindowProcA(window_.Handle(), m.Msg, m.WParam, m.LParam);
}

}  // namespace qv
