#pragma once
// Controls: TControl (bounds, parent, colour, font, hint, events) and TWinControl
// (a window made on demand, a replaceable WindowProc, re-creation). One static
// window procedure serves every window of ours; native controls (LISTBOX, EDIT,
// BUTTON, COMBOBOX) are wrapped with SetWindowSubclass.

#include <windows.h>

#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "framework/Colors.h"
#include "framework/Component.h"
#include "framework/Dpi.h"
#include "framework/Events.h"
#include "framework/Graphics.h"

namespace qv {

struct TMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};

using TWndMethod = TMethod<TMessage&>;

// Notifications a parent reflects back to the control they concern.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
constexpr UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;
constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;
constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
// Sent to a control when the mouse enters or leaves it.
constexpr UINT CM_MOUSEENTER = 0xB013;
constexpr UINT CM_MOUSELEAVE = 0xB014;
// Sent to a control before its Ctl3D changes.
constexpr UINT CM_CTL3DCHANGED = 0xB010;

// Reading order and alignment of a control's or a menu's text.
enum class TBiDiMode {
  bdLeftToRight,
  bdRightToLeft,
  bdRightToLeftNoAlign,
  bdRightToLeftReadingOnly
};
// Edit-like controls: a border, or none.
enum class TBorderStyle { bsNone, bsSingle };
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftStateFlag : unsigned {
  ssShift = 1,
  ssAlt = 2,
  ssCtrl = 4,
  ssLeft = 8,
  ssRight = 16,
  ssMiddle = 32,
  ssDouble = 64
};
using TShiftState = unsigned;

using TMouseEvent = TMethod<TObject*, TMouseButton, TShiftState, int, int>;
using TMouseMoveEvent = TMethod<TObject*, TShiftState, int, int>;
using TKeyEvent = TMethod<TObject*, WORD&, TShiftState>;
using TKeyPressEvent = TMethod<TObject*, char&>;

TShiftState KeysToShiftState(WPARAM keys);
TShiftState KeyboardShiftState();

class TWinControl;
class TAccessibleObject;

struct TCreateParams {
  std::string Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  UINT ClassStyle = CS_DBLCLKS;
  std::string WinClassName;
  // Non-empty: the window is a native control of that system class, subclassed.
  std::string SysClassName;
};

class TControl : public TComponent {
  QV_CLASS(TControl)
 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;

  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  virtual void SetBounds(int left, int top, int width, int height);
  RECT BoundsRect() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }
  virtual RECT ClientRect() const { return RECT{0, 0, width_, height_}; }

  bool Visible() const { return visible_; }
  virtual void SetVisible(bool visible);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled);

  TColor Color() const { return color_; }
  virtual void SetColor(TColor color);
  TFont& Font() { return font_; }
  const std::string& Caption() const { return caption_; }
  virtual void SetCaption(const std::string& text);
  // UTF-8, as the hint window draws it.
  const std::string& Hint() const { return hint_; }
  // A hint that changes while it is shown is followed: the new one shows after
  // the hint pause, an empty one takes the shown hint away.
  void SetHint(const std::string& hint);
  // The hint shows while the pointer rests on the control and this is on;
  // switching it off takes a shown hint away, switching it on under the
  // pointer shows it at once.
  bool ShowHint() const { return show_hint_; }
  void SetShowHint(bool show);
  // The hint opens below the pointer; with this on, also right of the control, so
  // that it covers nothing of it (a column whose rows stay clickable).
  bool HintBesideControl = false;
  bool ParentColor = false;
  bool ParentFont = true;
  // Set before the window is made.
  TBiDiMode BiDiMode = TBiDiMode::bdLeftToRight;
  bool IsRightToLeft() const { return BiDiMode != TBiDiMode::bdLeftToRight; }

  // Dots per inch the control is laid out for: the design's 96 until its form
  // scales it to the DPI of the monitor it is on.
  int Dpi() const { return dpi_; }
  // A length of the 96-DPI design at the control's DPI.
  int ScaleValue(int designValue) const { return ScaleToDpi(designValue, dpi_); }
  // Lays the control out for another DPI: bounds and font, the metrics of its own
  // (overrides), and a windowed control's children.
  virtual void ChangeScale(int newDpi);

  // Delivers a message straight to this control's WindowProc.
  LRESULT Perform(UINT msg, WPARAM wparam = 0, LPARAM lparam = 0);
  // The replaceable entry of every message: saved and chained by subclassing code.
  TWndMethod WindowProc;
  virtual void WndProc(TMessage& message);
  virtual void DefaultHandler(TMessage& message);

  virtual void Invalidate() {}
  virtual void Repaint() { Invalidate(); }
  virtual void Click();

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

 protected:
  friend class TWinControl;
  virtual void FontChanged(TObject*);
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);

  TWinControl* parent_ = nullptr;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  bool visible_ = true;
  bool enabled_ = true;
  TColor color_ = clBtnFace;
  TFont font_;
  std::string caption_;
  std::string hint_;
  bool show_hint_ = false;
  int dpi_ = kDesignDpi;
  // Left, top, width, height and font height through DPI changes.
  TDpiLength dpi_lengths_[5];
};

// The application's hint window; the forms layer installs it.
class THintHost {
 public:
  virtual ~THintHost() = default;
  virtual void HintMouseMove(TControl* control) = 0;
  virtual void HintMouseLeave(TControl* control) = 0;
  virtual void HintShowChanged(TControl* control) = 0;
  // The control's hint text changed.
  virtual void HintChanged(TControl* control) = 0;
  // A mouse button went down on the control.
  virtual void HintMouseDown(TControl* control) = 0;
};
extern THintHost* g_hint_host;

class TWinControl : public TControl {
  QV_CLASS(TWinControl)
 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;

  // The window, made on first use (the parent's first).
  HWND Handle();
  bool HandleAllocated() const { return static_cast<bool>(handle_); }
  void HandleNeeded() { Handle(); }
  // Destroys and makes the window again (window-style changes).
  void RecreateWnd();
  // Makes the window now if the control is visible and has a parent with a window.
  void UpdateControlState();

  void SetParent(TWinControl* parent) override;
  void SetBounds(int left, int top, int width, int height) override;
  RECT ClientRect() const override;
  void SetVisible(bool visible) override;
  void SetEnabled(bool enabled) override;
  void SetColor(TColor color) override;
  void SetCaption(const std::string& text) override;
  void ChangeScale(int newDpi) override;
  void Invalidate() override;
  void Repaint() override;
  void Update();
  void SetFocus();
  bool Focused() const;

  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int i) const { return controls_.at(i); }

  void WndProc(TMessage& message) override;
  void DefaultHandler(TMessage& message) override;

  // The control whose window this is, or null.
  static TWinControl* FromHandle(HWND wnd);

  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;

  // What a screen reader is told of the control: a name (ANSI), a description (the hint when
  // empty) and a role (ROLE_SYSTEM_*, 0 keeps the system's). Without a name or a role the
  // system's own answers stand.
  struct TAccessibility {
    std::string Name, Description;
    long Role = 0;
  };
  TAccessibility Accessibility;
  // State bits (STATE_SYSTEM_*) a reader is told besides the system's.
  virtual long AccessibleState() const { return 0; }

  // Tab reaches the control in a form with dialog keys.
  bool TabStop = false;
  bool DoubleBuffered = false;

  // The sunken 3-D edge of controls that have a border; off, the border is one
  // flat line. Both change the window in place.
  bool Ctl3D() const { return ctl3d_; }
  void SetCtl3D(bool value);
  TBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle value);
  static void BorderStyles(DWORD& style, DWORD& exStyle, bool ctl3d, TBorderStyle border);

 protected:
  virtual void CreateParams(TCreateParams& params);
  virtual void CreateWnd();
  // The object that answers a reader's WM_GETOBJECT for the client area (one reference, for
  // the caller); null leaves it to the system.
  virtual TAccessibleObject* NewAccessible();
  // Called once the window exists, before its children are made.
  virtual void WindowCreated() {}
  // Called while the window still exists, however it comes to be destroyed (DestroyWnd, or
  // the system destroying it with its parent), and once it is gone.
  virtual void WindowDestroying() {}
  virtual void WindowDestroyed() {}
  void DestroyWnd();
  // Paints the client area (own-class windows); the default fills with Color.
  virtual void Paint(TCanvas& canvas);
  // The top-level control sees keys first when this says so (a form's KeyPreview).
  virtual bool WantsKeyPreview() const { return false; }
  // True for a native control that reports double clicks by a notification of
  // its own (a list box's LBN_DBLCLK): its mouse message then raises no OnDblClick.
  virtual bool NotifiesDoubleClicks() const { return false; }
  virtual bool KeyDown(WORD& key, TShiftState shift);
  virtual bool KeyPress(char& key);
  virtual void KeyUp(WORD& key, TShiftState shift);
  void FontChanged(TObject*) override;
  // A brush of the control's colour, for WM_CTLCOLOR answers and erasing.
  HBRUSH ColorBrush();
  // Window styles for Ctl3D and BorderStyle, for controls that have a border of
  // their own (edits, lists, trees).
  void ApplyBorder(TCreateParams& params) const;
  bool ctl3d_ = true;
  TBorderStyle border_style_ = TBorderStyle::bsSingle;

 private:
  friend class TControl;
  friend LRESULT CALLBACK QvWindowProc(HWND, UINT, WPARAM, LPARAM);
  friend LRESULT CALLBACK QvSubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  // WndProc by message family.
  bool PaintMessage(TMessage& m);
  bool ReflectToChild(TMessage& m);
  bool MouseMessage(TMessage& m);
  bool KeyMessage(TMessage& m);
  void AttachHandle(HWND wnd);
  // Stops dispatching to this object and unsubclasses; hands the window over.
  UniqueWindow DetachHandle();
  void HandleGone();
  void TrackMouseLeave();

  UniqueWindow handle_;
  bool subclassed_ = false;
  bool mouse_inside_ = false;
  std::vector<TControl*> controls_;
  UniqueBrush color_brush_;
  TColor color_brush_color_ = clNone;
};

// Makes a component of a form's design: named, and put in its parent when it
// is a control.
template <class T>
T* MakeComponent(TComponent* owner, const char* name, TWinControl* parent = nullptr) {
  T* c = new T(owner);
  c->SetName(name);
  if constexpr (std::is_base_of_v<TControl, T>) {
    if (parent) c->SetParent(parent);
  }
  return c;
}

// A hidden utility window whose messages go to a method: timers, the clipboard, the
// watcher, the tray icon, menus and the application use one. It stops dispatching to the
// method before it is destroyed, so the method's object may already be half gone.
class TUtilityWindow {
 public:
  TUtilityWindow() = default;
  explicit TUtilityWindow(TWndMethod method);
  ~TUtilityWindow() { Reset(); }
  TUtilityWindow(TUtilityWindow&& o) noexcept;
  TUtilityWindow& operator=(TUtilityWindow&& o) noexcept;
  TUtilityWindow(const TUtilityWindow&) = delete;
  TUtilityWindow& operator=(const TUtilityWindow&) = delete;

  HWND Handle() const { return window_.get(); }
  explicit operator bool() const { return static_cast<bool>(window_); }
  void Reset();

 private:
  std::unique_ptr<TWndMethod> method_;
  UniqueWindow window_;
};

// Runs a window-procedure body so that no exception crosses a Win32 frame: an
// error is handed to the application's handler, which shows it.
void HandleWindowException();

}  // namespace qv
