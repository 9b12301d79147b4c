#pragma once
// GDI wrappers: fonts, pens and brushes made on demand, a canvas over an HDC,
// bitmaps with their own memory DC, and icons. Every handle has one owner.

#include <windows.h>

#include <memory>
#include <string>

#include "framework/Colors.h"
#include "framework/Component.h"
#include "framework/Events.h"
#include "framework/Handles.h"

namespace qv {

// RGB value of a colour, resolving system colours.
COLORREF ColorToRGB(TColor color);
// Whether a high-contrast theme is on: what the program paints itself then takes the
// system's colours.
bool HighContrastOn();
// Draws in one colour into to the shape of part of a picture: every pixel not of the key colour
// (how a glyph follows a high-contrast theme), or with onKey every pixel of it (the inside of a
// drawn box).
void DrawShape(HDC dc, const RECT& to, HDC picture, const RECT& part, TColor key, TColor color,
               bool onKey = false);

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// Base of the drawing tools: tells its owner (a canvas or a control) when it changes.
class TGraphicsObject : public TObject {
  QV_CLASS(TGraphicsObject)
 public:
  TNotifyEvent OnChange;

 protected:
  void Changed();
};

class TFont : public TGraphicsObject {
  QV_CLASS(TFont)
 public:
  TFont();
  const std::string& Name() const { return name_; }
  void SetName(const std::string& name);
  // Height in pixels as GDI takes it (negative: character height).
  int Height() const { return height_; }
  void SetHeight(int height);
  // Size in points at 96 dots per inch.
  int Size() const;
  void SetSize(int points);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  unsigned Style() const { return style_; }
  void SetStyle(unsigned style);
  void Assign(const TFont& other);

  HFONT Handle();

 private:
  std::string name_ = "MS Sans Serif";
  int height_ = -11;
  TColor color_ = clWindowText;
  unsigned style_ = 0;
  UniqueFont handle_;
};

class TPen : public TGraphicsObject {
  QV_CLASS(TPen)
 public:
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  int Width() const { return width_; }
  void SetWidth(int width);
  HPEN Handle();

 private:
  TColor color_ = clBlack;
  int width_ = 1;
  UniquePen handle_;
};

enum class TBrushStyle { bsSolid, bsClear };

class TBrush : public TGraphicsObject {
  QV_CLASS(TBrush)
 public:
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle style);
  HBRUSH Handle();

 private:
  TColor color_ = clWhite;
  TBrushStyle style_ = TBrushStyle::bsSolid;
  UniqueBrush handle_;
};

class TBitmap;

// A canvas draws on an HDC it is given or that a subclass obtains on demand.
class TCanvas : public TObject {
  QV_CLASS(TCanvas)
 public:
  TCanvas();
  ~TCanvas() override;

  HDC Handle();
  void SetHandle(HDC dc);
  bool HandleAllocated() const { return dc_ != nullptr; }

  TFont& Font() { return font_; }
  TPen& Pen() { return pen_; }
  TBrush& Brush() { return brush_; }

  void FillRect(const RECT& rect);
  void FrameRect(const RECT& rect);
  void Rectangle(int left, int top, int right, int bottom);
  // Corners rounded along ellipses of the given width and height.
  void RoundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);
  void Ellipse(int left, int top, int right, int bottom);
  // A 3-D frame `width` pixels thick inside rect, lightColor along the top and
  // left, darkColor along the right and bottom; rect shrinks by the width.
  void Frame3D(RECT& rect, TColor lightColor, TColor darkColor, int width = 1);
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  void Polyline(const POINT* points, int count);
  void TextOut(int x, int y, const std::string& text);
  void TextRect(const RECT& rect, int x, int y, const std::string& text);
  // DrawText with the canvas's font and colours; `rect` may be updated (DT_CALCRECT).
  int DrawText(const std::string& text, RECT& rect, UINT format);
  SIZE TextExtent(const std::string& text);
  // The same for UTF-16 text.
  void TextOut(int x, int y, const std::wstring& text);
  int DrawText(const std::wstring& text, RECT& rect, UINT format);
  SIZE TextExtent(const std::wstring& text);
  int TextWidth(const std::string& text) { return TextExtent(text).cx; }
  int TextHeight(const std::string& text) { return TextExtent(text).cy; }
  // A bitmap marked Transparent leaves the pixels of its transparent colour out.
  void Draw(int x, int y, TBitmap& bitmap);
  // Draws the bitmap leaving out the pixels of one colour.
  void DrawTransparent(int x, int y, TBitmap& bitmap, COLORREF transparentColor);
  void StretchDraw(const RECT& rect, TBitmap& bitmap);
  // The same with every target pixel averaged from the source's (pictures drawn
  // for 96 DPI shown larger), no pixel left out.
  void SmoothStretchDraw(const RECT& rect, TBitmap& bitmap);
  void CopyRect(const RECT& dest, TCanvas& source, const RECT& src);
  COLORREF Pixel(int x, int y);
  void SetPixel(int x, int y, TColor color);

 protected:
  // Called when a drawing operation needs a DC and none is set.
  virtual void CreateHandle() {}
  // Selects the current font, pen and brush into the DC.
  void RequireState();
  void DeselectTools();

 private:
  void ToolChanged(TObject*);

  HDC dc_ = nullptr;
  HGDIOBJ old_font_ = nullptr, old_pen_ = nullptr, old_brush_ = nullptr;
  bool tools_selected_ = false;
  TFont font_;
  TPen pen_;
  TBrush brush_;
};

// A device-independent bitmap with its own memory DC.
class TBitmap : public TObject {
  QV_CLASS(TBitmap)
 public:
  TBitmap();
  ~TBitmap() override;
  TBitmap(int width, int height);

  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetSize(int width, int height);
  bool Empty() const { return !bitmap_; }
  HBITMAP Handle() const { return bitmap_.get(); }
  // Takes ownership of a loaded or created bitmap.
  void SetHandle(HBITMAP bitmap);
  void LoadFromResourceName(HINSTANCE instance, const char* name);
  TCanvas& Canvas();
  // Colour of the top-left pixel (the transparent colour of glyphs).
  COLORREF TransparentColor();
  // Colour of the bottom-left pixel (the transparent colour of menu pictures).
  COLORREF BottomLeftColor();
  // When set, a canvas draws the bitmap without its bottom-left pixel's colour.
  bool Transparent = false;

 private:
  void Attach();
  void Detach();

  int width_ = 0, height_ = 0;
  UniqueBitmap bitmap_;
  UniqueMemoryDc dc_;
  HGDIOBJ old_bitmap_ = nullptr;
  std::unique_ptr<TCanvas> canvas_;
};

class TIcon : public TObject {
  QV_CLASS(TIcon)
 public:
  HICON Handle() const { return icon_.get(); }
  void SetHandle(HICON icon);
  bool Empty() const { return !icon_; }
  // Loads a 16 x 16 icon resource.
  void LoadFromResourceName(HINSTANCE instance, const char* name, int size = 16);
  void Assign(const TIcon& other);
  // The image at another size (a small icon at a higher DPI), from the icon's
  // resource, which picks the nearest image it holds; an icon of no resource
  // stays as it is. The icon keeps it until its image changes.
  HICON HandleAtSize(int size) const;

  // Raised after every change of the image.
  TNotifyEvent OnChange;

 private:
  UniqueIcon icon_;
  HINSTANCE resource_instance_ = nullptr;
  std::string resource_name_;
  int resource_size_ = 0;
  mutable UniqueIcon sized_;
  mutable int sized_size_ = 0;
};

}  // namespace qv
