#include "components/TrayIcon.h"

#include <algorithm>
#include <cstring>

#include "framework/Forms.h"
#include "framework/SysUtils.h"
#include "framework/WideText.h"

namespace qv {

// ---- TIconList ----

int TIconList::Add(const TIcon& icon) {
  Insert(Count(), icon);
  return Count() - 1;
}

void TIconList::Insert(int index, const TIcon& icon) {
  auto copy = std::make_unique<TIcon>();
  copy->Assign(icon);
  index = std::clamp(index, 0, Count());
  icons_.insert(icons_.begin() + index, std::move(copy));
  Changed();
}

TIcon& TIconList::Items(int index) const {
  CheckIndex(index);
  return *icons_[index];
}

void TIconList::Delete(int index) {
  CheckIndex(index);
  icons_.erase(icons_.begin() + index);
  Changed();
}

void TIconList::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) throw EInvalidOperation(MsgListIndexError(index));
}

void TIconList::Clear() {
  if (icons_.empty()) return;
  icons_.clear();
  Changed();
}

void TIconList::Assign(const TIconList& other) {
  if (&other == this) return;
  std::vector<std::unique_ptr<TIcon>> copies;
  for (const auto& icon : other.icons_) {
    copies.push_back(std::make_unique<TIcon>());
    copies.back()->Assign(*icon);
  }
  icons_ = std::move(copies);
  Changed();
}

// ---- TTrayIcon ----

namespace {

// The shell's first record layout: 88 bytes in the 32-bit product.
static_assert(sizeof(void*) != 4 || NOTIFYICONDATAA_V1_SIZE == 88);

// The tip is the short part of a hint, cut to what the 64-byte field holds.
std::string ShortTip(const std::string& hint) {
  std::string tip = hint.substr(0, hint.find('|'));
  if (tip.size() > 63) tip.resize(63);
  return tip;
}

// Where pending input and paint go while the menu is prepared.
void PumpMessages() {
  if (Application) {
    Application->ProcessMessages();
    return;
  }
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// A form still in a drag or capture would keep the mouse from the menu.
void CancelFormMouseMode() {
  TCustomForm* form = dynamic_cast<TCustomForm*>(TWinControl::FromHandle(GetActiveWindow()));
  if (!form && Application) form = Application->MainForm();
  if (form && form->HandleAllocated()) SendMessageA(form->Handle(), WM_CANCELMODE, 0, 0);
}

}  // namespace

TTrayIcon::TTrayIcon(TComponent* owner)
    : TComponent(owner), icon_(std::make_unique<TIcon>()), icons_(std::make_unique<TIconList>()) {
  window_ = TUtilityWindow(TWndMethod::Of<&TTrayIcon::TrayWndProc>(this));
  icon_->OnChange = TNotifyEvent::Of<&TTrayIcon::IconsChanged>(this);
  icons_->OnChange = TNotifyEvent::Of<&TTrayIcon::IconsChanged>(this);
  FillNotifyData(data_);
}

TTrayIcon::~TTrayIcon() {
  SetState(csDestroying, true);
  enabled_ = false;
  icon_->OnChange = nullptr;
  icons_->OnChange = nullptr;
  SetAnimated(false);
  animation_timer_.reset();
  add_retry_timer_.reset();
  Delete();
  window_.Reset();
}

void TTrayIcon::Loaded() {
  TComponent::Loaded();
  if (active_ && !Designing()) Add();
}

void TTrayIcon::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove && component == popup_menu_) popup_menu_ = nullptr;
}

void TTrayIcon::SetActive(bool active) {
  if (active == active_) return;
  active_ = active;
  if (Designing() || Loading()) return;
  if (active)
    Add();
  else
    Delete();
}

void TTrayIcon::SetHint(const std::string& hint) {
  if (hint == hint_) return;
  hint_ = hint;
  Update();
}

void TTrayIcon::SetIcon(const TIcon& icon) {
  if (&icon != icon_.get())
    icon_->Assign(icon);  // reports the change, which updates the shell
  else
    Update();
}

void TTrayIcon::SetInterval(uint16_t interval) {
  interval_ = interval;
  if (animation_timer_) animation_timer_->SetInterval(interval_);
}

void TTrayIcon::SetPopupMenu(TPopupMenu* menu) {
  if (menu == popup_menu_) return;
  if (popup_menu_) RemoveFreeNotification(popup_menu_);
  popup_menu_ = menu;
  if (menu) FreeNotification(menu);
}

void TTrayIcon::SetShowDesign(bool show) {
  if (show == show_design_) return;
  show_design_ = show;
  if (!Designing()) return;
  if (show)
    Add();
  else
    Delete();
}

void TTrayIcon::SetAnimated(bool animated) {
  const bool value = animated && icons_->Count() > 0;
  if (value == animated_) return;
  if (value) {
    if (!animation_timer_) {
      animation_timer_.reset(new TTimer(nullptr));
      animation_timer_->SetEnabled(false);
      animation_timer_->OnTimer = TNotifyEvent::Of<&TTrayIcon::AnimationTick>(this);
    }
    animation_timer_->SetInterval(interval_);
    animated_ = true;
    SetAnimationRunning(added_);
  } else {
    animated_ = false;
    SetAnimationRunning(false);
  }
  frame_index_ = 0;
  Update();
}

void TTrayIcon::SetAnimationRunning(bool running) {
  if (animation_timer_) animation_timer_->SetEnabled(running && animated_);
}

void TTrayIcon::AnimationTick(TObject*) {
  if (Destroying() || !animated_ || icons_->Count() == 0) return;
  frame_index_ = (frame_index_ + 1) % icons_->Count();
  Update();
}

const TIcon* TTrayIcon::CurrentIcon() const {
  if (animated_ && icons_->Count() > 0) {
    const int last = icons_->Count() - 1;
    return &icons_->Items(std::max(std::min(frame_index_, last), 0));
  }
  return icon_.get();
}

void TTrayIcon::FillNotifyData(NOTIFYICONDATAA& data) {
  data = NOTIFYICONDATAA{};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = window_.Handle();
  data.uID = 0;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = WM_QVTRAYICON;
  const TIcon* icon = CurrentIcon();
  // The notification area shows small icons at the system DPI.
  data.hIcon = icon && !icon->Empty()
                   ? icon->HandleAtSize(SystemMetricForDpi(SM_CXSMICON, SystemDpi()))
                   : reinterpret_cast<HICON>(INT_PTR{-1});
  const std::string tip = ShortTip(hint_);
  std::memcpy(data.szTip, tip.c_str(), tip.size() + 1);
}

bool TTrayIcon::ShowBalloon(const std::string& title, const std::string& text) {
  balloon_ = NOTIFYICONDATAA{};
  // The icon's own record keeps the shell's first layout, which has no balloon; the
  // balloon goes in the second, which every shell since Windows 2000 takes.
  balloon_.cbSize = NOTIFYICONDATAA_V2_SIZE;
  balloon_.hWnd = window_.Handle();
  balloon_.uID = 0;
  balloon_.uFlags = NIF_INFO;
  balloon_.dwInfoFlags = NIIF_WARNING;
  balloon_.uTimeout = 10000;
  // The record is ANSI; a message is UTF-8 where a path in it needs more.
  const auto ansi = [](const std::string& message) {
    return WideToAnsi(MessageToWide(message)).text;
  };
  const std::string info = ansi(text).substr(0, sizeof balloon_.szInfo - 1);
  const std::string caption = ansi(title).substr(0, sizeof balloon_.szInfoTitle - 1);
  std::memcpy(balloon_.szInfo, info.c_str(), info.size() + 1);
  std::memcpy(balloon_.szInfoTitle, caption.c_str(), caption.size() + 1);
  return added_ && Shell_NotifyIconA(NIM_MODIFY, &balloon_) != FALSE;
}

void TTrayIcon::Add() {
  Delete();
  const TIcon* icon = CurrentIcon();
  if (!icon || icon->Empty()) return;
  pressed_ = 0;
  FillNotifyData(data_);
  added_ = Shell_NotifyIconA(NIM_ADD, &data_) != FALSE;
  if (added_ && ShortTip(hint_).empty()) Shell_NotifyIconA(NIM_MODIFY, &data_);
  if (animated_) SetAnimationRunning(true);
  if (added_) {
    if (add_retry_timer_) add_retry_timer_->SetEnabled(false);
  } else if (!Designing() && !(add_retry_timer_ && add_retry_timer_->Enabled())) {
    if (!add_retry_timer_) {
      add_retry_timer_.reset(new TTimer(nullptr));
      add_retry_timer_->OnTimer = TNotifyEvent::Of<&TTrayIcon::AddRetryTick>(this);
    }
    add_retries_left_ = kAddRetries;
    add_retry_timer_->SetInterval(AddRetryInterval);
    add_retry_timer_->SetEnabled(true);
  }
}

void TTrayIcon::AddRetryTick(TObject*) {
  if (added_ || !active_ || Destroying() || --add_retries_left_ < 0) {
    add_retry_timer_->SetEnabled(false);
    return;
  }
  Add();
}

void TTrayIcon::Delete() {
  Shell_NotifyIconA(NIM_DELETE, &data_);
  added_ = false;
  pressed_ = 0;
  SetAnimationRunning(false);
}

void TTrayIcon::Update() {
  if (icons_->Count() == 0 && animated_) {
    SetAnimated(false);  // runs this update again, now without animation
    return;
  }
  if (added_) {
    const TIcon* icon = CurrentIcon();
    if (!icon || icon->Empty()) {
      Delete();
    } else {
      FillNotifyData(data_);
      Shell_NotifyIconA(NIM_MODIFY, &data_);
    }
  } else if (Designing() ? show_design_ : (active_ && !Loading())) {
    // While a design loads, the after-load step does the first add.
    Add();
  }
}

void TTrayIcon::TrayWndProc(TMessage& m) {
  // Sent to every top-level window when the taskbar (re)starts: a restarted
  // shell has forgotten every icon.
  static const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
  if (m.Msg == taskbarCreated && taskbarCreated != 0) {
    if (active_ && !Designing() && !Destroying()) Add();
    m.Result = 0;
    return;
  }
  if (m.Msg != WM_QVTRAYICON || !enabled_) {
    m.Result = DefWindowProcA(window_.Handle(), m.Msg, m.WParam, m.LParam);
    return;
  }
  m.Result = 0;
  HandleMouse(static_cast<UINT>(m.LParam));
}

void TTrayIcon::HandleMouse(UINT mouseMsg) {
  POINT pt{};
  GetCursorPos(&pt);
  const TShiftState shift = KeyboardShiftState();
  switch (mouseMsg) {
    case WM_MOUSEMOVE:
      MouseMove(shift, pt.x, pt.y);
      break;
    case WM_LBUTTONDOWN:
      MouseDown(mbLeft, shift | ssLeft, pt.x, pt.y);
      pressed_ |= kLeftPressed;
      break;
    case WM_LBUTTONUP:
      // A release whose press happened elsewhere is no click.
      if (pressed_ & kLeftPressed) {
        pressed_ &= ~kLeftPressed;
        Click(mbLeft, shift | ssLeft, pt.x, pt.y);
      }
      MouseUp(mbLeft, shift | ssLeft, pt.x, pt.y);
      break;
    case WM_LBUTTONDBLCLK:
      DblClick();
      MouseDown(mbLeft, shift | ssDouble, pt.x, pt.y);
      break;
    case WM_RBUTTONDOWN:
      MouseDown(mbRight, shift | ssRight, pt.x, pt.y);
      pressed_ |= kRightPressed;
      break;
    case WM_RBUTTONUP:
      if (pressed_ & kRightPressed) {
        pressed_ &= ~kRightPressed;
        Click(mbRight, shift | ssRight, pt.x, pt.y);
      }
      MouseUp(mbRight, shift | ssRight, pt.x, pt.y);
      break;
    case WM_RBUTTONDBLCLK:
      MouseDown(mbRight, shift | ssDouble, pt.x, pt.y);
      break;
    case WM_MBUTTONDOWN:
      MouseDown(mbMiddle, shift | ssMiddle, pt.x, pt.y);
      break;
    case WM_MBUTTONUP:
      MouseUp(mbMiddle, shift | ssMiddle, pt.x, pt.y);
      break;
    case WM_MBUTTONDBLCLK:
      MouseDown(mbMiddle, shift | ssDouble, pt.x, pt.y);
      break;
    default:
      break;
  }
}

void TTrayIcon::DblClick() {
  if (!Designing() && active_ && popup_menu_) {
    TMenuItem& items = popup_menu_->Items();
    for (int i = 0; i < items.Count(); ++i) {
      TMenuItem* item = items.Items(i);
      if (item->Default && item->Enabled()) {
        item->Click();
        return;
      }
    }
  }
  OnDblClick(this);
}

void TTrayIcon::Click(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbRight && ShowPopup(x, y)) return;
  OnClick(this, button, shift, x, y);
}

void TTrayIcon::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  OnMouseDown(this, button, shift, x, y);
}

void TTrayIcon::MouseMove(TShiftState shift, int x, int y) { OnMouseMove(this, shift, x, y); }

void TTrayIcon::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  OnMouseUp(this, button, shift, x, y);
}

bool TTrayIcon::ShowPopup(int x, int y) {
  if (Designing() || !active_ || !popup_menu_ || !popup_menu_->AutoPopup) return false;
  popup_menu_->PopupComponent = this;
  if (!Destroying()) CancelFormMouseMode();
  // A background program's menu only closes when the user clicks elsewhere if
  // one of its windows is in front.
  if (IsWindowEnabled(window_.Handle())) SetForegroundWindow(window_.Handle());
  PumpMessages();
  try {
    popup_menu_->Popup(x, y);
  } catch (...) {
    if (IsWindowEnabled(window_.Handle())) SetForegroundWindow(window_.Handle());
    throw;
  }
  if (IsWindowEnabled(window_.Handle())) SetForegroundWindow(window_.Handle());
  return true;
}

}  // namespace qv
