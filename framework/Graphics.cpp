#include "framework/Graphics.h"

#include <cstring>

#include "framework/SysUtils.h"

namespace qv {

bool HighContrastOn() {
  HIGHCONTRASTA contrast{};
  contrast.cbSize = sizeof contrast;
  return SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
         (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

void DrawShape(HDC dc, const RECT& to, HDC picture, const RECT& part, TColor key, TColor color,
               bool onKey) {
  // A one-bit mask: the key colour becomes 1, the rest of the picture 0.
  const int w = part.right - part.left, h = part.bottom - part.top;
  UniqueBitmap mask(CreateBitmap(w, h, 1, 1, nullptr));
  UniqueMemoryDc maskDc(CreateCompatibleDC(dc));
  SelectGuard keepMask(maskDc.get(), mask.get());
  const COLORREF oldBack = SetBkColor(picture, ColorToRGB(key));
  BitBlt(maskDc.get(), 0, 0, w, h, picture, part.left, part.top, SRCCOPY);
  SetBkColor(picture, oldBack);
  // Where the mask is 0 (onKey: 1) the brush goes, elsewhere the target stays:
  // D ^ ((D ^ P) & ~S), or D ^ (S & (P ^ D)).
  const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
  const COLORREF oldBk = SetBkColor(dc, RGB(255, 255, 255));
  UniqueBrush brush(CreateSolidBrush(ColorToRGB(color)));
  SelectGuard keepBrush(dc, brush.get());
  StretchBlt(dc, to.left, to.top, to.right - to.left, to.bottom - to.top, maskDc.get(), 0, 0, w, h,
             onKey ? 0x00E20746 : 0x00B8074A);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBk);
}

COLORREF ColorToRGB(TColor color) {
  if (color < 0) return GetSysColor(color & 0xFF);
  return static_cast<COLORREF>(color) & 0xFFFFFF;
}

// Tools tell their canvas before their handle goes, so it is never deleted while
// selected into a DC.
void TGraphicsObject::Changed() { OnChange(this); }

TFont::TFont() = default;

void TFont::SetName(const std::string& name) {
  if (name == name_) return;
  Changed();
  name_ = name;
  handle_.reset();
}

void TFont::SetHeight(int height) {
  if (height == height_) return;
  Changed();
  height_ = height;
  handle_.reset();
}

int TFont::Size() const { return -MulDiv(height_, 72, 96); }
void TFont::SetSize(int points) { SetHeight(-MulDiv(points, 96, 72)); }

void TFont::SetColor(TColor color) {
  if (color == color_) return;
  Changed();
  color_ = color;
}

void TFont::SetStyle(unsigned style) {
  if (style == style_) return;
  Changed();
  style_ = style;
  handle_.reset();
}

void TFont::Assign(const TFont& other) {
  SetName(other.name_);
  SetHeight(other.height_);
  SetColor(other.color_);
  SetStyle(other.style_);
}

HFONT TFont::Handle() {
  if (!handle_) {
    LOGFONTA lf{};
    lf.lfHeight = height_;
    lf.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (style_ & fsItalic) ? 1 : 0;
    lf.lfUnderline = (style_ & fsUnderline) ? 1 : 0;
    lf.lfStrikeOut = (style_ & fsStrikeOut) ? 1 : 0;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    lstrcpynA(lf.lfFaceName, name_.c_str(), LF_FACESIZE);
    handle_.reset(CreateFontIndirectA(&lf));
  }
  return handle_.get();
}

void TPen::SetColor(TColor color) {
  if (color == color_) return;
  Changed();
  color_ = color;
  handle_.reset();
}

void TPen::SetWidth(int width) {
  if (width == width_) return;
  Changed();
  width_ = width;
  handle_.reset();
}

HPEN TPen::Handle() {
  if (!handle_) handle_.reset(CreatePen(PS_SOLID, width_, ColorToRGB(color_)));
  return handle_.get();
}

void TBrush::SetColor(TColor color) {
  if (color == color_ && style_ == TBrushStyle::bsSolid) return;
  Changed();
  color_ = color;
  style_ = TBrushStyle::bsSolid;
  handle_.reset();
}

void TBrush::SetStyle(TBrushStyle style) {
  if (style == style_) return;
  Changed();
  style_ = style;
  handle_.reset();
}

HBRUSH TBrush::Handle() {
  if (!handle_) {
    if (style_ == TBrushStyle::bsClear)
      return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    handle_.reset(CreateSolidBrush(ColorToRGB(color_)));
  }
  return handle_.get();
}

TCanvas::TCanvas() {
  font_.OnChange = TNotifyEvent::Of<&TCanvas::ToolChanged>(this);
  pen_.OnChange = TNotifyEvent::Of<&TCanvas::ToolChanged>(this);
  brush_.OnChange = TNotifyEvent::Of<&TCanvas::ToolChanged>(this);
}

TCanvas::~TCanvas() { DeselectTools(); }

HDC TCanvas::Handle() {
  if (!dc_) CreateHandle();
  return dc_;
}

void TCanvas::SetHandle(HDC dc) {
  if (dc == dc_) return;
  DeselectTools();
  dc_ = dc;
}

void TCanvas::ToolChanged(TObject*) { DeselectTools(); }

void TCanvas::DeselectTools() {
  if (!tools_selected_ || !dc_) {
    tools_selected_ = false;
    return;
  }
  SelectObject(dc_, old_font_);
  SelectObject(dc_, old_pen_);
  SelectObject(dc_, old_brush_);
  tools_selected_ = false;
}

void TCanvas::RequireState() {
  HDC dc = Handle();
  if (!dc) return;
  if (!tools_selected_) {
    old_font_ = SelectObject(dc, font_.Handle());
    old_pen_ = SelectObject(dc, pen_.Handle());
    old_brush_ = SelectObject(dc, brush_.Handle());
    tools_selected_ = true;
  }
  SetTextColor(dc, ColorToRGB(font_.Color()));
  if (brush_.Style() == TBrushStyle::bsClear) {
    SetBkMode(dc, TRANSPARENT);
  } else {
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, ColorToRGB(brush_.Color()));
  }
}

void TCanvas::FillRect(const RECT& rect) {
  RequireState();
  ::FillRect(Handle(), &rect, brush_.Handle());
}

void TCanvas::FrameRect(const RECT& rect) {
  RequireState();
  ::FrameRect(Handle(), &rect, brush_.Handle());
}

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
  RequireState();
  ::Rectangle(Handle(), left, top, right, bottom);
}

void TCanvas::RoundRect(int left, int top, int right, int bottom, int ellipseWidth,
                        int ellipseHeight) {
  RequireState();
  ::RoundRect(Handle(), left, top, right, bottom, ellipseWidth, ellipseHeight);
}

void TCanvas::Ellipse(int left, int top, int right, int bottom) {
  RequireState();
  ::Ellipse(Handle(), left, top, right, bottom);
}

void TCanvas::Frame3D(RECT& rect, TColor lightColor, TColor darkColor, int width) {
  for (int i = 0; i < width; ++i) {
    pen_.SetColor(lightColor);
    MoveTo(rect.left, rect.bottom - 1);
    LineTo(rect.left, rect.top);
    LineTo(rect.right - 1, rect.top);
    pen_.SetColor(darkColor);
    LineTo(rect.right - 1, rect.bottom - 1);
    LineTo(rect.left - 1, rect.bottom - 1);
    InflateRect(&rect, -1, -1);
  }
}

void TCanvas::MoveTo(int x, int y) {
  RequireState();
  MoveToEx(Handle(), x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
  RequireState();
  ::LineTo(Handle(), x, y);
}

void TCanvas::Polyline(const POINT* points, int count) {
  RequireState();
  ::Polyline(Handle(), points, count);
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
  RequireState();
  ::TextOutA(Handle(), x, y, text.data(), static_cast<int>(text.size()));
}

void TCanvas::TextRect(const RECT& rect, int x, int y, const std::string& text) {
  RequireState();
  ExtTextOutA(Handle(), x, y, ETO_CLIPPED | (brush_.Style() == TBrushStyle::bsClear ? 0 : ETO_OPAQUE),
              &rect, text.data(), static_cast<UINT>(text.size()), nullptr);
}

int TCanvas::DrawText(const std::string& text, RECT& rect, UINT format) {
  RequireState();
  return ::DrawTextA(Handle(), text.data(), static_cast<int>(text.size()), &rect, format);
}

void TCanvas::TextOut(int x, int y, const std::wstring& text) {
  RequireState();
  ::TextOutW(Handle(), x, y, text.data(), static_cast<int>(text.size()));
}

int TCanvas::DrawText(const std::wstring& text, RECT& rect, UINT format) {
  RequireState();
  return ::DrawTextW(Handle(), text.data(), static_cast<int>(text.size()), &rect, format);
}

SIZE TCanvas::TextExtent(const std::wstring& text) {
  RequireState();
  SIZE size{0, 0};
  GetTextExtentPoint32W(Handle(), text.data(), static_cast<int>(text.size()), &size);
  return size;
}

SIZE TCanvas::TextExtent(const std::string& text) {
  RequireState();
  SIZE size{0, 0};
  GetTextExtentPoint32A(Handle(), text.data(), static_cast<int>(text.size()), &size);
  return size;
}

void TCanvas::Draw(int x, int y, TBitmap& bitmap) {
  if (bitmap.Empty()) return;
  if (bitmap.Transparent) {
    DrawTransparent(x, y, bitmap, bitmap.BottomLeftColor());
    return;
  }
  RequireState();
  BitBlt(Handle(), x, y, bitmap.Width(), bitmap.Height(), bitmap.Canvas().Handle(), 0, 0,
         SRCCOPY);
}

void TCanvas::DrawTransparent(int x, int y, TBitmap& bitmap, COLORREF transparentColor) {
  if (bitmap.Empty()) return;
  RequireState();
  TransparentBlt(Handle(), x, y, bitmap.Width(), bitmap.Height(), bitmap.Canvas().Handle(), 0, 0,
                 bitmap.Width(), bitmap.Height(), transparentColor);
}

void TCanvas::StretchDraw(const RECT& rect, TBitmap& bitmap) {
  if (bitmap.Empty()) return;
  RequireState();
  StretchBlt(Handle(), rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
             bitmap.Canvas().Handle(), 0, 0, bitmap.Width(), bitmap.Height(), SRCCOPY);
}

void TCanvas::SmoothStretchDraw(const RECT& rect, TBitmap& bitmap) {
  if (bitmap.Empty()) return;
  RequireState();
  HDC dc = Handle();
  const int oldMode = SetStretchBltMode(dc, HALFTONE);
  POINT oldOrigin;
  SetBrushOrgEx(dc, 0, 0, &oldOrigin);
  StretchBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
             bitmap.Canvas().Handle(), 0, 0, bitmap.Width(), bitmap.Height(), SRCCOPY);
  SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
  SetStretchBltMode(dc, oldMode);
}

void TCanvas::CopyRect(const RECT& dest, TCanvas& source, const RECT& src) {
  RequireState();
  StretchBlt(Handle(), dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top,
             source.Handle(), src.left, src.top, src.right - src.left, src.bottom - src.top,
             SRCCOPY);
}

COLORREF TCanvas::Pixel(int x, int y) { return GetPixel(Handle(), x, y); }

void TCanvas::SetPixel(int x, int y, TColor color) {
  ::SetPixel(Handle(), x, y, ColorToRGB(color));
}

TBitmap::TBitmap() = default;
TBitmap::TBitmap(int width, int height) { SetSize(width, height); }
TBitmap::~TBitmap() { Detach(); }

void TBitmap::Detach() {
  if (canvas_) canvas_->SetHandle(nullptr);
  if (dc_ && old_bitmap_) SelectObject(dc_.get(), old_bitmap_);
  old_bitmap_ = nullptr;
}

void TBitmap::Attach() {
  if (!bitmap_) return;
  if (!dc_) dc_.reset(CreateCompatibleDC(nullptr));
  old_bitmap_ = SelectObject(dc_.get(), bitmap_.get());
  if (canvas_) canvas_->SetHandle(dc_.get());
}

void TBitmap::SetSize(int width, int height) {
  Detach();
  width_ = width;
  height_ = height;
  if (width <= 0 || height <= 0) {
    bitmap_.reset();
    return;
  }
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_.reset(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (bits) std::memset(bits, 0xFF, static_cast<size_t>(width) * height * 4);  // white
  Attach();
}

void TBitmap::SetHandle(HBITMAP bitmap) {
  Detach();
  bitmap_.reset(bitmap);
  BITMAP info{};
  if (bitmap && GetObjectA(bitmap, sizeof(info), &info)) {
    width_ = info.bmWidth;
    height_ = info.bmHeight;
  } else {
    width_ = height_ = 0;
  }
  Attach();
}

void TBitmap::LoadFromResourceName(HINSTANCE instance, const char* name) {
  HBITMAP loaded = static_cast<HBITMAP>(
      LoadImageA(instance, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!loaded) throw EInvalidOperation(std::string("Resource ") + name + " not found");
  SetHandle(loaded);
}

TCanvas& TBitmap::Canvas() {
  if (!canvas_) {
    canvas_ = std::make_unique<TCanvas>();
    if (!dc_) {
      dc_.reset(CreateCompatibleDC(nullptr));
      if (bitmap_) old_bitmap_ = SelectObject(dc_.get(), bitmap_.get());
    }
    canvas_->SetHandle(dc_.get());
  }
  return *canvas_;
}

COLORREF TBitmap::TransparentColor() {
  return Empty() ? CLR_INVALID : GetPixel(Canvas().Handle(), 0, 0);
}

COLORREF TBitmap::BottomLeftColor() {
  return Empty() ? CLR_INVALID : GetPixel(Canvas().Handle(), 0, height_ - 1);
}

void TIcon::SetHandle(HICON icon) {
  icon_.reset(icon);
  resource_instance_ = nullptr;
  resource_name_.clear();
  resource_size_ = 0;
  sized_.reset();
  OnChange(this);
}

void TIcon::LoadFromResourceName(HINSTANCE instance, const char* name, int size) {
  HICON icon = static_cast<HICON>(LoadImageA(instance, name, IMAGE_ICON, size, size, 0));
  if (!icon) throw EInvalidOperation(std::string("Resource ") + name + " not found");
  icon_.reset(icon);
  resource_instance_ = instance;
  resource_name_ = name;
  resource_size_ = size;
  sized_.reset();
  OnChange(this);
}

void TIcon::Assign(const TIcon& other) {
  icon_.reset(other.icon_ ? CopyIcon(other.icon_.get()) : nullptr);
  resource_instance_ = other.resource_instance_;
  resource_name_ = other.resource_name_;
  resource_size_ = other.resource_size_;
  sized_.reset();
  OnChange(this);
}

HICON TIcon::HandleAtSize(int size) const {
  if (!icon_) return nullptr;
  const int natural = resource_size_;
  // An icon of no resource of ours is left to the shell, which scales it as it likes.
  if (size <= 0 || size == natural || resource_name_.empty()) return icon_.get();
  if (!sized_ || sized_size_ != size) {
    sized_.reset(static_cast<HICON>(
        LoadImageA(resource_instance_, resource_name_.c_str(), IMAGE_ICON, size, size, 0)));
    sized_size_ = size;
  }
  return sized_ ? sized_.get() : icon_.get();
}

}  // namespace qv
