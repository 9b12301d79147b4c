#include "components/ClipboardWatcher.h"

#include "framework/Win32Error.h"

namespace qv {

TClipboardWatcher::TClipboardWatcher(TComponent* owner) : TComponent(owner) {}

namespace {

// A viewer behind us that hangs must not stop this thread: the hot key and the capture
// run on it.
void Forward(HWND next, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!next) return;
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(next, message, wParam, lParam, SMTO_ABORTIFHUNG, 1000, &ignored);
}

}  // namespace

TClipboardWatcher::~TClipboardWatcher() {
  // Leaving the chain sends messages; the owner's other components may be gone already.
  leaving_ = true;
  check_timer_.reset();
  if (!Designing() && window_) {
    // The system splices the next viewer in where this one was.
    ChangeClipboardChain(window_.Handle(), next_viewer_);
    window_.Reset();
  }
}

TClipboard& TClipboardWatcher::Clipboard() const { return qv::Clipboard(); }

void TClipboardWatcher::Loaded() {
  TComponent::Loaded();
  if (Designing() || window_) return;
  window_ = TUtilityWindow(TWndMethod::Of<&TClipboardWatcher::WatcherWndProc>(this));
  noticed_sequence_ = GetClipboardSequenceNumber();
  Join();
  check_timer_.reset(new TTimer(nullptr));
  check_timer_->SetInterval(kCheckInterval);
  check_timer_->OnTimer = TNotifyEvent::Of<&TClipboardWatcher::CheckTimerTick>(this);
}

void TClipboardWatcher::Join() {
  // Joining delivers one WM_DRAWCLIPBOARD at once, inside this call, while
  // next_viewer_ still holds null: that first notice reaches nobody else.
  SetLastError(0);
  next_viewer_ = SetClipboardViewer(window_.Handle());
  // Null is also the answer when the chain was empty; only an error code tells a failure.
  // Without the chain nothing is recorded: say so, and let the rest of the start go on.
  if (!next_viewer_ && GetLastError() != 0) {
    try {
      RaiseLastWin32Error("SetClipboardViewer");
    } catch (const EWin32Error&) {
      HandleWindowException();
    }
  }
}

void TClipboardWatcher::Rejoin() {
  if (!window_ || leaving_) return;
  ChangeClipboardChain(window_.Handle(), next_viewer_);
  next_viewer_ = nullptr;
  notice_came_ = false;
  Join();
  if (!notice_came_) {
    noticed_sequence_ = GetClipboardSequenceNumber();
    OnChange(this);
  }
}

void TClipboardWatcher::CheckChain() {
  if (!window_ || leaving_ || GetClipboardSequenceNumber() == noticed_sequence_) return;
  ++missed_notices_;
  Rejoin();
}

void TClipboardWatcher::WatcherWndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_CHANGECBCHAIN:
      if (reinterpret_cast<HWND>(m.WParam) == next_viewer_)
        next_viewer_ = reinterpret_cast<HWND>(m.LParam);
      else
        Forward(next_viewer_, m.Msg, m.WParam, m.LParam);
      m.Result = 0;
      return;
    case WM_DRAWCLIPBOARD:
      notice_came_ = true;
      noticed_sequence_ = GetClipboardSequenceNumber();
      // The next viewer hears of the change only after the handler is done, and
      // hears of it even when the handler fails.
      try {
        if (!leaving_) OnChange(this);
      } catch (...) {
        Forward(next_viewer_, m.Msg, m.WParam, m.LParam);
        throw;
      }
      Forward(next_viewer_, m.Msg, m.WParam, m.LParam);
      m.Result = 0;
      return;
    default:
      m.Result = DefWindowProcA(window_.Handle(), m.Msg, m.WParam, m.LParam);
  }
}

}  // namespace qv
