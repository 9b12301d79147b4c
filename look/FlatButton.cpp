#include "look/FlatButton.h"

#include <oleacc.h>

#include <cstdint>

#include "framework/Handles.h"
#include "framework/TypInfo.h"

namespace qv {

namespace {

constexpr TColor kDefaultBorder = 8556441;  // RGB 153, 143, 130
constexpr TColor kDefaultHover = 704216;    // RGB 216, 190, 10
constexpr TColor kBevelLight = 15594744;    // RGB 248, 244, 237
constexpr TColor kBevelDark = 5197647;      // RGB 79, 79, 79

// Copies the whole bitmap into dest (stretched to its size), painting the
// pixels of the bitmap's top-left colour in `fill` instead.
void CopyWithTransparentCorner(HDC dest_dc, const RECT& dest, TBitmap& bitmap, TColor fill) {
  const int w = bitmap.Width(), h = bitmap.Height();
  if (bitmap.Empty() || w <= 0 || h <= 0) return;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;  // top-down: row 0 first
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* raw = nullptr;
  UniqueBitmap work(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &raw, nullptr, 0));
  UniqueMemoryDc work_dc(CreateCompatibleDC(dest_dc));
  if (!work || !raw || !work_dc) return;
  SelectGuard select(work_dc.get(), work.get());
  BitBlt(work_dc.get(), 0, 0, w, h, bitmap.Canvas().Handle(), 0, 0, SRCCOPY);
  GdiFlush();
  // DIB pixels are 0x00RRGGBB, COLORREF is 0x00BBGGRR.
  const COLORREF c = ColorToRGB(fill);
  const std::uint32_t replacement = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
  auto* pixels = static_cast<std::uint32_t*>(raw);
  const std::uint32_t transparent = pixels[0] & 0xFFFFFF;
  for (int i = 0; i < w * h; ++i)
    if ((pixels[i] & 0xFFFFFF) == transparent) pixels[i] = replacement;
  const int old_mode = SetStretchBltMode(dest_dc, COLORONCOLOR);
  StretchBlt(dest_dc, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top,
             work_dc.get(), 0, 0, w, h, SRCCOPY);
  SetStretchBltMode(dest_dc, old_mode);
}

}  // namespace

// Gives the canvas the window's DC for one painting, unless it already draws on
// one (inside WM_PAINT, or a painting nested in another).
class TFlatButton::PaintScope {
 public:
  explicit PaintScope(TFlatButton& button) : canvas_(button.canvas_) {
    if (canvas_.HandleAllocated()) {
      ok_ = true;
      return;
    }
    if (!button.HandleAllocated()) return;
    wnd_ = button.Handle();
    dc_ = GetDC(wnd_);
    if (!dc_) return;
    canvas_.SetHandle(dc_);
    ok_ = true;
  }
  ~PaintScope() {
    if (!dc_) return;
    canvas_.SetHandle(nullptr);  // puts the canvas's tools back out of the DC first
    ReleaseDC(wnd_, dc_);
  }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  bool ok() const { return ok_; }

 private:
  TCanvas& canvas_;
  HWND wnd_ = nullptr;
  HDC dc_ = nullptr;
  bool ok_ = false;
};

TFlatButton::TFlatButton(TComponent* owner)
    : TWinControl(owner),
      color_border_(kDefaultBorder),
      color_over_(kDefaultHover),
      color_down_(kDefaultHover),
      color_over_caption_(clBlack) {
  width_ = 86;
  height_ = 22;
  color_ = clBtnFace;
  Accessibility.Role = ROLE_SYSTEM_PUSHBUTTON;
  font_.SetName("Arial");
  font_.SetColor(clBlack);
  SetShowHint(true);
  canvas_.Brush().SetColor(clBlack);
}

TFlatButton::~TFlatButton() { canvas_.SetHandle(nullptr); }

void TFlatButton::SetParent(TWinControl* parent) {
  TWinControl::SetParent(parent);
  if (parent) SetCaption(Name());
}

void TFlatButton::SetCaption(const std::string& text) {
  TWinControl::SetCaption(text);
  PaintRest();
}

void TFlatButton::SetColor(TColor color) {
  // Stored without the framework's invalidation: the rest state is painted now.
  color_ = color;
  ParentColor = false;
  PaintRest();
}

void TFlatButton::SetColorBorder(TColor color) {
  color_border_ = color;
  PaintRest();
}

void TFlatButton::SetShowCaption(bool show) {
  show_caption_ = show;
  PaintRest();
}

void TFlatButton::SetEnabled(bool enabled) {
  // Only the flag: disabling the window would cut the button off from the
  // mouse-leave painting and from the framework's click.
  enabled_ = enabled;
}

void TFlatButton::SetGlyph(TBitmap* glyph) {
  if (glyph != &glyph_) {
    if (!glyph || glyph->Empty()) {
      glyph_.SetSize(0, 0);
    } else {
      glyph_.SetSize(glyph->Width(), glyph->Height());
      BitBlt(glyph_.Canvas().Handle(), 0, 0, glyph->Width(), glyph->Height(),
             glyph->Canvas().Handle(), 0, 0, SRCCOPY);
    }
  }
  Invalidate();
}

void TFlatButton::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.Style &= ~static_cast<DWORD>(WS_DISABLED);
}

void TFlatButton::Repaint() { PaintRest(); }

void TFlatButton::Click() {
  PaintRest();
  if (enabled_) OnClick(this);
}

void TFlatButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button != mbLeft || !enabled_) return;
  OnMouseDown(this, button, shift, x, y);
  PaintPressed();
}

void TFlatButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button != mbLeft || !enabled_) return;
  OnMouseUp(this, button, shift, x, y);
  if (HandleAllocated() && IsUnderCursor()) PaintHover();
}

void TFlatButton::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_PAINT: {
      // The system's repaint shows the rest state, whatever the mouse does.
      PaintDc dc(Handle());
      canvas_.SetHandle(dc.get());
      PaintRest();
      canvas_.SetHandle(nullptr);
      m.Result = 0;
      return;
    }
    case CM_MOUSEENTER:
      // OnMouseEnter and OnMouseLeave are kept for the designs but not raised.
      if (enabled_) PaintHover();
      return;
    case CM_MOUSELEAVE:
      PaintLeave();
      return;
    default:
      break;
  }
  TWinControl::WndProc(m);
}

// Judged by where the cursor is now: a release over the button whose cursor has
// since moved on (or was never there) must not light the button up.
bool TFlatButton::IsUnderCursor() {
  HWND self = Handle();
  POINT screen{};
  if (!GetCursorPos(&screen)) return false;
  HWND top = WindowFromPoint(screen);
  if (!top) return false;
  // WindowFromPoint passes over disabled child windows; walk down by hand.
  HWND wnd = GetAncestor(top, GA_ROOT);
  while (wnd) {
    POINT client = screen;
    ScreenToClient(wnd, &client);
    HWND child = ChildWindowFromPointEx(wnd, client, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
    if (!child || child == wnd) break;
    wnd = child;
  }
  return wnd == self;
}

// ---- painting ----

void TFlatButton::PaintRest() {
  PaintScope scope(*this);
  if (!scope.ok()) return;
  canvas_.Font().Assign(font_);
  Face(color_);
  Content(0, font_.Color());
  Border();
}

void TFlatButton::PaintLeave() {
  PaintScope scope(*this);
  if (!scope.ok()) return;
  Face(color_);
  Content(0, font_.Color());
  Border();
}

void TFlatButton::PaintHover() {
  PaintScope scope(*this);
  if (!scope.ok()) return;
  Face(color_over_);
  Content(0, color_over_caption_);
  Border();
  RaisedBevel();
}

void TFlatButton::PaintPressed() {
  PaintScope scope(*this);
  if (!scope.ok()) return;
  Face(color_down_);
  // The text keeps the colour the last painting gave the canvas font.
  Content(1, canvas_.Font().Color());
  Border();
  SunkenBevel();
}

void TFlatButton::Face(TColor color) {
  canvas_.Brush().SetColor(color);
  canvas_.FillRect(RECT{1, 1, width_ - 1, height_ - 1});
}

void TFlatButton::Border() {
  canvas_.Brush().SetColor(color_border_);
  canvas_.FrameRect(RECT{0, 0, width_, height_});
}

void TFlatButton::Content(int d, TColor textColor) {
  const int w = width_, h = height_;
  canvas_.Font().SetColor(textColor);
  if (glyph_.Empty()) {
    if (!show_caption_) return;
    const SIZE t = canvas_.TextExtent(caption_);
    canvas_.TextOut(w / 2 - t.cx / 2 + d, h / 2 - t.cy / 2 + d, caption_);
    return;
  }
  const int gw = glyph_.Width(), gh = glyph_.Height();
  // The glyph stands on the face: its corner colour becomes the brush colour.
  const TColor face = canvas_.Brush().Color();
  if (show_caption_) {
    const SIZE t = canvas_.TextExtent(caption_);
    const int tw = t.cx, th = t.cy;
    // Glyph and caption are centred as one block, 4 pixels apart; the glyph's
    // rectangle is one pixel wider than the glyph.
    const RECT dest{w / 2 - (gw + tw) / 2 - 1 + d, h / 2 - gh / 2 + d,
                    w / 2 + gw - (gw + tw) / 2 + d, h / 2 + gh - gh / 2 + d};
    CopyWithTransparentCorner(canvas_.Handle(), dest, glyph_, face);
    canvas_.TextOut(w / 2 + (gw - tw) / 2 + 4 + d, h / 2 - th / 2 + d, caption_);
  } else {
    const RECT dest{w / 2 - gw / 2 + d, h / 2 - gh / 2 + d, w / 2 + gw - gw / 2 + d,
                    h / 2 + gh - gh / 2 + d};
    CopyWithTransparentCorner(canvas_.Handle(), dest, glyph_, face);
  }
}

void TFlatButton::RaisedBevel() { Bevel(kBevelLight, kBevelDark); }
void TFlatButton::SunkenBevel() { Bevel(kBevelDark, kBevelLight); }

// Four two-point lines (end points excluded): left and top in the first pen,
// then right and bottom in the second.
void TFlatButton::Bevel(TColor topLeft, TColor bottomRight) {
  const int w = width_, h = height_;
  const POINT left[2] = {{0, h - 2}, {0, 0}};
  const POINT top[2] = {{0, 0}, {w - 1, 0}};
  const POINT right[2] = {{w - 1, 0}, {w - 1, h}};
  const POINT bottom[2] = {{w, h - 1}, {-1, h - 1}};
  canvas_.Pen().SetColor(topLeft);
  canvas_.Polyline(left, 2);
  canvas_.Polyline(top, 2);
  canvas_.Pen().SetColor(bottomRight);
  canvas_.Polyline(right, 2);
  canvas_.Polyline(bottom, 2);
}

// ---- published properties ----

static const auto verivorButtonRegistrar =
    PropertyRegistrar<TFlatButton, TComponent>()
        .String("Caption", &TFlatButton::Caption, &TFlatButton::SetCaption, "TCaption")
        .Color("Color", &TFlatButton::Color, &TFlatButton::SetColor)
        .Color("ColorBorder", &TFlatButton::ColorBorder, &TFlatButton::SetColorBorder)
        .Boolean(
            "Enabled", [](TFlatButton& b) { return b.Enabled(); }, &TFlatButton::SetEnabled)
        .Event("OnMouseDown", "TMouseEvent")
        .Event("OnMouseUp", "TMouseEvent")
        .Event("OnMouseEnter")
        .Event("OnMouseLeave")
        .Event("OnClick")
        .Object(
            "Glyph", "TBitmap", [](TFlatButton& b) { return &b.Glyph(); },
            &TFlatButton::SetGlyph)
        .Color("ColorOverCaption", &TFlatButton::ColorOverCaption,
               &TFlatButton::SetColorOverCaption)
        .Color("ColorOver", &TFlatButton::ColorOver, &TFlatButton::SetColorOver)
        .Color("ColorDown", &TFlatButton::ColorDown, &TFlatButton::SetColorDown)
        .Boolean("ShowCaption", &TFlatButton::ShowCaption, &TFlatButton::SetShowCaption)
        // Inherited from the control classes, which have no registration of their
        // own yet; listed here so that a walk of the button sees them.
        .Boolean("ShowHint", &TFlatButton::ShowHint, &TFlatButton::SetShowHint)
        .Boolean("ParentShowHint", &TFlatButton::ParentShowHint,
                 [](TFlatButton& b, bool v) { b.ParentShowHint = v; })
        .Event("OnMouseMove", "TMouseMoveEvent")
        .Object(
            "Font", "TFont", [](TFlatButton& b) { return &b.Font(); },
            [](TFlatButton& b, TFont* font) {
              if (font) b.Font().Assign(*font);
            });

}  // namespace qv
