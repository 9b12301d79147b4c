#include "framework/Forms.h"

#include <windowsx.h>

#include <algorithm>
#include <vector>

#include "framework/Dialogs.h"
#include "framework/FileIO.h"
#include "framework/Menus.h"
#include "framework/SysUtils.h"
#include "framework/WideText.h"

namespace qv {

extern void (*g_window_exception_handler)();

TApplication* Application = nullptr;
static TScreen g_screen;
TScreen* Screen = &g_screen;

// ---- TCustomForm ----

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) {
  visible_ = false;
  color_ = clBtnFace;
  Screen->forms_.push_back(this);
}

TCustomForm::~TCustomForm() {
  auto& forms = Screen->forms_;
  forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
  if (Application && Application->MainForm() == this) Application->SetMainForm(nullptr);
}

void TCustomForm::BeforeDestruction() {
  if (!destroying_done_) {
    destroying_done_ = true;
    SetState(csDestroying, true);
    OnDestroy(this);
  }
  // Components go while the whole form still exists: their last notices may
  // reach the form's handlers.
  TWinControl::BeforeDestruction();
}

void TCustomForm::ApplyDesign(const std::function<void()>& design) {
  BeginLoading();
  design();
  // Designs are drawn at 96 DPI: laid out for the monitor of the window when the
  // design made it already, else for the primary one, where it will start. The
  // after-load steps and OnCreate see the sizes the form will have.
  ChangeScale(HandleAllocated() ? WindowDpi(Handle()) : SystemDpi());
  EndLoading();
  // The creation event runs inside the error guard: an error is shown and the
  // rest of the event is skipped, but the form is made.
  try {
    OnCreate(this);
  } catch (...) {
    if (Application)
      Application->HandleException();
    else
      throw;
  }
}

void TCustomForm::SetClientSize(int width, int height) {
  RECT r{0, 0, width, height};
  if (HandleAllocated()) {
    // The frame the system drew, which need not be the one it reports for the DPI.
    RECT window, client;
    GetWindowRect(Handle(), &window);
    GetClientRect(Handle(), &client);
    r.right += (window.right - window.left) - client.right;
    r.bottom += (window.bottom - window.top) - client.bottom;
  } else {
    TCreateParams p;
    CreateParams(p);
    AdjustWindowRectForDpi(r, p.Style, p.ExStyle, dpi_);
  }
  SetBounds(left_, top_, r.right - r.left, r.bottom - r.top);
}

void TCustomForm::ChangeScale(int newDpi) {
  if (newDpi <= 0 || newDpi == dpi_) return;
  const int old = dpi_;
  TCreateParams p;
  CreateParams(p);
  RECT oldFrame{0, 0, 0, 0};
  AdjustWindowRectForDpi(oldFrame, p.Style, p.ExStyle, old);
  RECT client{0, 0, width_ - (oldFrame.right - oldFrame.left),
              height_ - (oldFrame.bottom - oldFrame.top)};
  if (HandleAllocated()) GetClientRect(Handle(), &client);
  // The controls the client area held (a few pixels over count as held).
  std::vector<bool> held;
  for (int i = 0; i < ControlCount(); ++i) {
    const RECT b = Controls(i)->BoundsRect();
    held.push_back(b.right <= client.right + 4 && b.bottom <= client.bottom + 4);
  }
  dpi_ = newDpi;
  TDpiLength* l = dpi_lengths_;
  font_.SetHeight(l[4].Rescale(font_.Height(), old, newDpi));
  for (int i = 0; i < ControlCount(); ++i) Controls(i)->ChangeScale(newDpi);
  int width = l[2].Rescale(client.right - client.left, old, newDpi);
  int height = l[3].Rescale(client.bottom - client.top, old, newDpi);
  // Controls that grew with their texts more than the DPI stay inside.
  for (int i = 0; i < ControlCount(); ++i) {
    if (!held[i] || !Controls(i)->Visible()) continue;
    const RECT b = Controls(i)->BoundsRect();
    width = std::max<int>(width, b.right);
    height = std::max<int>(height, b.bottom);
  }
  // The frame comes from the system at each DPI; only the client area is the design's.
  SetClientSize(width, height);
  OnDpiChanged(this);
}

void TCustomForm::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.Style &= ~(WS_CHILD | WS_VISIBLE);
  params.WndParent = Application ? Application->Handle() : nullptr;
  switch (BorderStyle) {
    case TFormBorderStyle::bsNone:
      params.Style |= WS_POPUP;
      break;
    case TFormBorderStyle::bsSingle:
      params.Style |= WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
      break;
    case TFormBorderStyle::bsSizeable:
      params.Style |= WS_OVERLAPPEDWINDOW;
      break;
    case TFormBorderStyle::bsDialog:
      params.Style |= WS_POPUP | WS_CAPTION | WS_SYSMENU;
      params.ExStyle |= WS_EX_DLGMODALFRAME;
      break;
    case TFormBorderStyle::bsToolWindow:
      params.Style |= WS_CAPTION | WS_SYSMENU;
      params.ExStyle |= WS_EX_TOOLWINDOW;
      break;
  }
}

void TCustomForm::WindowCreated() {
  // What the design asked for; the system may draw another frame around it.
  RECT frame{0, 0, 0, 0};
  TCreateParams p;
  CreateParams(p);
  AdjustWindowRectForDpi(frame, p.Style, p.ExStyle, dpi_);
  const int clientWidth = width_ - (frame.right - frame.left);
  const int clientHeight = height_ - (frame.bottom - frame.top);
  // Made on another monitor than the primary one: laid out for that one. While the
  // design is still loading, the design's end does it, once every control exists.
  const int dpi = WindowDpi(Handle());
  if (!Loading() && dpi != dpi_) {
    ChangeScale(dpi);
  } else {
    RECT client;
    GetClientRect(Handle(), &client);
    if (client.right != clientWidth || client.bottom != clientHeight)
      SetClientSize(clientWidth, clientHeight);
  }
  if (menu_) menu_->Rebuild();
}

void TCustomForm::SetMenu(TMainMenu* menu) {
  if (menu_) RemoveFreeNotification(menu_);
  menu_ = menu;
  if (menu_) FreeNotification(menu_);
  if (HandleAllocated()) {
    if (menu_)
      menu_->Rebuild();
    else
      ::SetMenu(Handle(), nullptr);
  }
}

void TCustomForm::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  // A component that watches its form (a painter) hears of every newcomer; a
  // removal already reaches all of them. The newcomer is still being built.
  if (operation == TOperation::opInsert) {
    for (int i = 0; i < ComponentCount(); ++i)
      if (Components(i) != component) Components(i)->Notification(component, operation);
  }
  if (operation == TOperation::opRemove && component == menu_) {
    if (HandleAllocated()) ::SetMenu(Handle(), nullptr);
    menu_ = nullptr;
  }
}

void TCustomForm::PlaceOnScreen() {
  if (placed_) return;
  placed_ = true;
  if (Position == TPosition::poDesigned) return;
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  SetBounds(work.left + (work.right - work.left - width_) / 2,
            work.top + (work.bottom - work.top - height_) / 2, width_, height_);
}

void TCustomForm::SetVisible(bool visible) {
  if (visible) {
    Handle();
    PlaceOnScreen();
    const bool was = visible_;
    visible_ = true;
    ShowWindow(Handle(), SW_SHOW);
    if (!was) OnShow(this);
  } else {
    const bool was = visible_;
    visible_ = false;
    // Hiding may move the focus away before the form hears it is no longer active.
    if (DialogKeys && HandleAllocated() && IsChild(Handle(), GetFocus()))
      focused_child_ = GetFocus();
    if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
    if (was) OnHide(this);
  }
}

void TCustomForm::Show() {
  SetVisible(true);
  BringToFront();
}

void TCustomForm::BringToFront() {
  if (HandleAllocated()) SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

bool TCustomForm::CloseQuery() {
  bool can = true;
  OnCloseQuery(this, can);
  return can;
}

void TCustomForm::DoClose(TCloseAction& action) { OnClose(this, action); }

void TCustomForm::Close() {
  if (modal_depth_ > 0) {
    if (ModalResult == TModalResult::mrNone) ModalResult = TModalResult::mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  const bool isMain = Application && Application->MainForm() == this;
  TCloseAction action = isMain ? TCloseAction::caFree : TCloseAction::caHide;
  // An error here propagates: the close is abandoned and the program keeps running.
  DoClose(action);
  if (action == TCloseAction::caNone) return;
  if (isMain) {
    Application->Terminate();
  } else if (action == TCloseAction::caMinimize) {
    ShowWindow(Handle(), SW_MINIMIZE);
  } else {
    Hide();
  }
}

TModalResult TCustomForm::ShowModal() {
  if (auto hook = ModalHook()) return hook(*this);
  ModalResult = TModalResult::mrNone;
  HWND owner = Application && Application->MainForm() && Application->MainForm() != this &&
                       Application->MainForm()->HandleAllocated()
                   ? Application->MainForm()->Handle()
                   : nullptr;
  const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  if (owner) EnableWindow(owner, FALSE);
  ++modal_depth_;
  Show();
  while (ModalResult == TModalResult::mrNone && !(Application && Application->Terminated())) {
    if (!Application || !Application->HandleMessage()) WaitMessage();
  }
  --modal_depth_;
  if (owner && ownerWasEnabled) EnableWindow(owner, TRUE);
  Hide();
  return ModalResult;
}

namespace {

// The controls Tab can reach, in the order they were made, children after their parent.
void CollectTabStops(TWinControl& parent, std::vector<TWinControl*>& stops) {
  for (int i = 0; i < parent.ControlCount(); ++i) {
    auto* win = dynamic_cast<TWinControl*>(parent.Controls(i));
    if (!win || !win->HandleAllocated() || !win->Visible()) continue;
    if (!win->Enabled() || !IsWindowEnabled(win->Handle())) continue;
    if (win->TabStop) stops.push_back(win);
    CollectTabStops(*win, stops);
  }
}

bool HasTextSelection(HWND wnd) {
  return wnd && (SendMessageA(wnd, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL);
}

}  // namespace

void TCustomForm::FocusControl(TWinControl* control) {
  // The field left shows no highlighted text; the one entered shows all of it, as
  // typing then replaces it. The focus may go on to a part of the control.
  HWND left = GetFocus();
  if (HasTextSelection(left)) SendMessageA(left, EM_SETSEL, static_cast<WPARAM>(-1), 0);
  ::SetFocus(control->Handle());
  HWND entered = GetFocus();
  if (HasTextSelection(entered)) SendMessageA(entered, EM_SETSEL, 0, -1);
  // From the keyboard, so focus marks show from now on.
  SendMessageA(Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

void TCustomForm::SelectNext(bool forward) {
  std::vector<TWinControl*> stops;
  CollectTabStops(*this, stops);
  if (stops.empty()) return;
  // The focus may be in a part of a control (the edit field of a combo box).
  HWND focus = GetFocus();
  auto at = std::find_if(stops.begin(), stops.end(), [focus](TWinControl* c) {
    return c->Handle() == focus || IsChild(c->Handle(), focus);
  });
  size_t next = 0;
  if (at == stops.end())
    next = forward ? 0 : stops.size() - 1;
  else
    next =
        (static_cast<size_t>(at - stops.begin()) + (forward ? 1 : stops.size() - 1)) % stops.size();
  FocusControl(stops[next]);
}

bool TCustomForm::DialogKey(const MSG& msg) {
  if (!DialogKeys || msg.message != WM_KEYDOWN) return false;
  if (msg.wParam != VK_TAB && msg.wParam != VK_RETURN && msg.wParam != VK_ESCAPE) return false;
  if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
  // A control that wants the key has it: an open drop-down list closes on Enter or Esc.
  const LRESULT wants =
      SendMessageA(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
  if (wants & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return false;
  if (msg.wParam == VK_TAB) {
    if (wants & DLGC_WANTTAB) return false;
    SelectNext(GetKeyState(VK_SHIFT) >= 0);
  } else if (msg.wParam == VK_ESCAPE) {
    Close();
  } else if (DefaultControl && DefaultControl->Enabled()) {
    DefaultControl->Click();
  }
  return true;
}

void TCustomForm::RestoreFocus() {
  HWND wnd = Handle();
  if (focused_child_ && IsChild(wnd, focused_child_) && IsWindowEnabled(focused_child_)) {
    ::SetFocus(focused_child_);
    return;
  }
  std::vector<TWinControl*> stops;
  CollectTabStops(*this, stops);
  if (!stops.empty()) ::SetFocus(stops.front()->Handle());
}

void TCustomForm::Activate() { OnActivate(this); }
void TCustomForm::Deactivate() { OnDeactivate(this); }

void TCustomForm::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_ACTIVATE:
      if (LOWORD(m.WParam) != WA_INACTIVE) {
        active_ = true;
        if (Application) Application->NotifyActivation(true);
        DefaultHandler(m);
        if (DialogKeys) RestoreFocus();
        Activate();
      } else {
        active_ = false;
        if (DialogKeys && IsChild(Handle(), GetFocus())) focused_child_ = GetFocus();
        DefaultHandler(m);
        Deactivate();
      }
      return;
    case WM_ACTIVATEAPP:
      DefaultHandler(m);
      if (Application) Application->NotifyActivation(m.WParam != 0);
      return;
    case WM_DPICHANGED: {
      // Moved to a monitor of another DPI: everything is laid out again, and the
      // window takes the place the system suggests, which keeps it under the pointer.
      const RECT suggested = *reinterpret_cast<const RECT*>(m.LParam);
      m.Result = 0;
      // Already laid out for it: nothing to take.
      if (LOWORD(m.WParam) == dpi_) return;
      ChangeScale(LOWORD(m.WParam));
      // No smaller than the layout needs, where texts outgrew the DPI.
      SetBounds(suggested.left, suggested.top,
                std::max<int>(suggested.right - suggested.left, width_),
                std::max<int>(suggested.bottom - suggested.top, height_));
      m.Result = 0;
      return;
    }
    case WM_CLOSE:
      Close();
      m.Result = 0;
      return;
    case WM_QUERYENDSESSION:
      m.Result = CloseQuery() ? 1 : 0;
      return;
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
      if (menu_ && menu_->HandleMenuMessage(m)) return;
      break;
    case WM_NCMOUSEMOVE:
      if (menu_) {
        const POINT at{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
        menu_->TrackHotItem(Handle(), m.WParam == HTMENU ? &at : nullptr);
      }
      break;
    case WM_NCMOUSELEAVE:
      if (menu_) menu_->TrackHotItem(Handle(), nullptr);
      break;
    case WM_COMMAND:
      // A menu-bar command: no control sent it.
      if (menu_ && m.LParam == 0 && HIWORD(m.WParam) == 0) {
        if (TMenuItem* item = menu_->FindCommand(LOWORD(m.WParam))) item->Click();
        m.Result = 0;
        return;
      }
      break;
    default:
      break;
  }
  TWinControl::WndProc(m);
}

// ---- THintWindow ----

THintWindow::THintWindow(TComponent* owner) : TWinControl(owner) { visible_ = false; }

void THintWindow::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.Style = WS_POPUP | WS_BORDER;
  params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
  params.WndParent = Application ? Application->Handle() : nullptr;
}

void THintWindow::ActivateHint(POINT at, const std::string& text, TColor color) {
  text_ = text;
  color_ = color;
  HWND wnd = Handle();
  RECT r{0, 0, 0, 0};
  {
    // Measured the way Paint draws it.
    TBitmap scratch(1, 1);
    scratch.Canvas().Font().Assign(font_);
    scratch.Canvas().DrawText(Utf8ToWide(text), r, DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
  }
  const int width = r.right + ScaleValue(8), height = r.bottom + ScaleValue(6);
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  int x = at.x, y = at.y;
  if (x + width > work.right) x = work.right - width;
  if (y + height > work.bottom) y = at.y - height - ScaleValue(24);
  if (x < work.left) x = work.left;
  if (y < work.top) y = work.top;
  SetBounds(x, y, width, height);
  // Readable from outside, as tools that read screens expect.
  SetWindowTextW(wnd, Utf8ToWide(text).c_str());
  visible_ = true;
  SetWindowPos(wnd, HWND_TOPMOST, x, y, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(wnd, nullptr, TRUE);
}

void THintWindow::ReleaseHint() {
  text_.clear();
  visible_ = false;
  if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
}

void THintWindow::Paint(TCanvas& canvas) {
  RECT r = ClientRect();
  canvas.Brush().SetColor(color_);
  canvas.FillRect(r);
  canvas.Font().SetColor(clInfoText);
  canvas.Brush().SetStyle(TBrushStyle::bsClear);
  InflateRect(&r, -ScaleValue(3), -ScaleValue(2));
  canvas.DrawText(Utf8ToWide(text_), r, DT_NOPREFIX | DT_EXPANDTABS);
}

// ---- TApplication ----

namespace {
void ApplicationExceptionHandler() {
  if (Application) Application->HandleException();
}
}  // namespace

TApplication::TApplication() : TComponent(nullptr) {
  Application = this;
  g_window_exception_handler = &ApplicationExceptionHandler;
  exe_name_ = ExecutablePath();
  title_ = TitleFromExeName(exe_name_);
  window_ = TUtilityWindow(TWndMethod::Of<&TApplication::AppWndProc>(this));
  SetWindowTextW(window_.Handle(), Utf8ToWide(title_).c_str());
  g_hint_host = this;
}

TApplication::~TApplication() {
  if (g_hint_host == this) g_hint_host = nullptr;
  hint_control_ = nullptr;
  hint_window_ = nullptr;  // owned: freed with the other components below
  // Forms go first, while the application window still exists.
  while (ComponentCount() > 0) {
    TComponent* last = Components(ComponentCount() - 1);
    try {
      last->Free();
    } catch (const std::exception& e) {
      // A form that cannot save at the end says so; a second Free finishes it.
      ShowException(e);
    }
  }
  window_.Reset();
  if (Application == this) Application = nullptr;
  g_window_exception_handler = nullptr;
}

void TApplication::Initialize() {}

void TApplication::SetExeName(const std::string& path) {
  exe_name_ = path;
  title_ = TitleFromExeName(path);
  SetWindowTextW(window_.Handle(), Utf8ToWide(title_).c_str());
}

std::string TApplication::TitleFromExeName(const std::string& exePath) {
  std::string name = ExtractFileName(exePath);
  const size_t dot = name.find('.');
  if (dot != std::string::npos) name.resize(dot);
  if (name.size() > 1) name = name.substr(0, 1) + LowerCase(name.substr(1));
  return name;
}

void TApplication::Run() {
  if (main_form_) main_form_->Show();
  MSG msg;
  while (!terminated_) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) break;
    Dispatch(msg);
  }
  terminated_ = true;
}

void TApplication::Dispatch(MSG& msg) {
  if (msg.message == WM_KEYDOWN && msg.hwnd) {
    auto* form =
        dynamic_cast<TCustomForm*>(TWinControl::FromHandle(GetAncestor(msg.hwnd, GA_ROOT)));
    if (form && form->DialogKey(msg)) return;
  }
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
}

void TApplication::Terminate() {
  if (terminated_) return;
  terminated_ = true;
  PostQuitMessage(0);
}

bool TApplication::HandleMessage() {
  MSG msg;
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  Dispatch(msg);
  return true;
}

void TApplication::ProcessMessages() {
  while (HandleMessage()) {
  }
}

void TApplication::Minimize() {
  if (main_form_ && main_form_->HandleAllocated()) ShowWindow(main_form_->Handle(), SW_HIDE);
  OnMinimize(this);
}

void TApplication::Restore() {
  if (main_form_ && main_form_->Visible()) ShowWindow(main_form_->Handle(), SW_SHOW);
  OnRestore(this);
}

void TApplication::NotifyActivation(bool active) {
  if (active == active_) return;
  active_ = active;
  if (active)
    OnActivate(this);
  else
    OnDeactivate(this);
}

void TApplication::HookMainWindow(int id, TWindowHook hook) {
  hooks_.emplace_back(id, std::move(hook));
}

void TApplication::UnhookMainWindow(int id) {
  hooks_.erase(std::remove_if(hooks_.begin(), hooks_.end(),
                              [id](const auto& h) { return h.first == id; }),
               hooks_.end());
}

namespace {
constexpr UINT_PTR kHintShowTimer = 1;
constexpr UINT_PTR kHintHideTimer = 2;
// Posted to the application window: show the oldest error that waited for its sender.
constexpr UINT kShowDeferredError = WM_APP + 0x51;

HWND WindowOf(TControl* control) {
  auto* win = dynamic_cast<TWinControl*>(control);
  return win && win->HandleAllocated() ? win->Handle() : nullptr;
}

std::string ShortHint(const std::string& hint) { return hint.substr(0, hint.find('|')); }
}  // namespace

std::string TApplication::ShownHint() const {
  return hint_window_ && hint_window_->Visible() ? hint_window_->Text() : std::string();
}

void TApplication::CancelHint() {
  KillTimer(window_.Handle(), kHintShowTimer);
  KillTimer(window_.Handle(), kHintHideTimer);
  if (hint_window_) hint_window_->ReleaseHint();
}

void TApplication::StartHintTimer() {
  if (!ShowHint || !hint_control_ || hint_expired_ || !hint_control_->ShowHint() ||
      ShortHint(hint_control_->Hint()).empty())
    return;
  SetTimer(window_.Handle(), kHintShowTimer, static_cast<UINT>(HintPause > 0 ? HintPause : 1), nullptr);
}

void TApplication::ShowPendingHint() {
  KillTimer(window_.Handle(), kHintShowTimer);
  if (!hint_control_ || !hint_control_->ShowHint()) return;
  const std::string text = ShortHint(hint_control_->Hint());
  if (text.empty()) return;
  if (!hint_window_) hint_window_ = new THintWindow(this);
  // The hint is read at the DPI of the control it is about.
  hint_window_->ChangeScale(hint_control_->Dpi());
  POINT at = CursorPosition();
  at.y += hint_control_->ScaleValue(20);
  RECT control;
  if (hint_control_->HintBesideControl && WindowOf(hint_control_) &&
      GetWindowRect(WindowOf(hint_control_), &control))
    at.x = std::max(at.x, control.right);
  // The application's hint colour gives way to the theme's under high contrast.
  hint_window_->ActivateHint(at, text, HighContrastOn() ? clInfoBk : HintColor);
  if (HintHidePause > 0) SetTimer(window_.Handle(), kHintHideTimer, static_cast<UINT>(HintHidePause), nullptr);
}

void TApplication::HintMouseMove(TControl* control) {
  if (control == hint_window_) return;
  if (control != hint_control_) {
    CancelHint();
    hint_control_ = control;
    hint_expired_ = false;
    StartHintTimer();
  } else if (ShownHint().empty()) {
    StartHintTimer();
  }
}

void TApplication::HintMouseLeave(TControl* control) {
  if (control != hint_control_) return;
  CancelHint();
  hint_control_ = nullptr;
  hint_expired_ = false;
}

void TApplication::HintShowChanged(TControl* control) {
  if (!control->ShowHint()) {
    if (control == hint_control_) CancelHint();
    return;
  }
  // Switched on under the pointer: show it now, without waiting for a move. The control
  // the pointer last moved over counts first: the system's pointer position may still lag
  // behind the move (a click's handler switching the hint on).
  HWND wnd = WindowOf(control);
  if (control == hint_control_ || (wnd && WindowFromPoint(CursorPosition()) == wnd)) {
    CancelHint();
    hint_control_ = control;
    hint_expired_ = false;
    StartHintTimer();
  }
}

void TApplication::HintChanged(TControl* control) {
  if (control != hint_control_) return;
  CancelHint();
  hint_expired_ = false;
  StartHintTimer();
}

void TApplication::HintMouseDown(TControl* control) {
  if (control == hint_control_) CancelHint();
}

void TApplication::AppWndProc(TMessage& m) {
  // Copy: a hook may unhook itself.
  auto hooks = hooks_;
  for (auto& [id, hook] : hooks)
    if (hook(m)) return;
  if (m.Msg == WM_ACTIVATEAPP) NotifyActivation(m.WParam != 0);
  if (m.Msg == kShowDeferredError) {
    if (!deferred_errors_.empty()) {
      const std::string text = deferred_errors_.front();
      deferred_errors_.erase(deferred_errors_.begin());
      ShowErrorBox(text);
    }
    return;
  }
  if (m.Msg == WM_TIMER && m.WParam == kHintShowTimer) {
    ShowPendingHint();
    return;
  }
  if (m.Msg == WM_TIMER && m.WParam == kHintHideTimer) {
    CancelHint();
    hint_expired_ = true;
    return;
  }
  m.Result = DefWindowProcA(window_.Handle(), m.Msg, m.WParam, m.LParam);
}

void TApplication::HandleException() {
  std::string text = "Unknown error";
  try {
    throw;
  } catch (const std::exception& e) {
    if (!InSendMessage()) return ShowException(e);
    text = e.what();
  } catch (...) {
    if (!InSendMessage()) return ShowErrorBox(text);
  }
  deferred_errors_.push_back(text);
  PostMessageA(window_.Handle(), kShowDeferredError, 0, 0);
}

void TApplication::ShowException(const std::exception& e) { ShowErrorBox(e.what()); }

void SetCursorPosition(int x, int y) { SetCursorPos(x, y); }

POINT CursorPosition() {
  POINT p{0, 0};
  GetCursorPos(&p);
  return p;
}

}  // namespace qv
