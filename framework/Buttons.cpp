#include "framework/Buttons.h"

#include <algorithm>

namespace qv {

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner) {}

void TBitBtn::CreateParams(TCreateParams& params) {
  TButton::CreateParams(params);
  // The system button cannot show glyph and caption together: it is drawn here.
  params.Style = (params.Style & ~static_cast<DWORD>(BS_TYPEMASK)) | BS_OWNERDRAW;
}

void TBitBtn::WndProc(TMessage& m) {
  if (m.Msg != CN_DRAWITEM) {
    TButton::WndProc(m);
    return;
  }
  auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
  TCanvas canvas;
  canvas.SetHandle(dis->hDC);
  RECT r = dis->rcItem;
  const bool down = dis->itemState & ODS_SELECTED;
  DrawFrameControl(dis->hDC, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (down ? DFCS_PUSHED : 0));
  canvas.Font().Assign(font_);
  const SIZE text = canvas.TextExtent(caption_);
  const int gw = glyph_.Empty() ? 0 : glyph_.Width();
  const int gap = gw && !caption_.empty() ? Spacing : 0;
  const int d = down ? 1 : 0;
  int x = Margin >= 0 ? Margin : (width_ - gw - gap - text.cx) / 2;
  if (!glyph_.Empty()) {
    TransparentBlt(dis->hDC, x + d, (height_ - glyph_.Height()) / 2 + d, gw, glyph_.Height(),
                   glyph_.Canvas().Handle(), 0, 0, gw, glyph_.Height(), glyph_.TransparentColor());
    x += gw + gap;
  }
  canvas.Brush().SetStyle(TBrushStyle::bsClear);
  if (!enabled_) canvas.Font().SetColor(clGrayText);
  canvas.TextOut(x + d, (height_ - text.cy) / 2 + d, caption_);
  canvas.SetHandle(nullptr);
  m.Result = 1;
}

}  // namespace qv
