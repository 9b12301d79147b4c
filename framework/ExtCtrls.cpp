#include "framework/ExtCtrls.h"

#include <algorithm>

#include <vector>

namespace qv {

TPanel::TPanel(TComponent* owner) : TWinControl(owner) {
  width_ = 185;
  height_ = 41;
}

void TPanel::Paint(TCanvas& canvas) {
  RECT r = ClientRect();
  canvas.Brush().SetColor(color_);
  canvas.FillRect(r);
  for (TBevelCut cut : {BevelOuter, BevelInner}) {
    if (cut == TBevelCut::bvNone) continue;
    const bool raised = cut == TBevelCut::bvRaised;
    canvas.Frame3D(r, raised ? clBtnHighlight : clBtnShadow, raised ? clBtnShadow : clBtnHighlight,
                   BevelWidth);
  }
  if (!caption_.empty()) {
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
    const SIZE s = canvas.TextExtent(caption_);
    canvas.TextOut((r.left + r.right - s.cx) / 2, (r.top + r.bottom - s.cy) / 2, caption_);
  }
}

TLabel::TLabel(TComponent* owner) : TWinControl(owner) {
  width_ = 65;
  height_ = 13;
  ParentColor = true;
}

void TLabel::SetCaption(const std::string& text) {
  TWinControl::SetCaption(text);
  TBitmap scratch(1, 1);
  scratch.Canvas().Font().Assign(font_);
  const SIZE size = scratch.Canvas().TextExtent(text.empty() ? std::string(" ") : text);
  SetBounds(left_, top_, size.cx, size.cy);
}

void TLabel::ChangeScale(int newDpi) {
  TWinControl::ChangeScale(newDpi);
  // Text does not grow in step with the DPI: the label is measured again.
  SetCaption(caption_);
}

void TLabel::Paint(TCanvas& canvas) {
  TColor back = color_;
  if (ParentColor && parent_) back = parent_->Color();
  canvas.Brush().SetColor(back);
  canvas.FillRect(ClientRect());
  canvas.Brush().SetStyle(TBrushStyle::bsClear);
  canvas.TextOut(0, 0, caption_);
}

TScrollBox::TScrollBox(TComponent* owner) : TWinControl(owner) {
  width_ = 185;
  height_ = 41;
}

void TScrollBox::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.Style |= WS_CLIPCHILDREN;
  ApplyBorder(params);
}

TControlBar::TControlBar(TComponent* owner) : TWinControl(owner) {
  width_ = 100;
  height_ = 50;
}

RECT TControlBar::BandRect(const TControl& child) {
  const RECT b = child.BoundsRect();
  return RECT{b.left - 11, b.top - 2, b.right + 2, b.bottom + 2};
}

void TControlBar::Paint(TCanvas& canvas) {
  canvas.Brush().SetColor(color_);
  canvas.FillRect(ClientRect());
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* child = Controls(i);
    if (!child->Visible()) continue;
    RECT band = BandRect(*child);
    TBandPaintOptions options = bpoGrabber | bpoFrame;
    OnBandPaint(this, child, canvas, band, options);
    if (options & bpoFrame) {
      RECT frame = band;
      canvas.Frame3D(frame, clBtnHighlight, clBtnShadow);
    }
    if (options & bpoGrabber) {
      RECT grip{band.left + 3, band.top + 3, band.left + 6, band.bottom - 3};
      canvas.Frame3D(grip, clBtnHighlight, clBtnShadow);
    }
  }
}

TRadioGroup::TRadioGroup(TComponent* owner) : TGroupBox(owner) {}

// The buttons are owned components: they go with the group.
TRadioGroup::~TRadioGroup() = default;

void TRadioGroup::SetItems(const std::vector<std::string>& items) {
  for (TRadioButton* b : buttons_) b->Free();
  buttons_.clear();
  for (const std::string& text : items) {
    auto* b = new TRadioButton(this);
    b->SetCaption(text);
    b->SetParent(this);
    buttons_.push_back(b);
  }
  ArrangeButtons();
}

void TRadioGroup::ArrangeButtons() {
  if (buttons_.empty()) return;
  // Below the caption, one line each, spread over the height.
  const int top = 16, line = std::max(17, (height_ - top - 4) / static_cast<int>(buttons_.size()));
  for (size_t i = 0; i < buttons_.size(); ++i)
    buttons_[i]->SetBounds(8, top + static_cast<int>(i) * line, width_ - 16, 17);
}

int TRadioGroup::ItemIndex() const {
  for (size_t i = 0; i < buttons_.size(); ++i)
    if (buttons_[i]->Checked()) return static_cast<int>(i);
  return -1;
}

void TRadioGroup::SetItemIndex(int index) {
  if (index >= 0 && index < ButtonCount()) buttons_[index]->SetChecked(true);
}

TImage::TImage(TComponent* owner) : TWinControl(owner) {
  width_ = 105;
  height_ = 105;
  ParentColor = true;
}

void TImage::Paint(TCanvas& canvas) {
  TColor back = color_;
  if (ParentColor && parent_) back = parent_->Color();
  canvas.Brush().SetColor(back);
  canvas.FillRect(ClientRect());
  if (!picture_.Empty()) {
    const RECT whole{0, 0, picture_.Width(), picture_.Height()};
    if (ShapeColor != clNone) {
      DrawShape(canvas.Handle(), RECT{0, 0, ScaleValue(whole.right), ScaleValue(whole.bottom)},
                picture_.Canvas().Handle(), whole, picture_.TransparentColor(), ShapeColor);
    } else if (dpi_ != kDesignDpi && !Transparent) {
      // Pictures are drawn for 96 DPI.
      canvas.SmoothStretchDraw(
          RECT{0, 0, ScaleValue(picture_.Width()), ScaleValue(picture_.Height())}, picture_);
    } else if (Transparent) {
      TransparentBlt(canvas.Handle(), 0, 0, picture_.Width(), picture_.Height(),
                     picture_.Canvas().Handle(), 0, 0, picture_.Width(), picture_.Height(),
                     picture_.TransparentColor());
    } else {
      canvas.Draw(0, 0, picture_);
    }
  } else if (!icon_.Empty()) {
    DrawIconEx(canvas.Handle(), 0, 0, icon_.Handle(), 0, 0, 0, nullptr, DI_NORMAL);
  }
}

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
  window_ = TUtilityWindow(TWndMethod::Of<&TTimer::TimerWndProc>(this));
}

TTimer::~TTimer() {
  enabled_ = false;
  Update();
}

void TTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Update();
}

void TTimer::SetInterval(unsigned interval) {
  if (interval == interval_) return;
  interval_ = interval;
  Update();
}

void TTimer::Update() {
  KillTimer(window_.Handle(), 1);
  running_ = false;
  if (enabled_ && interval_ > 0) {
    running_ = SetTimer(window_.Handle(), 1, interval_, nullptr) != 0;
  }
}

void TTimer::TimerWndProc(TMessage& m) {
  if (m.Msg == WM_TIMER) {
    OnTimer(this);
    m.Result = 0;
    return;
  }
  m.Result = DefWindowProcA(window_.Handle(), m.Msg, m.WParam, m.LParam);
}

}  // namespace qv
