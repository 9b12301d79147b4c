#pragma once
// TFlatButton: a flat push button that paints itself. A face in one colour,
// a one-pixel border, a centred caption and an optional glyph; hovering raises
// it in the hover colour, pressing sinks it in the pressed colour with the
// content moved one pixel right and down.
//
// Every event paints the whole button for the state it stands for, straight
// away, on the button's own canvas; nothing but the colours is kept. A repaint
// from the system always shows the rest state.
//
// Its Enabled is its own flag: it only decides whether the button reacts to the
// mouse. The window itself always stays enabled, so a "disabled" button still
// gets the mouse (and looks exactly like an enabled one) but ignores it.

#include <windows.h>

#include <string>

#include "framework/Controls.h"
#include "framework/Graphics.h"

namespace qv {

class TFlatButton : public TWinControl {
  QV_CLASS(TFlatButton)
 public:
  explicit TFlatButton(TComponent* owner);
  ~TFlatButton() override;

  // A non-empty parent makes the caption the component's name.
  void SetParent(TWinControl* parent) override;

  // These store and paint the rest state at once.
  void SetCaption(const std::string& text) override;
  void SetColor(TColor color) override;
  TColor ColorBorder() const { return color_border_; }
  void SetColorBorder(TColor color);
  bool ShowCaption() const { return show_caption_; }
  void SetShowCaption(bool show);

  // These only store; the next painting of their state uses them.
  TColor ColorOver() const { return color_over_; }
  void SetColorOver(TColor color) { color_over_ = color; }
  TColor ColorDown() const { return color_down_; }
  void SetColorDown(TColor color) { color_down_ = color; }
  TColor ColorOverCaption() const { return color_over_caption_; }
  void SetColorOverCaption(TColor color) { color_over_caption_ = color; }
  // Whether the button reacts to hover, press and click; never changes its look.
  void SetEnabled(bool enabled) override;

  // The button's own picture. SetGlyph copies the given one (null empties it).
  TBitmap& Glyph() { return glyph_; }
  void SetGlyph(TBitmap* glyph);

  // Published for the designs; the framework's hints do not consult it.
  bool ParentShowHint = false;

  // What the button draws on; its font and colours stay as the last painting
  // left them.
  TCanvas& Canvas() { return canvas_; }

  // Paints the rest state at once.
  void Repaint() override;
  // Paints the rest state, then raises OnClick when enabled.
  void Click() override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& m) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

 private:
  class PaintScope;

  void PaintRest();
  void PaintLeave();
  void PaintHover();
  void PaintPressed();

  void Face(TColor color);
  void Border();
  void Content(int offset, TColor textColor);
  void RaisedBevel();
  void SunkenBevel();
  void Bevel(TColor topLeft, TColor bottomRight);
  // The control under the cursor, disabled ones included, is this button.
  bool IsUnderCursor();

  TColor color_border_;
  TColor color_over_;
  TColor color_down_;
  TColor color_over_caption_;
  bool show_caption_ = true;
  TBitmap glyph_;
  TCanvas canvas_;
};

}  // namespace qv
