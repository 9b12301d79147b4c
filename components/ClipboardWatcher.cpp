#include "components/ClipboardWatcher.h"

namespace qv {

TClipboardWatcher::TClipboardWatcher(TComponent* owner) : TComponent(owner) {}

TClipboardWatcher::~TClipboardWatcher() {
  if (!Designing() && window_) {
    // The system splices the next viewer in where this one was.
    ChangeClipboardChain(window_, next_viewer_);
    DeallocateHWnd(window_);
    window_ = nullptr;
  }
}

TClipboard& TClipboardWatcher::Clipboard() const { return qv::Clipboard(); }

void TClipboardWatcher::Loaded() {
  TComponent::Loaded();
  if (Designing() || window_) return;
  window_ = AllocateHWnd(TWndMethod::Of<&TClipboardWatcher::WatcherWndProc>(this));
  // Joining delivers one WM_DRAWCLIPBOARD at once, inside this call, while
  // next_viewer_ still holds null: that first notice reaches nobody else.
  next_viewer_ = SetClipboardViewer(window_);
}

void TClipboardWatcher::WatcherWndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_CHANGECBCHAIN:
      if (reinterpret_cast<HWND>(m.WParam) == next_viewer_)
        next_viewer_ = reinterpret_cast<HWND>(m.LParam);
      else
        SendMessageA(next_viewer_, m.Msg, m.WParam, m.LParam);
      m.Result = 0;
      return;
    case WM_DRAWCLIPBOARD:
      // The next viewer hears of the change only after the handler is done, and
      // hears of it even when the handler fails.
      try {
        OnChange(this);
      } catch (...) {
        SendMessageA(next_viewer_, m.Msg, m.WParam, m.LParam);
        throw;
      }
      SendMessageA(next_viewer_, m.Msg, m.WParam, m.LParam);
      m.Result = 0;
      return;
    default:
      m.Result = DefWindowProcA(window_, m.Msg, m.WParam, m.LParam);
  }
}

}  // namespace qv
