#include "look/PainterManager.h"

#include <algorithm>
#include <string>

#include "framework/Buttons.h"
#include "framework/ChoiceCtrls.h"
#include "framework/ComCtrls.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Handles.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "look/LookGeometry.h"
#include "look/MenuPainter.h"

namespace qv {

namespace {

// The id under which the manager hooks the application window.
constexpr int kManagerHookId = 0x4D50;

template <class T>
bool Contains(const std::vector<T>& v, const T& x) {
  return std::find(v.begin(), v.end(), x) != v.end();
}

template <class T>
void Erase(std::vector<T>& v, const T& x) {
  v.erase(std::remove(v.begin(), v.end(), x), v.end());
}

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

bool IsGraphic(TControl* c) { return !dynamic_cast<TWinControl*>(c); }
bool IsListKind(TControl* c) {
  return dynamic_cast<TCustomListBox*>(c) || dynamic_cast<TTreeView*>(c) ||
         dynamic_cast<TListView*>(c);
}
bool IsLookupCombo(TControl* c) { return std::string(c->ClassName()) == "TDBLookupComboBox"; }

HWND WindowOf(TControl* c) {
  auto* w = dynamic_cast<TWinControl*>(c);
  return w && w->HandleAllocated() ? w->Handle() : nullptr;
}

// The colour a control's parent paints its background with.
TColor ParentColor(TControl* c) { return c->Parent() ? c->Parent()->Color() : clBtnFace; }

// A canvas on a control's client area or on its whole window, released at the end.
class ControlCanvas {
 public:
  ControlCanvas(HWND wnd, bool wholeWindow) : dc_(wnd, wholeWindow) {
    canvas_.SetHandle(dc_.get());
  }
  ~ControlCanvas() { canvas_.SetHandle(nullptr); }
  explicit operator bool() const { return static_cast<bool>(dc_); }
  TCanvas& operator*() { return canvas_; }
  TCanvas* operator->() { return &canvas_; }

 private:
  WindowDc dc_;
  TCanvas canvas_;
};

RECT ToRect(const TPaintRect& b) { return RECT{b.Left, b.Top, b.Right, b.Bottom}; }
TPaintRect ToPaintRect(const RECT& r) { return TPaintRect{r.left, r.top, r.right, r.bottom}; }

TBiDi BiDiOf(const TControl& c) {
  switch (c.BiDiMode) {
    case TBiDiMode::bdLeftToRight: return TBiDi::LeftToRight;
    case TBiDiMode::bdRightToLeft: return TBiDi::RightToLeft;
    case TBiDiMode::bdRightToLeftNoAlign: return TBiDi::RightToLeftNoAlign;
    case TBiDiMode::bdRightToLeftReadingOnly: return TBiDi::RightToLeftReadingOnly;
  }
  return TBiDi::LeftToRight;
}

RECT WindowArea(HWND wnd) {
  RECT r;
  GetWindowRect(wnd, &r);
  OffsetRect(&r, -r.left, -r.top);
  return r;
}

void Frame(TCanvas& canvas, const RECT& r, TColor color) {
  canvas.Brush().SetStyle(TBrushStyle::bsClear);
  canvas.Pen().SetColor(color);
  canvas.Rectangle(r.left, r.top, r.right, r.bottom);
}

}  // namespace

// ---- TControlSubClass ----

TControlSubClass::TControlSubClass(TMenuPainter* owner, TControl* control)
    : TComponent(owner), Control(control), Painter(owner) {
  // The control may go first (a form frees its later components first).
  if (control) FreeNotification(control);
}

TControlSubClass::~TControlSubClass() {
  try {
    Restore();
  } catch (...) {
    // A destructor must not throw; the control is going too, with whatever look it has.
  }
}

bool IsSubClassMethod(const TWndMethod& method) {
  auto* probe = static_cast<TControlSubClass*>(const_cast<void*>(method.Object()));
  return probe && method == TWndMethod::Of<&TControlSubClass::WindowProc>(probe);
}

namespace {
// The kinds whose painters switch Ctl3D or the border style off.
bool ChangesBorder(TControl* c) {
  return dynamic_cast<TEdit*>(c) || dynamic_cast<TRichEdit*>(c) || IsListKind(c) ||
         IsLookupCombo(c);
}
}  // namespace

void TControlSubClass::SaveBorder() {
  if (auto* w = dynamic_cast<TWinControl*>(Control); w && ChangesBorder(w)) {
    SavedCtl3D = w->Ctl3D();
    SavedBorderStyle = w->BorderStyle();
  }
}

void TControlSubClass::Restore() {
  if (!Control) return;
  if (Control->WindowProc == Method()) {
    Control->WindowProc = SavedWindowProc;
    // Every kind gets back the border it had before it was taken over.
    if (auto* w = dynamic_cast<TWinControl*>(Control); w && ChangesBorder(w)) {
      w->SetCtl3D(SavedCtl3D);
      w->SetBorderStyle(SavedBorderStyle);
    }
  }
  RemoveFreeNotification(Control);
  Control = nullptr;
}

void TControlSubClass::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove && component == Control) {
    // The control is still whole: it must not keep calling an object that is gone.
    Restore();
    FreeSelf();
  }
}

void TControlSubClass::FreeSelf() {
  try {
    Free();
  } catch (...) {
    // Called from inside the control's own message: an error here must not reach it.
  }
}

void TControlSubClass::WindowProc(TMessage& m) {
  TControl* c = Control;
  if (!c) {
    m.Result = 0;
    return;
  }
  // A lookup combo box's border is all drawn by its painter.
  if ((m.Msg == WM_PAINT && IsGraphic(c)) || (m.Msg == WM_NCPAINT && IsLookupCombo(c))) {
    m.Result = 1;
    return;
  }
  SavedWindowProc(m);

  if (Painter && !Painter->Active()) {
    // The saved procedure has answered; its result stands.
    try {
      Restore();
    } catch (...) {
      // Nothing more to undo: the subclass goes either way, and the message is answered.
    }
    FreeSelf();
    return;
  }

  LastMessage = m.Msg;
  switch (m.Msg) {
    case WM_DESTROY:
      if (!Recreating) {
        try {
          Restore();
        } catch (...) {
          // The window is being destroyed: its look no longer matters, only letting go.
        }
        FreeSelf();
        return;
      }
      break;
    case WM_SETFOCUS:
      Hot = true;
      RepaintControl();
      break;
    case WM_KILLFOCUS:
    case CM_EXIT:
      Hot = false;
      RepaintControl();
      break;
    case WM_PAINT:
      Recreating = false;
      RepaintControl();
      break;
    case WM_WINDOWPOSCHANGED:
    case CN_PARENTNOTIFY:
    case EM_GETMODIFY:
    case CM_INVALIDATE:
    case CM_CTL3DCHANGED:
    case CM_PARENTCTL3DCHANGED:
      Recreating = true;
      break;
    case WM_NCPAINT:
      if (IsListKind(c)) PaintListBorder();
      break;
    case BM_GETCHECK:
    case BM_SETCHECK:
      Hot = false;
      RepaintControl();
      break;
    case BM_SETSTATE:
    case CM_FOCUSCHANGED:
    case CM_PARENTCOLORCHANGED:
    case CM_TEXTCHANGED:
      RepaintControl();
      break;
    case WM_KEYDOWN:
      if (m.WParam == VK_SPACE) {
        SpaceDown = true;
        // Auto-repeat sends more key-downs; one repaint is enough.
        if (!SpaceSeen) RepaintControl();
        SpaceSeen = true;
      }
      break;
    case WM_KEYUP:
      if (m.WParam == VK_SPACE) {
        SpaceDown = false;
        SpaceSeen = false;
        RepaintControl();
      }
      break;
    case WM_MOUSEMOVE:
      if (c->Enabled() && std::string(c->ClassName()) == "TUpDown") RepaintControl();
      break;
    case WM_LBUTTONDOWN:
      LeftButtonDown = true;
      RepaintControl();
      break;
    case WM_LBUTTONUP:
      LeftButtonDown = false;
      if (IsGraphic(c))
        c->Repaint();
      else
        RepaintControl();
      break;
    case WM_LBUTTONDBLCLK:
      // The system turns the second click into a double click; these controls
      // should see it as one more click.
      if (dynamic_cast<TCheckBox*>(c) || dynamic_cast<TSpeedButton*>(c) ||
          dynamic_cast<TButton*>(c)) {
        if (HWND wnd = WindowOf(c)) SendMessageA(wnd, WM_LBUTTONDOWN, m.WParam, m.LParam);
      }
      break;
    case CM_ENABLEDCHANGED:
      if (m.WParam == 0) Hot = false;
      RepaintControl();
      break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      if (c->Enabled()) {
        Hot = m.Msg == CM_MOUSEENTER;
        if (IsGraphic(c))
          c->Invalidate();
        else
          RepaintControl();
      }
      break;
    default:
      break;
  }
}

void TControlSubClass::RepaintControl() {
  TControl* c = Control;
  if (!c || !Painter) return;
  auto* win = dynamic_cast<TWinControl*>(c);
  Focused = win && win->Focused();
  if (!WindowOf(c)) return;
  const bool painting = LastMessage == WM_PAINT;
  if (dynamic_cast<TComboBox*>(c)) PaintCombo();
  if (IsLookupCombo(c)) PaintLookupCombo();
  if (dynamic_cast<TRichEdit*>(c))
    PaintRichEdit();
  else if (dynamic_cast<TEdit*>(c))
    PaintEdit();
  if (dynamic_cast<TCheckBox*>(c)) PaintCheckBox();
  if (dynamic_cast<TRadioButton*>(c)) PaintRadioButton();
  if (dynamic_cast<TButton*>(c)) PaintButton();
  if (std::string(c->ClassName()) == "TUpDown") PaintUpDown();
  if (dynamic_cast<TSpeedButton*>(c) && c->Visible()) PaintSpeedButton();
  if (dynamic_cast<TPanel*>(c) && painting) PaintPanel();
  if (dynamic_cast<TGroupBox*>(c) && painting) PaintGroupBox();
  if (IsListKind(c)) PaintListBorder();
  if (dynamic_cast<TProgressBar*>(c)) PaintProgressBar();
  if (dynamic_cast<THotKey*>(c)) PaintHotKey();
}

void TControlSubClass::PaintCheckBox() {
  auto* box = static_cast<TCheckBox*>(Control);
  ControlCanvas canvas(box->Handle(), false);
  if (!canvas) return;
  if (Painter->PaletteStale()) Painter->RefreshPalette(*canvas);
  const auto& p = Painter->Palette();
  const int s = GetSystemMetrics(SM_CXHTHUMB);

  const bool grayed = box->State() == TCheckBoxState::cbGrayed;
  const bool pressed = SpaceDown || LeftButtonDown;
  TColor fill = clWindow, outline = clBtnShadow;
  if (Hot || Focused) {
    fill = p.HighlightFillColor;
    outline = p.HighlightBorderColor;
  }
  if (pressed) fill = p.CheckFillHotColor;
  if (grayed) fill = clSilver;

  RECT b = ToRect(CheckMarkBox(
      ToPaintRect(box->ClientRect()), s, 3, BiDiOf(*box),
      box->Alignment == TAlignment::taLeftJustify ? TAlign::LeftJustify : TAlign::RightJustify));
  canvas->Brush().SetStyle(TBrushStyle::bsSolid);
  canvas->Brush().SetColor(box->Color());
  canvas->FillRect(b);
  InflateRect(&b, -2, -2);
  canvas->Brush().SetColor(fill);
  canvas->Pen().SetColor(outline);
  canvas->Rectangle(b.left, b.top, b.right, b.bottom);

  if (!box->Checked() && !grayed) return;
  TColor tick;
  if (!box->Enabled())
    tick = p.DisabledTextColor;
  else if (pressed)
    tick = clWindow;
  else if (grayed)
    tick = clGray;
  else
    tick = clHighlight;
  canvas->Pen().SetColor(tick);
  for (int i = 0; i < 3; ++i) {
    const POINT pts[3] = {{b.left + 2, b.bottom - i - 5},
                          {b.left + 4, b.bottom - i - 3},
                          {b.left + 9, b.bottom - i - 8}};
    canvas->Polyline(pts, 3);
  }
}

// Switches the control's 3-D edge off; the window changes, so its next
// messages are those of a rebuild.
void TControlSubClass::FlattenEdge(TWinControl& w) {
  if (!w.Ctl3D()) return;
  Recreating = true;
  w.SetCtl3D(false);
}

void TControlSubClass::PaintEdit() {
  auto* edit = static_cast<TEdit*>(Control);
  FlattenEdge(*edit);
  ControlCanvas canvas(WindowOf(Control), false);
  if (!canvas) return;
  if (Painter->PaletteStale()) Painter->RefreshPalette(*canvas);
  const auto& p = Painter->Palette();
  const TColor parent = ParentColor(Control);
  TColor color;
  if (SavedBorderStyle == TBorderStyle::bsNone)
    color = Hot && !Focused ? LightenColor(AverageColors({Control->Color(), parent}), 40)
                            : Control->Color();
  else
    color = (Hot || Focused) ? LightenColor(p.HighlightBorderColor, 60) : DarkenColor(parent, 60);
  Frame(*canvas, Control->ClientRect(), color);
}

void TControlSubClass::PaintListBorder() {
  HWND wnd = WindowOf(Control);
  if (!wnd) return;
  FlattenEdge(*static_cast<TWinControl*>(Control));
  ControlCanvas canvas(wnd, true);
  if (!canvas) return;
  Painter->RefreshPalette(*canvas);
  const auto& p = Painter->Palette();
  const bool single = SavedBorderStyle == TBorderStyle::bsSingle;
  TColor color;
  if (Hot || Focused)
    color = LightenColor(p.HighlightBorderColor, single ? 60 : 80);
  else
    color = single ? DarkenColor(ParentColor(Control), 60) : ParentColor(Control);
  Frame(*canvas, WindowArea(wnd), color);
}

void TControlSubClass::PaintCombo() {
  auto* combo = static_cast<TComboBox*>(Control);
  HWND wnd = WindowOf(Control);
  ControlCanvas canvas(wnd, false);
  if (!canvas) return;
  if (Painter->PaletteStale()) Painter->RefreshPalette(*canvas);
  const auto& p = Painter->Palette();
  const bool dropped = combo->DroppedDown();
  const bool hot = Hot || Focused;
  const bool rtl = combo->IsRightToLeft();
  const TColor own = Control->Color();
  TColor parent = ParentColor(Control);
  TColor border = own, button = clBtnFace;
  if (Control->Tag == 1000) button = LightenColor(parent, p.ParentTintPercent);
  if (Focused && !Hot) {
    border = LightenColor(p.HighlightBorderColor, 60);
    button = p.CheckFillColor;
  }
  if (Hot) {
    border = p.HighlightBorderColor;
    button = p.HighlightFillColor;
  }
  if (dropped) {
    border = p.HighlightBorderColor;
    button = p.CheckFillHotColor;
  }
  RECT r;
  GetClientRect(wnd, &r);
  if (combo->Style == TComboBoxStyle::csSimple) {
    // The list is always shown: only the edit part gets its frames.
    RECT edit = r;
    edit.bottom = edit.top + combo->Height();
    r = edit;
  }
  Frame(*canvas, r, parent);
  canvas->MoveTo(r.left, r.top);
  canvas->LineTo(r.right, r.top);
  RECT inner = r;
  InflateRect(&inner, hot ? 0 : -1, hot ? 0 : -1);
  Frame(*canvas, inner, own);
  OffsetRect(&inner, 0, 1);
  inner.bottom -= 1;
  Frame(*canvas, inner, border);
  if (combo->Style == TComboBoxStyle::csSimple) return;

  const int s = GetSystemMetrics(SM_CXHTHUMB);
  RECT btn = ToRect(ComboButtonBox(ToPaintRect(r), s, hot, rtl));
  // The strip between the edit part and the button, in the control's colour.
  const RECT strip = rtl ? RECT{btn.right, btn.top + 1, btn.right + 5, btn.bottom - 1}
                         : RECT{btn.left - 5, btn.top + 1, btn.left, btn.bottom - 1};
  canvas->Brush().SetStyle(TBrushStyle::bsSolid);
  canvas->Brush().SetColor(own);
  canvas->FillRect(strip);
  canvas->Brush().SetColor(button);
  canvas->FillRect(btn);
  canvas->Pen().SetColor(border);
  const int sep = rtl ? btn.right : btn.left;
  canvas->MoveTo(sep, btn.top);
  canvas->LineTo(sep, btn.bottom);
  canvas->Pen().SetColor((Control->Enabled() && !dropped) ? clBlack : clWhite);
  const int x = rtl ? r.left + 5 : r.right - 10;
  const int lens[3] = {5, 3, 1};
  for (int i = 0; i < 3; ++i) {
    canvas->MoveTo(x + i, r.top + 10 + i);
    canvas->LineTo(x + i + lens[i], r.top + 10 + i);
  }
}

void TControlSubClass::PaintPanel() {
  auto* panel = static_cast<TPanel*>(Control);
  ControlCanvas canvas(panel->Handle(), false);
  if (!canvas) return;
  const TColor shadow = DarkenColor(panel->Color(), 60);
  const TColor light = LightenColor(panel->Color(), 60);
  RECT r = panel->ClientRect();
  for (TBevelCut cut : {panel->BevelOuter, panel->BevelInner}) {
    if (cut == TBevelCut::bvNone) continue;
    const bool raised = cut == TBevelCut::bvRaised;
    canvas->Frame3D(r, raised ? light : shadow, raised ? shadow : light, panel->BevelWidth);
  }
}

namespace {

// Two lines of a bevel: along the left and top, or along the right and bottom.
void BevelLines(TCanvas& canvas, const RECT& r, bool topLeft) {
  for (int i = 0; i < 2; ++i)
    if (topLeft) {
      canvas.MoveTo(r.left + 1 + i, r.bottom - 2);
      canvas.LineTo(r.left + 1 + i, r.top + 1 + i);
      canvas.LineTo(r.right - 1, r.top + 1 + i);
    } else {
      canvas.MoveTo(r.left + 1, r.bottom - 2 - i);
      canvas.LineTo(r.right - 2 - i, r.bottom - 2 - i);
      canvas.LineTo(r.right - 2 - i, r.top);
    }
}

// A down (or up) arrow of three lines 5, 3 and 1 pixels long from (x, y).
void Arrow(TCanvas& canvas, int x, int y, bool down) {
  const int lens[3] = {5, 3, 1};
  for (int i = 0; i < 3; ++i) {
    const int row = down ? y + i : y + 2 - i;
    canvas.MoveTo(x + i, row);
    canvas.LineTo(x + i + lens[i], row);
  }
}

bool HasAllBits(int tag, int bits) { return (tag & bits) == bits; }

}  // namespace

void TControlSubClass::PaintRadioButton() {
  auto* radio = static_cast<TRadioButton*>(Control);
  ControlCanvas canvas(radio->Handle(), false);
  if (!canvas) return;
  if (Painter->PaletteStale()) Painter->RefreshPalette(*canvas);
  const auto& p = Painter->Palette();
  const int s = GetSystemMetrics(SM_CXHTHUMB);
  TColor fill = clWindow, outline = clBtnShadow;
  if (Hot) {
    fill = p.HighlightFillColor;
    outline = p.HighlightBorderColor;
  }
  if (Focused) fill = p.HighlightFillColor;
  RECT b = ToRect(CheckMarkBox(
      ToPaintRect(radio->ClientRect()), s - 1, 4, BiDiOf(*radio),
      radio->Alignment == TAlignment::taLeftJustify ? TAlign::LeftJustify : TAlign::RightJustify));
  canvas->Brush().SetStyle(TBrushStyle::bsSolid);
  canvas->Brush().SetColor(radio->Color());
  canvas->FillRect(b);
  InflateRect(&b, -2, -2);
  canvas->Brush().SetColor(fill);
  canvas->Pen().SetColor(outline);
  canvas->Ellipse(b.left, b.top, b.right, b.bottom);
  if (!radio->Checked()) return;
  InflateRect(&b, -2, -2);
  const TColor dot = radio->Enabled() ? clHighlight : p.DisabledTextColor;
  canvas->Brush().SetColor(dot);
  canvas->Pen().SetColor(dot);
  canvas->Ellipse(b.left, b.top, b.right, b.bottom);
}

void TControlSubClass::PaintButton() {
  auto* button = static_cast<TButton*>(Control);
  auto* bit = dynamic_cast<TBitBtn*>(button);
  ControlCanvas canvas(button->Handle(), false);
  if (!canvas) return;
  if (Painter->PaletteStale()) Painter->RefreshPalette(*canvas);
  const auto& p = Painter->Palette();
  const TColor parent = ParentColor(Control);
  const bool parentFace = bit ? HasAllBits(Control->Tag, 1000) : Control->Tag == 1000;
  const bool hot = Hot || (bit && SpaceDown);
  TColor face = parentFace ? LightenColor(parent, p.ParentTintPercent) : p.IconColumnColor;
  TColor border = clBtnShadow;
  if (hot) {
    face = LightenColor(parentFace ? parent : clBtnFace, p.HotTintPercent);
    border = LightenColor(p.HighlightBorderColor, 60);
  }
  if (Focused) border = LightenColor(p.HighlightBorderColor, 60);
  const bool plain = bit && HasAllBits(Control->Tag, 1001);

  RECT r = button->ClientRect();
  canvas->Brush().SetStyle(TBrushStyle::bsSolid);
  canvas->Brush().SetColor(parent);
  canvas->FillRect(r);
  canvas->Brush().SetColor(face);
  canvas->Pen().SetColor(plain ? face : LightenColor(border, 30));
  canvas->RoundRect(r.left, r.top, r.right, r.bottom, 4, 4);
  const bool pressed = SpaceDown || (LeftButtonDown && Hot);
  if (button->Enabled() && !plain) {
    canvas->Pen().SetColor(DarkenColor(border, 50));
    BevelLines(*canvas, r, pressed);
  }

  RECT text = r;
  if (bit && !bit->Glyph().Empty()) {
    // The glyph left of the caption (or at the margin), as one block.
    TBitmap glyph;
    glyph.SetSize(bit->Glyph().Width(), bit->Glyph().Height());
    BitBlt(glyph.Canvas().Handle(), 0, 0, glyph.Width(), glyph.Height(),
           bit->Glyph().Canvas().Handle(), 0, 0, SRCCOPY);
    canvas->Font().Assign(button->Font());
    const int tw = button->Caption().empty() ? 0 : canvas->TextWidth(button->Caption());
    const int gap = tw ? bit->Spacing : 0;
    const int left = bit->Margin >= 0 ? bit->Margin : (r.right - glyph.Width() - gap - tw) / 2;
    RECT column{left, (r.bottom - glyph.Height()) / 2 - 1, left + glyph.Width(), r.bottom};
    Painter->PaintItemIcon(button, *canvas, glyph, column, hot, pressed, button->Enabled(), false,
                           false, false);
    text.left = left + glyph.Width() + gap;
    text.right = text.left + tw + 2;
  }
  const int d = pressed ? 1 : 0;
  OffsetRect(&text, d, d);
  Painter->PaintItemText(button, button->Caption(), "", *canvas, text, false, button->Enabled(),
                         button->Default, false, button->IsRightToLeft(), button->Font(),
                         DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void TControlSubClass::PaintUpDown() {
  HWND wnd = WindowOf(Control);
  ControlCanvas canvas(wnd, false);
  if (!canvas) return;
  if (Painter->PaletteStale()) Painter->RefreshPalette(*canvas);
  const auto& p = Painter->Palette();
  const TColor parent = ParentColor(Control);
  RECT r = Control->ClientRect();
  const int half = (r.bottom - r.top) / 2;
  POINT cursor{};
  GetCursorPos(&cursor);
  ScreenToClient(wnd, &cursor);
  for (int i = 0; i < 2; ++i) {
    const RECT h{r.left, r.top + i * half, r.right, r.top + (i + 1) * half};
    const bool under = PtInRect(&h, cursor) != FALSE;
    TColor outline = LightenColor(parent, 80);
    TColor fill = Control->Tag == 1000 ? LightenColor(parent, p.ParentTintPercent)
                                       : LightenColor(p.HighlightFillColor, p.ParentTintPercent);
    bool whiteArrow = !Control->Enabled();
    if (under) {
      outline = p.HighlightBorderColor;
      fill = LightenColor(p.HighlightFillColor, 60);
      if (LeftButtonDown) {
        fill = p.CheckFillHotColor;
        whiteArrow = true;
      }
    }
    // Its outline already there means this half shows this state: every mouse
    // move repaints, and drawing it again would only flicker.
    if (canvas->Pixel(h.left, h.top) == ColorToRGB(outline)) continue;
    canvas->Brush().SetStyle(TBrushStyle::bsSolid);
    canvas->Brush().SetColor(fill);
    canvas->Pen().SetColor(outline);
    canvas->Rectangle(h.left, h.top, h.right, h.bottom);
    canvas->Pen().SetColor(whiteArrow ? clWhite : clBlack);
    const int cx = (h.left + h.right) / 2, cy = (h.top + h.bottom) / 2 - 2;
    // Four short strokes, widest at the base.
    for (int k = 0; k < 4; ++k) {
      const int y = i == 0 ? cy - 1 + k : cy + 2 - k;
      canvas->MoveTo(cx - 3 + k, y);
      canvas->LineTo(cx + 4 - k, y);
    }
  }
}

void TControlSubClass::PaintSpeedButton() {
  auto* button = static_cast<TSpeedButton*>(Control);
  HWND wnd = button->Handle();
  ControlCanvas canvas(wnd, false);
  if (!canvas) return;
  if (Painter->PaletteStale()) Painter->RefreshPalette(*canvas);
  const auto& p = Painter->Palette();
  const TColor parent = ParentColor(Control);
  bool hot = Hot;
  if (button->Flat) {
    // A flat button asks the cursor, so that a hover missed on the way in shows.
    POINT cursor{};
    GetCursorPos(&cursor);
    ScreenToClient(wnd, &cursor);
    RECT client = button->ClientRect();
    hot = button->Enabled() && PtInRect(&client, cursor);
  }
  const bool down = button->Down();
  const bool pressed = LeftButtonDown;
  TColor face = button->Flat              ? parent
                : Control->Tag == 1000    ? LightenColor(parent, p.ParentTintPercent)
                                          : p.IconColumnColor;
  TColor border = clBtnShadow;
  if (hot) {
    face = button->Flat ? p.HighlightFillColor
                        : LightenColor(Control->Tag == 1000 ? parent : clBtnFace, p.HotTintPercent);
    border = LightenColor(p.HighlightBorderColor, 60);
  }
  if (down) {
    face = hot ? p.CheckFillHotColor : p.CheckFillColor;
    border = p.HighlightBorderColor;
  }
  if (!button->Enabled()) border = clBtnShadow;
  RECT r = button->ClientRect();
  canvas->Brush().SetStyle(TBrushStyle::bsSolid);
  canvas->Brush().SetColor(face);
  const bool idleFlat = button->Flat && !hot && !down && !pressed;
  canvas->Pen().SetColor(idleFlat ? face : LightenColor(border, 30));
  canvas->Rectangle(r.left, r.top, r.right, r.bottom);
  if (button->Enabled()) {
    if (button->Flat) {
      if (pressed || down) {
        Frame(*canvas, r, border);
        canvas->Pen().SetColor(DarkenColor(border, 50));
        BevelLines(*canvas, r, true);
      } else if (hot) {
        Frame(*canvas, r, p.HighlightBorderColor);
      }
    } else {
      canvas->Pen().SetColor(DarkenColor(border, 50));
      BevelLines(*canvas, r, pressed || down);
    }
  }
  RECT text = r;
  if (!button->Glyph().Empty()) {
    TBitmap glyph;
    glyph.SetSize(button->Glyph().Width(), button->Glyph().Height());
    BitBlt(glyph.Canvas().Handle(), 0, 0, glyph.Width(), glyph.Height(),
           button->Glyph().Canvas().Handle(), 0, 0, SRCCOPY);
    const int left = button->Caption().empty() ? (r.right - glyph.Width()) / 2 : 3;
    RECT column{left, (r.bottom - glyph.Height()) / 2 - 1, left + glyph.Width(), r.bottom};
    Painter->PaintItemIcon(button, *canvas, glyph, column, hot, pressed || down,
                           button->Enabled(), false, false, false);
    text.left = left + glyph.Width() + 4;
  }
  if (!button->Caption().empty())
    Painter->PaintItemText(button, button->Caption(), "", *canvas, text, false, button->Enabled(),
                           false, false, false, button->Font(),
                           DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void TControlSubClass::PaintGroupBox() {
  auto* box = static_cast<TGroupBox*>(Control);
  ControlCanvas canvas(box->Handle(), false);
  if (!canvas) return;
  canvas->Font().Assign(box->Font());
  const int th = canvas->TextHeight("W");
  const TColor shadow = DarkenColor(box->Color(), 60);
  const TColor light = box->Ctl3D() ? LightenColor(box->Color(), 60) : shadow;
  RECT r = box->ClientRect();
  r.top += th / 2;
  canvas->Brush().SetStyle(TBrushStyle::bsClear);
  // The system's frame and caption go under the flat one.
  RECT frame = r;
  if (box->Ctl3D()) {
    Frame(*canvas, RECT{frame.left + 1, frame.top + 1, frame.right, frame.bottom}, light);
    Frame(*canvas, RECT{frame.left, frame.top, frame.right - 1, frame.bottom - 1}, shadow);
  } else {
    Frame(*canvas, frame, shadow);
  }
  if (box->Caption().empty()) return;
  const int tw = canvas->TextWidth(box->Caption());
  canvas->Brush().SetStyle(TBrushStyle::bsSolid);
  canvas->Brush().SetColor(box->Color());
  canvas->FillRect(RECT{7, 0, 9 + tw + 2, th + 1});
  canvas->Brush().SetStyle(TBrushStyle::bsClear);
  canvas->Font().SetColor(box->Enabled() ? box->Font().Color() : clGrayText);
  canvas->TextOut(9, 0, box->Caption());
}

void TControlSubClass::PaintRichEdit() {
  auto* edit = static_cast<TWinControl*>(Control);
  TWinControl* parent = edit->Parent();
  if (!parent || !parent->HandleAllocated()) return;
  const bool single = SavedBorderStyle == TBorderStyle::bsSingle;
  if (single && edit->BorderStyle() != TBorderStyle::bsNone) {
    // Its own edge goes; the flat one is drawn around it on the parent.
    Recreating = true;
    edit->SetBorderStyle(TBorderStyle::bsNone);
  }
  ControlCanvas canvas(parent->Handle(), false);
  if (!canvas) return;
  if (Painter->PaletteStale()) Painter->RefreshPalette(*canvas);
  const auto& p = Painter->Palette();
  const TColor parentColor = parent->Color();
  const TColor color = (Hot || Focused) ? LightenColor(p.HighlightBorderColor, 60)
                       : single         ? DarkenColor(parentColor, 60)
                                        : parentColor;
  RECT r = edit->BoundsRect();
  InflateRect(&r, 1, 1);
  Frame(*canvas, r, color);
}

void TControlSubClass::PaintLookupCombo() {
  auto* w = static_cast<TWinControl*>(Control);
  FlattenEdge(*w);
  HWND wnd = w->Handle();
  ControlCanvas canvas(wnd, true);
  if (!canvas) return;
  if (Painter->PaletteStale()) Painter->RefreshPalette(*canvas);
  const auto& p = Painter->Palette();
  const bool dropped = SendMessageA(wnd, CB_GETDROPPEDSTATE, 0, 0) != 0;
  TColor outer = DarkenColor(ParentColor(Control), 60);
  TColor border = LightenColor(p.HighlightBorderColor, 60), button = clBtnFace;
  if (Focused && !Hot) button = p.CheckFillColor;
  if (Hot) {
    outer = border = p.HighlightBorderColor;
    button = p.HighlightFillColor;
  }
  if (dropped) {
    border = p.HighlightBorderColor;
    button = p.CheckFillHotColor;
  }
  RECT r = WindowArea(wnd);
  Frame(*canvas, r, outer);
  RECT inner = r;
  InflateRect(&inner, -1, -1);
  Frame(*canvas, inner, Control->Color());
  const int s = GetSystemMetrics(SM_CXHTHUMB);
  RECT btn = ToRect(ComboButtonBox(ToPaintRect(r), s, Hot || Focused, Control->IsRightToLeft()));
  canvas->Brush().SetStyle(TBrushStyle::bsSolid);
  canvas->Brush().SetColor(button);
  canvas->Pen().SetColor(border);
  canvas->Rectangle(btn.left, btn.top, btn.right, btn.bottom);
  canvas->Pen().SetColor(Control->Enabled() && !dropped ? clBlack : clWhite);
  Arrow(*canvas, Control->IsRightToLeft() ? r.left + 5 : r.right - 9, r.top + 8, true);
}

void TControlSubClass::PaintProgressBar() {
  HWND wnd = WindowOf(Control);
  ControlCanvas canvas(wnd, true);
  if (!canvas) return;
  if (Painter->PaletteStale()) Painter->RefreshPalette(*canvas);
  Frame(*canvas, WindowArea(wnd),
        Hot ? Painter->Palette().HighlightBorderColor : DarkenColor(ParentColor(Control), 60));
}

void TControlSubClass::PaintHotKey() {
  HWND wnd = WindowOf(Control);
  ControlCanvas canvas(wnd, true);
  if (!canvas) return;
  Painter->RefreshPalette(*canvas);
  const auto& p = Painter->Palette();
  RECT r = WindowArea(wnd);
  Frame(*canvas, r,
        (Hot || Focused) ? LightenColor(p.HighlightBorderColor, 60)
                         : DarkenColor(ParentColor(Control), 60));
  InflateRect(&r, -1, -1);
  Frame(*canvas, r, clWindow);
}

// ---- TMenuPainterManager ----

TMenuPainterManager* TMenuPainterManager::instance_ = nullptr;

TMenuPainterManager::TMenuPainterManager() : TComponent(nullptr) { HookApplication(); }

TMenuPainterManager::~TMenuPainterManager() {
  if (App()) app_->UnhookMainWindow(kManagerHookId);
  if (instance_ == this) instance_ = nullptr;
}

void TMenuPainterManager::HookApplication() {
  if (app_ || !Application) return;
  app_ = Application;
  app_->HookMainWindow(kManagerHookId, [this](TMessage& m) { return AppHook(m); });
}

TApplication* TMenuPainterManager::App() const {
  // A painter may outlive the application object it hooked.
  return app_ && app_ == Application ? app_ : nullptr;
}

TMenuPainterManager* TMenuPainterManager::Require() {
  if (!instance_) instance_ = new TMenuPainterManager();
  return instance_;
}

void TMenuPainterManager::RemoveConstructed(TMenuPainter* painter) {
  Unregister(painter);
  if (frame_requester_ == painter) frame_requester_ = nullptr;
  if (--constructed_ <= 0 && painters_.empty()) {
    instance_ = nullptr;
    Free();
  }
}

void TMenuPainterManager::Register(TMenuPainter* painter) {
  if (!painter || Contains(painters_, painter)) return;
  HookApplication();
  painters_.push_back(painter);
  if (TCustomForm* form = painter->Form(); form && !Contains(hooked_forms_, form)) {
    hooked_forms_.push_back(form);
    FreeNotification(form);
  }
  if (!active_painter_ && painter->Active() && !painter->DisableSubclassing()) {
    active_painter_ = painter;
    ScanForms();
  }
}

void TMenuPainterManager::Unregister(TMenuPainter* painter) {
  if (!Contains(painters_, painter)) return;
  if (painter == active_painter_) Reassign(painter);
  if (painter == active_painter_) active_painter_ = nullptr;
  Erase(painters_, painter);
}

namespace {
bool OwnsPainter(TComponent* form) {
  for (int i = 0; i < form->ComponentCount(); ++i)
    if (dynamic_cast<TMenuPainter*>(form->Components(i))) return true;
  return false;
}
}  // namespace

void TMenuPainterManager::ScanForms() {
  if (!App()) return;
  // The screen's forms, so that forms owned by other forms or by nothing are found too.
  for (int i = 0; i < Screen->FormCount(); ++i) {
    TCustomForm* form = Screen->Forms(i);
    if (form->Destroying() || Contains(hooked_forms_, form) || Contains(pending_forms_, form))
      continue;
    if (form->Tag == kKeepOwnLookTag || OwnsPainter(form)) continue;
    pending_forms_.push_back(form);
    FreeNotification(form);
  }
}

void TMenuPainterManager::NoticeNewForms() {
  if (active_painter_) ScanForms();
}

void TMenuPainterManager::FormNotice(TComponent* component, TOperation operation) {
  auto* form = dynamic_cast<TCustomForm*>(component);
  if (!form) return;
  if (operation == TOperation::opInsert) {
    if (active_painter_ && !Contains(pending_forms_, form)) {
      pending_forms_.push_back(form);
      FreeNotification(form);
    }
  } else {
    Erase(pending_forms_, form);
    Erase(hooked_forms_, form);
  }
}

void TMenuPainterManager::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove) FormNotice(component, operation);
}

TMenuPainter* TMenuPainterManager::FindPainter(TMenuPainter* excluded) const {
  for (TMenuPainter* p : painters_)
    if (p != excluded && p->Active() && !p->DisableSubclassing()) return p;
  return nullptr;
}

namespace {
// True when the control sits on the form, at any depth.
bool LiesOn(TControl* control, TCustomForm* form) {
  if (!form) return false;
  for (TControl* c = control; c; c = c->Parent())
    if (c == form) return true;
  return control && control->Owner() == form;
}

std::vector<TControlSubClass*> SubClassesOf(TMenuPainter* painter) {
  std::vector<TControlSubClass*> out;
  if (!painter) return out;
  for (int i = 0; i < painter->ComponentCount(); ++i)
    if (auto* s = dynamic_cast<TControlSubClass*>(painter->Components(i))) out.push_back(s);
  return out;
}
}  // namespace

void TMenuPainterManager::Reassign(TMenuPainter* excluded) {
  TMenuPainter* n = FindPainter(excluded);
  if (n && !active_painter_) {
    active_painter_ = n;
    ScanForms();
    return;
  }
  if (n) {
    TCustomForm* excludedForm = excluded ? excluded->Form() : nullptr;
    for (TControlSubClass* old : SubClassesOf(active_painter_)) {
      if (!old->Control || !excluded || LiesOn(old->Control, excludedForm)) continue;
      auto* copy = new TControlSubClass(n, old->Control);
      copy->SavedWindowProc = old->SavedWindowProc;
      copy->SavedCtl3D = old->SavedCtl3D;
      copy->SavedBorderStyle = old->SavedBorderStyle;
      copy->Hot = old->Hot;
      copy->Focused = old->Focused;
      copy->Control->WindowProc = copy->Method();
      // The old object must not undo the hook the copy now holds.
      old->RemoveFreeNotification(old->Control);
      old->Control = nullptr;
      old->Free();
    }
    active_painter_ = n;
    return;
  }
  pending_forms_.clear();
  if (App() && app_->MainForm()) {
    TCustomForm* own = excluded ? excluded->Form() : nullptr;
    for (TCustomForm* form : std::vector<TCustomForm*>(hooked_forms_))
      if (form != own) ReleaseForm(form);
    hooked_forms_.clear();
  }
  active_painter_ = nullptr;
}

void TMenuPainterManager::ReleaseForm(TCustomForm* form) {
  auto subs = SubClassesOf(active_painter_);
  for (auto it = subs.rbegin(); it != subs.rend(); ++it) {
    try {
      if ((*it)->Control && LiesOn((*it)->Control, form)) (*it)->Restore();
    } catch (...) {
      // One control that cannot be given back must not keep the others from it.
    }
  }
}

namespace {

// A shown popup menu holding the item, and the item's position in it.
struct ItemSearch {
  ULONG_PTR wanted;
  HMENU menu = nullptr;
  int pos = -1;
};

BOOL CALLBACK FindItemMenu(HWND wnd, LPARAM lp) {
  auto& s = *reinterpret_cast<ItemSearch*>(lp);
  char cls[16] = {};
  GetClassNameA(wnd, cls, sizeof(cls));
  if (std::string(cls) != "#32768" || !IsWindowVisible(wnd)) return TRUE;
  auto menu = reinterpret_cast<HMENU>(SendMessageA(wnd, MN_GETHMENU, 0, 0));
  if (!menu) return TRUE;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_DATA;
    if (GetMenuItemInfoA(menu, i, TRUE, &mii) && mii.dwItemData == s.wanted) {
      s.menu = menu;
      s.pos = i;
      return FALSE;
    }
  }
  return TRUE;
}

}  // namespace

TMenuPainter* TMenuPainterManager::TakeFrameRequester() {
  TMenuPainter* p = frame_requester_;
  frame_requester_ = nullptr;
  // A request someone else posted is answered by the painter taking over controls.
  return p ? p : active_painter_;
}

void TMenuPainterManager::FrameByItem(TMessage& m, TMenuPainter* painter) {
  // The item is only compared until it is found in a menu that is shown, so a
  // request for an item freed since does no harm.
  ItemSearch search{static_cast<ULONG_PTR>(m.LParam)};
  EnumThreadWindows(GetCurrentThreadId(), FindItemMenu, reinterpret_cast<LPARAM>(&search));
  if (!search.menu) return;
  RECT r;
  if (!GetMenuItemRect(nullptr, search.menu, search.pos, &r)) return;
  const POINT center{r.left + Width(r) / 2, r.top + Height(r) / 2};
  HWND wnd = WindowFromPoint(center);
  if (!wnd || !painter) return;
  auto* item = reinterpret_cast<TMenuItem*>(search.wanted);
  TMenu* menu = item->GetParentMenu();
  painter->PaintPopupFrame(wnd, menu && menu->IsRightToLeft());
}

void TMenuPainterManager::TakeOverPendingForms() {
  if (pending_forms_.empty() || !active_painter_) return;
  auto pending = pending_forms_;
  pending_forms_.clear();
  for (TCustomForm* form : pending) {
    if (Contains(hooked_forms_, form)) continue;
    hooked_forms_.push_back(form);
    try {
      active_painter_->HookComponents(form, true, true);
    } catch (...) {
      // A form that cannot take the flat look keeps the system's; the others still do.
    }
  }
}

bool TMenuPainterManager::AppHook(TMessage& m) {
  try {
    if (m.Msg == MPM_FRAME_BY_ITEM && m.LParam) {
      FrameByItem(m, TakeFrameRequester());
    } else if (m.Msg == MPM_FRAME_BY_WINDOW) {
      if (TMenuPainter* painter = TakeFrameRequester())
        painter->PaintPopupFrame(reinterpret_cast<HWND>(m.LParam), m.WParam != 0);
    }
    NoticeNewForms();
    TakeOverPendingForms();
  } catch (...) {
    // A hook of the application window: the look is not worth breaking its message.
  }
  return false;
}

}  // namespace qv
