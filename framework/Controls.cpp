#include "framework/Controls.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "framework/Accessible.h"
#include "framework/SysUtils.h"
#include "framework/WideText.h"
#include "framework/Win32Error.h"

namespace qv {

namespace {

const char kObjectProp[] = "QvControl";
const char kUtilClass[] = "QvUtilWindow";
UINT_PTR g_next_child_id = 100;

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

void Dispatch(TWinControl* control, TMessage& m) {
  try {
    control->WindowProc(m);
  } catch (...) {
    HandleWindowException();
  }
}

}  // namespace

THintHost* g_hint_host = nullptr;

// Set by the application: shows an error that escaped a message handler.
void (*g_window_exception_handler)() = nullptr;

void HandleWindowException() {
  if (g_window_exception_handler) {
    g_window_exception_handler();
  } else {
    try {
      throw;
    } catch (const std::exception& e) {
      MessageBoxW(nullptr, MessageToWide(e.what()).c_str(), L"Error", MB_OK | MB_ICONERROR);
    } catch (...) {
      // Not one of ours and no application to ask: nothing that could be shown.
    }
  }
}

LRESULT CALLBACK QvWindowProc(HWND wnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  TWinControl* control = nullptr;
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lparam);
    control = static_cast<TWinControl*>(cs->lpCreateParams);
    if (control) control->AttachHandle(wnd);
  } else {
    control = static_cast<TWinControl*>(GetPropA(wnd, kObjectProp));
  }
  if (!control) return DefWindowProcA(wnd, msg, wparam, lparam);
  if (msg == WM_DESTROY) control->WindowDestroying();
  TMessage m{msg, wparam, lparam, 0};
  Dispatch(control, m);
  if (msg == WM_NCDESTROY) control->HandleGone();
  return m.Result;
}

LRESULT CALLBACK QvSubclassProc(HWND wnd, UINT msg, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                DWORD_PTR ref) {
  auto* control = reinterpret_cast<TWinControl*>(ref);
  if (msg == WM_NCDESTROY) {
    const LRESULT result = DefSubclassProc(wnd, msg, wparam, lparam);
    control->HandleGone();
    return result;
  }
  if (msg == WM_DESTROY) control->WindowDestroying();
  TMessage m{msg, wparam, lparam, 0};
  Dispatch(control, m);
  return m.Result;
}

TShiftState KeysToShiftState(WPARAM keys) {
  TShiftState s = 0;
  if (keys & MK_SHIFT) s |= ssShift;
  if (keys & MK_CONTROL) s |= ssCtrl;
  if (keys & MK_LBUTTON) s |= ssLeft;
  if (keys & MK_RBUTTON) s |= ssRight;
  if (keys & MK_MBUTTON) s |= ssMiddle;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  return s;
}

TShiftState KeyboardShiftState() {
  TShiftState s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  return s;
}

// ---- TControl ----

TControl::TControl(TComponent* owner) : TComponent(owner) {
  WindowProc = TWndMethod::Of<&TControl::WndProc>(this);
  font_.OnChange = TNotifyEvent::Of<&TControl::FontChanged>(this);
}

TControl::~TControl() {
  if (g_hint_host) g_hint_host->HintMouseLeave(this);
  if (parent_) parent_->RemoveControl(this);
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent_) parent_->RemoveControl(this);
  if (parent) parent->InsertControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height) {
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
}

void TControl::SetVisible(bool visible) { visible_ = visible; }

void TControl::SetHint(const std::string& hint) {
  if (hint == hint_) return;
  hint_ = hint;
  if (g_hint_host) g_hint_host->HintChanged(this);
}

void TControl::SetShowHint(bool show) {
  if (show == show_hint_) return;
  show_hint_ = show;
  if (g_hint_host) g_hint_host->HintShowChanged(this);
}
void TControl::SetEnabled(bool enabled) { enabled_ = enabled; }

void TControl::SetColor(TColor color) {
  color_ = color;
  ParentColor = false;
  Invalidate();
}

void TControl::ChangeScale(int newDpi) {
  if (newDpi <= 0 || newDpi == dpi_) return;
  const int old = dpi_;
  dpi_ = newDpi;
  TDpiLength* l = dpi_lengths_;
  font_.SetHeight(l[4].Rescale(font_.Height(), old, newDpi));
  SetBounds(l[0].Rescale(left_, old, newDpi), l[1].Rescale(top_, old, newDpi),
            l[2].Rescale(width_, old, newDpi), l[3].Rescale(height_, old, newDpi));
}

void TControl::SetCaption(const std::string& text) {
  caption_ = text;
  Invalidate();
}

LRESULT TControl::Perform(UINT msg, WPARAM wparam, LPARAM lparam) {
  TMessage m{msg, wparam, lparam, 0};
  WindowProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& message) { DefaultHandler(message); }
void TControl::DefaultHandler(TMessage& message) { message.Result = 0; }

void TControl::Click() { OnClick(this); }

void TControl::FontChanged(TObject*) { ParentFont = false; }

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  OnMouseDown(this, button, shift, x, y);
}
void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  OnMouseUp(this, button, shift, x, y);
}
void TControl::MouseMove(TShiftState shift, int x, int y) { OnMouseMove(this, shift, x, y); }

// ---- TWinControl ----

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  for (TControl* child : controls_) child->parent_ = nullptr;
  DestroyWnd();
  controls_.clear();
}

TWinControl* TWinControl::FromHandle(HWND wnd) {
  return wnd ? static_cast<TWinControl*>(GetPropA(wnd, kObjectProp)) : nullptr;
}

void TWinControl::InsertControl(TControl* control) {
  controls_.push_back(control);
  control->parent_ = this;
  if (auto* win = dynamic_cast<TWinControl*>(control)) {
    if (HandleAllocated() && win->Visible()) win->Handle();
  }
}

void TWinControl::RemoveControl(TControl* control) {
  if (auto* win = dynamic_cast<TWinControl*>(control)) win->DestroyWnd();
  controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
  control->parent_ = nullptr;
}

void TWinControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  DestroyWnd();
  TControl::SetParent(parent);
}

HWND TWinControl::Handle() {
  if (!handle_) {
    if (parent_ && !parent_->HandleAllocated()) parent_->Handle();
    if (!handle_) CreateWnd();
  }
  return handle_.get();
}

void TWinControl::UpdateControlState() {
  if (visible_ && parent_ && parent_->HandleAllocated()) Handle();
}

void TWinControl::CreateParams(TCreateParams& params) {
  params.Caption = caption_;
  params.Style = WS_CLIPCHILDREN;
  if (parent_) params.Style |= WS_CHILD | WS_CLIPSIBLINGS;
  if (visible_) params.Style |= WS_VISIBLE;
  if (!enabled_) params.Style |= WS_DISABLED;
  params.X = left_;
  params.Y = top_;
  params.Width = width_;
  params.Height = height_;
  params.WndParent = parent_ ? parent_->Handle() : nullptr;
  params.WinClassName = ClassName();
  if (IsRightToLeft()) {
    params.ExStyle |= WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR;
    if (BiDiMode == TBiDiMode::bdRightToLeft) params.ExStyle |= WS_EX_RIGHT;
  }
}

void TWinControl::CreateWnd() {
  TCreateParams p;
  CreateParams(p);
  HMENU id = nullptr;
  if (p.Style & WS_CHILD) id = reinterpret_cast<HMENU>(g_next_child_id++);
  if (!p.SysClassName.empty()) {
    HWND wnd = CreateWindowExA(p.ExStyle, p.SysClassName.c_str(), p.Caption.c_str(), p.Style, p.X,
                               p.Y, p.Width, p.Height, p.WndParent, id, Instance(), nullptr);
    Win32Check(wnd, "CreateWindowExA");
    AttachHandle(wnd);
    SetWindowSubclass(wnd, QvSubclassProc, 0, reinterpret_cast<DWORD_PTR>(this));
    subclassed_ = true;
    SendMessageA(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Handle()), 0);
  } else {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExA(Instance(), p.WinClassName.c_str(), &wc)) {
      wc = WNDCLASSEXA{};
      wc.cbSize = sizeof(wc);
      wc.style = p.ClassStyle;
      wc.lpfnWndProc = QvWindowProc;
      wc.hInstance = Instance();
      wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
      wc.lpszClassName = p.WinClassName.c_str();
      Win32Check(RegisterClassExA(&wc), "RegisterClassExA");
    }
    HWND wnd = CreateWindowExA(p.ExStyle, p.WinClassName.c_str(), p.Caption.c_str(), p.Style, p.X,
                               p.Y, p.Width, p.Height, p.WndParent, id, Instance(), this);
    Win32Check(wnd, "CreateWindowExA");
  }
  // Siblings overlap in creation order, the later one on top, also when a
  // window is made again later.
  if (parent_) {
    HWND above = HWND_TOP;
    auto& siblings = parent_->controls_;
    for (auto it = std::find(siblings.begin(), siblings.end(), this); it != siblings.end(); ++it) {
      auto* win = dynamic_cast<TWinControl*>(*it);
      if (win && win != this && win->handle_) {
        above = win->handle_.get();
        break;
      }
    }
    SetWindowPos(handle_.get(), above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  WindowCreated();
  for (TControl* child : controls_)
    if (auto* win = dynamic_cast<TWinControl*>(child))
      if (win->Visible() && !win->HandleAllocated()) win->Handle();
}

// One way down for every window of a control, whoever destroys it: WindowDestroying while
// it still exists, then it is let go, then WindowDestroyed. When the system destroys it (with
// its parent), the messages on the way bring the same steps.
void TWinControl::DestroyWnd() {
  for (TControl* child : controls_)
    if (auto* win = dynamic_cast<TWinControl*>(child)) win->DestroyWnd();
  if (!handle_) return;
  WindowDestroying();
  // Stop dispatching to the object and unsubclass before the window goes: the object may
  // be half destroyed, and whoever replaced its WindowProc may be gone already.
  UniqueWindow wnd = DetachHandle();
  wnd.reset();
  WindowDestroyed();
}

void TWinControl::AttachHandle(HWND wnd) {
  handle_.reset(wnd);
  SetPropA(wnd, kObjectProp, this);
}

UniqueWindow TWinControl::DetachHandle() {
  if (!handle_) return UniqueWindow();
  RemovePropA(handle_.get(), kObjectProp);
  if (subclassed_) RemoveWindowSubclass(handle_.get(), QvSubclassProc, 0);
  subclassed_ = false;
  mouse_inside_ = false;
  return std::move(handle_);
}

void TWinControl::HandleGone() {
  // Already being destroyed by the system: let go without destroying it again.
  DetachHandle().release();
  WindowDestroyed();
}

void TWinControl::RecreateWnd() {
  if (!handle_) return;
  DestroyWnd();
  Handle();
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  TControl::SetBounds(left, top, width, height);
  if (handle_)
    SetWindowPos(handle_.get(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT TWinControl::ClientRect() const {
  RECT r{0, 0, width_, height_};
  if (handle_) GetClientRect(handle_.get(), &r);
  return r;
}

void TWinControl::SetVisible(bool visible) {
  TControl::SetVisible(visible);
  if (handle_)
    ShowWindow(handle_.get(), visible ? SW_SHOWNA : SW_HIDE);
  else
    UpdateControlState();
}

void TWinControl::SetEnabled(bool enabled) {
  TControl::SetEnabled(enabled);
  if (handle_) EnableWindow(handle_.get(), enabled);
}

void TWinControl::SetColor(TColor color) {
  TControl::SetColor(color);
}

void TWinControl::ChangeScale(int newDpi) {
  if (newDpi <= 0 || newDpi == dpi_) return;
  TControl::ChangeScale(newDpi);
  for (TControl* child : controls_) child->ChangeScale(newDpi);
}

void TWinControl::SetCaption(const std::string& text) {
  caption_ = text;
  if (handle_) SetWindowTextA(handle_.get(), text.c_str());
}

void TWinControl::BorderStyles(DWORD& style, DWORD& exStyle, bool ctl3d, TBorderStyle border) {
  style &= ~static_cast<DWORD>(WS_BORDER);
  exStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE);
  if (border == TBorderStyle::bsNone) return;
  if (ctl3d)
    exStyle |= WS_EX_CLIENTEDGE;
  else
    style |= WS_BORDER;
}

void TWinControl::ApplyBorder(TCreateParams& params) const {
  BorderStyles(params.Style, params.ExStyle, ctl3d_, border_style_);
}

namespace {
// Gives a window new border styles without making it again.
void RestyleBorder(HWND wnd, bool ctl3d, TBorderStyle border) {
  DWORD style = static_cast<DWORD>(GetWindowLongPtrA(wnd, GWL_STYLE));
  DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrA(wnd, GWL_EXSTYLE));
  TWinControl::BorderStyles(style, exStyle, ctl3d, border);
  SetWindowLongPtrA(wnd, GWL_STYLE, static_cast<LONG_PTR>(style));
  SetWindowLongPtrA(wnd, GWL_EXSTYLE, static_cast<LONG_PTR>(exStyle));
  SetWindowPos(wnd, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}
}  // namespace

void TWinControl::SetCtl3D(bool value) {
  if (value == ctl3d_) return;
  ctl3d_ = value;
  Perform(CM_CTL3DCHANGED);
  if (handle_ && subclassed_) RestyleBorder(handle_.get(), ctl3d_, border_style_);
}

void TWinControl::SetBorderStyle(TBorderStyle value) {
  if (value == border_style_) return;
  border_style_ = value;
  if (handle_ && subclassed_) RestyleBorder(handle_.get(), ctl3d_, border_style_);
}

void TWinControl::Invalidate() {
  if (handle_) InvalidateRect(handle_.get(), nullptr, TRUE);
}

void TWinControl::Repaint() {
  Invalidate();
  Update();
}

void TWinControl::Update() {
  if (handle_) UpdateWindow(handle_.get());
}

void TWinControl::SetFocus() {
  ::SetFocus(Handle());
}

bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_.get(); }

void TWinControl::FontChanged(TObject* sender) {
  TControl::FontChanged(sender);
  if (handle_ && subclassed_) {
    // The new font handle is made after the change; post it once it exists.
    PostMessageA(handle_.get(), WM_SETFONT, 0, 0);
  }
  Invalidate();
}

HBRUSH TWinControl::ColorBrush() {
  if (!color_brush_ || color_brush_color_ != color_) {
    color_brush_.reset(CreateSolidBrush(ColorToRGB(color_)));
    color_brush_color_ = color_;
  }
  return color_brush_.get();
}

void TWinControl::Paint(TCanvas& canvas) {
  canvas.Brush().SetColor(color_);
  canvas.FillRect(ClientRect());
}

bool TWinControl::KeyDown(WORD& key, TShiftState shift) {
  OnKeyDown(this, key, shift);
  return key == 0;
}

bool TWinControl::KeyPress(char& key) {
  OnKeyPress(this, key);
  return key == 0;
}

void TWinControl::KeyUp(WORD& key, TShiftState shift) { OnKeyUp(this, key, shift); }

void TWinControl::TrackMouseLeave() {
  if (mouse_inside_) return;
  mouse_inside_ = true;
  TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, handle_.get(), 0};
  TrackMouseEvent(&tme);
  Perform(CM_MOUSEENTER);
}

void TWinControl::DefaultHandler(TMessage& m) {
  if (!handle_) {
    m.Result = 0;
    return;
  }
  if (subclassed_)
    m.Result = DefSubclassProc(handle_.get(), m.Msg, m.WParam, m.LParam);
  else
    m.Result = DefWindowProcA(handle_.get(), m.Msg, m.WParam, m.LParam);
}

TAccessibleObject* TWinControl::NewAccessible() {
  if (Accessibility.Name.empty() && Accessibility.Role == 0) return nullptr;
  return new TControlAccessible(handle_.get());
}

void TWinControl::WndProc(TMessage& m) {
  // Each family answers what it handles whole (true); the rest goes on to the default.
  if (PaintMessage(m) || ReflectToChild(m) || MouseMessage(m) || KeyMessage(m)) return;
  if (m.Msg == WM_GETOBJECT && static_cast<LONG>(m.LParam) == OBJID_CLIENT) {
    if (TAccessibleObject* object = NewAccessible()) {
      m.Result = object->Answer(m.WParam);
      return;
    }
  }
  if (m.Msg == WM_WINDOWPOSCHANGED) {
    const auto* pos = reinterpret_cast<const WINDOWPOS*>(m.LParam);
    if (!(pos->flags & SWP_NOMOVE)) {
      left_ = pos->x;
      top_ = pos->y;
    }
    if (!(pos->flags & SWP_NOSIZE)) {
      width_ = pos->cx;
      height_ = pos->cy;
    }
  }
  DefaultHandler(m);
}

bool TWinControl::PaintMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_PAINT: {
      if (subclassed_) return false;
      PaintDc dc(handle_.get());
      TCanvas canvas;
      canvas.SetHandle(dc.get());
      canvas.Font().Assign(font_);
      Paint(canvas);
      return true;
    }
    case WM_ERASEBKGND:
      if (subclassed_) return false;
      m.Result = 1;  // Paint covers the whole client area
      return true;
    case WM_SETFONT:
      if (subclassed_ && m.WParam == 0) m.WParam = reinterpret_cast<WPARAM>(font_.Handle());
      return false;
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORSTATIC:
    case CN_CTLCOLORBTN: {
      if (ParentColor && parent_ && color_ != parent_->Color()) color_ = parent_->Color();
      HDC dc = reinterpret_cast<HDC>(m.WParam);
      SetTextColor(dc, ColorToRGB(font_.Color()));
      SetBkColor(dc, ColorToRGB(color_));
      m.Result = reinterpret_cast<LRESULT>(ColorBrush());
      return true;
    }
    default:
      return false;
  }
}

// Notices the system sends a parent about its child controls go back to the child, as
// CN_ messages.
bool TWinControl::ReflectToChild(TMessage& m) {
  HWND from = nullptr;
  UINT reflected = CN_BASE + m.Msg;
  switch (m.Msg) {
    case WM_COMMAND:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      from = reinterpret_cast<HWND>(m.LParam);
      break;
    case WM_NOTIFY:
      from = reinterpret_cast<NMHDR*>(m.LParam)->hwndFrom;
      break;
    case WM_DRAWITEM: {
      const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(m.LParam);
      if (dis->CtlType == ODT_MENU) return false;
      from = dis->hwndItem;
      reflected = CN_DRAWITEM;
      break;
    }
    case WM_MEASUREITEM: {
      const auto* mis = reinterpret_cast<const MEASUREITEMSTRUCT*>(m.LParam);
      if (mis->CtlType == ODT_MENU) return false;
      from = GetDlgItem(handle_.get(), static_cast<int>(mis->CtlID));
      reflected = CN_MEASUREITEM;
      break;
    }
    default:
      return false;
  }
  TWinControl* child = from ? FromHandle(from) : nullptr;
  if (!child || child == this) return false;
  m.Result = child->Perform(reflected, m.WParam, m.LParam);
  return true;
}

bool TWinControl::MouseMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      const TMouseButton button = m.Msg == WM_RBUTTONDOWN   ? mbRight
                                  : m.Msg == WM_MBUTTONDOWN ? mbMiddle
                                                            : mbLeft;
      // A press takes a shown hint away, as on Windows; it comes back after the
      // hint pause when the hint changes or the pointer moves on.
      if (g_hint_host) g_hint_host->HintMouseDown(this);
      DefaultHandler(m);
      if (!subclassed_ && button == mbLeft) SetCapture(handle_.get());
      TShiftState shift = KeysToShiftState(m.WParam);
      if (m.Msg == WM_LBUTTONDBLCLK) {
        shift |= ssDouble;
        if (!NotifiesDoubleClicks()) OnDblClick(this);
      }
      MouseDown(button, shift, GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
      return true;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
      const TMouseButton button = m.Msg == WM_RBUTTONUP   ? mbRight
                                  : m.Msg == WM_MBUTTONUP ? mbMiddle
                                                          : mbLeft;
      const int x = GET_X_LPARAM(m.LParam), y = GET_Y_LPARAM(m.LParam);
      DefaultHandler(m);
      if (!subclassed_ && button == mbLeft && GetCapture() == handle_.get()) {
        ReleaseCapture();
        RECT r = ClientRect();
        POINT pt{x, y};
        // The click comes between the release and the mouse-up handling.
        if (PtInRect(&r, pt)) Click();
      }
      if (handle_) MouseUp(button, KeysToShiftState(m.WParam), x, y);
      return true;
    }
    case WM_MOUSEMOVE:
      DefaultHandler(m);
      TrackMouseLeave();
      MouseMove(KeysToShiftState(m.WParam), GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
      if (g_hint_host && handle_) g_hint_host->HintMouseMove(this);
      return true;
    case WM_MOUSELEAVE:
      mouse_inside_ = false;
      Perform(CM_MOUSELEAVE);
      if (g_hint_host) g_hint_host->HintMouseLeave(this);
      DefaultHandler(m);
      return true;
    case CM_MOUSEENTER:
      OnMouseEnter(this);
      return true;
    case CM_MOUSELEAVE:
      OnMouseLeave(this);
      return true;
    default:
      return false;
  }
}

// Keys go to the top-level control first when it previews them (a form's KeyPreview); a
// handler that takes the key stops it there.
bool TWinControl::KeyMessage(TMessage& m) {
  if (m.Msg != WM_KEYDOWN && m.Msg != WM_SYSKEYDOWN && m.Msg != WM_KEYUP && m.Msg != WM_SYSKEYUP &&
      m.Msg != WM_CHAR)
    return false;
  TWinControl* top = this;
  while (top->parent_) top = top->parent_;
  const bool preview = top != this && top->WantsKeyPreview();
  switch (m.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      WORD key = static_cast<WORD>(m.WParam);
      const TShiftState shift = KeyboardShiftState();
      if ((preview && top->KeyDown(key, shift)) || KeyDown(key, shift)) return true;
      m.WParam = key;
      return false;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      WORD key = static_cast<WORD>(m.WParam);
      const TShiftState shift = KeyboardShiftState();
      if (preview) top->KeyUp(key, shift);
      if (key) KeyUp(key, shift);
      return key == 0;
    }
    case WM_CHAR: {
      char key = static_cast<char>(m.WParam);
      if ((preview && top->KeyPress(key)) || KeyPress(key)) return true;
      m.WParam = static_cast<unsigned char>(key);
      return false;
    }
    default:
      return false;
  }
}

// ---- utility windows ----

namespace {

LRESULT CALLBACK UtilWindowProc(HWND wnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  auto* method = reinterpret_cast<TWndMethod*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
  if (!method) return DefWindowProcA(wnd, msg, wparam, lparam);
  TMessage m{msg, wparam, lparam, 0};
  try {
    (*method)(m);
  } catch (...) {
    HandleWindowException();
  }
  return m.Result;
}

}  // namespace

TUtilityWindow::TUtilityWindow(TWndMethod method) : method_(std::make_unique<TWndMethod>(method)) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  if (!GetClassInfoExA(Instance(), kUtilClass, &wc)) {
    wc = WNDCLASSEXA{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = UtilWindowProc;
    wc.hInstance = Instance();
    wc.lpszClassName = kUtilClass;
    Win32Check(RegisterClassExA(&wc), "RegisterClassExA");
  }
  window_.reset(Win32Check(CreateWindowExA(WS_EX_TOOLWINDOW, kUtilClass, "", WS_POPUP, 0, 0, 0, 0,
                                           nullptr, nullptr, Instance(), nullptr),
                           "CreateWindowExA"));
  SetWindowLongPtrA(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(method_.get()));
}

TUtilityWindow::TUtilityWindow(TUtilityWindow&& o) noexcept
    : method_(std::move(o.method_)), window_(std::move(o.window_)) {}

TUtilityWindow& TUtilityWindow::operator=(TUtilityWindow&& o) noexcept {
  if (this != &o) {
    Reset();
    method_ = std::move(o.method_);
    window_ = std::move(o.window_);
  }
  return *this;
}

void TUtilityWindow::Reset() {
  if (window_) SetWindowLongPtrA(window_.get(), GWLP_USERDATA, 0);
  window_.reset();
  method_.reset();
}

}  // namespace qv
