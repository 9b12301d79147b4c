#pragma once
// A push button with a picture beside its caption.

#include "framework/Graphics.h"
#include "framework/StdCtrls.h"

namespace qv {

enum class TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

class TBitBtn : public TButton {
  QV_CLASS(TBitBtn)
 public:
  explicit TBitBtn(TComponent* owner);
  // Its top-left pixel's colour is transparent.
  TBitmap& Glyph() { return glyph_; }
  TButtonLayout Layout = TButtonLayout::blGlyphLeft;
  // Pixels from the edge to the glyph; -1 centres glyph and caption together.
  int Margin = -1;
  // Pixels between glyph and caption.
  int Spacing = 4;

 protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& m) override;

 private:
  TBitmap glyph_;
};

}  // namespace qv
