#pragma once
// Panels, images and timers.

#include <memory>
#include <string>
#include <vector>

#include "framework/Controls.h"
#include "framework/StdCtrls.h"
#include "framework/Strings.h"

namespace qv {

enum class TBevelCut { bvNone, bvLowered, bvRaised };

class TPanel : public TWinControl {
  QV_CLASS(TPanel)
 public:
  explicit TPanel(TComponent* owner);
  TBevelCut BevelOuter = TBevelCut::bvRaised;
  TBevelCut BevelInner = TBevelCut::bvNone;
  // Lines per bevel.
  int BevelWidth = 1;

 protected:
  void Paint(TCanvas& canvas) override;
};

// A line of text on its parent's colour.
class TLabel : public TWinControl {
  QV_CLASS(TLabel)
 public:
  explicit TLabel(TComponent* owner);
  // Sizes the label to its caption.
  void SetCaption(const std::string& text) override;
  void ChangeScale(int newDpi) override;

 protected:
  void Paint(TCanvas& canvas) override;
};

class TImage : public TWinControl {
  QV_CLASS(TImage)
 public:
  explicit TImage(TComponent* owner);
  // The picture: a bitmap, or an icon when the bitmap is empty.
  TBitmap& Picture() { return picture_; }
  TIcon& Icon() { return icon_; }
  bool Transparent = false;
  // Not clNone: the picture is drawn as its shape (all but its transparent colour) in this
  // colour, as a high-contrast theme wants it.
  TColor ShapeColor = clNone;

 protected:
  void Paint(TCanvas& canvas) override;

 private:
  TBitmap picture_;
  TIcon icon_;
};

// A bordered area for controls. Its contents are placed, not scrolled: no
// form here is larger than its window.
class TScrollBox : public TWinControl {
  QV_CLASS(TScrollBox)
 public:
  explicit TScrollBox(TComponent* owner);

 protected:
  void CreateParams(TCreateParams& params) override;
};

// What a control bar paints around a band unless its OnBandPaint clears it.
enum TBandPaintOption : unsigned {
  bpoGrabber = 1,
  bpoFrame = 2,
  bpoGradient = 4,
  bpoRoundRect = 8
};
using TBandPaintOptions = unsigned;
using TBandPaintEvent = TMethod<TObject*, TControl*, TCanvas&, RECT&, TBandPaintOptions&>;

// A bar whose child controls sit on bands, each with a grip at its left that
// the bar paints (or OnBandPaint instead).
class TControlBar : public TWinControl {
  QV_CLASS(TControlBar)
 public:
  explicit TControlBar(TComponent* owner);
  // The band around a child: the grip's room at the left and 2 pixels around.
  static RECT BandRect(const TControl& child);
  TBandPaintEvent OnBandPaint;

 protected:
  void Paint(TCanvas& canvas) override;
};

// A group box of radio buttons, one per line of Items; the buttons belong to
// the group.
class TRadioGroup : public TGroupBox {
  QV_CLASS(TRadioGroup)
 public:
  explicit TRadioGroup(TComponent* owner);
  ~TRadioGroup() override;
  // Makes the buttons again from these lines.
  void SetItems(const std::vector<std::string>& items);
  int ButtonCount() const { return static_cast<int>(buttons_.size()); }
  TRadioButton* Buttons(int i) const { return buttons_.at(i); }
  int ItemIndex() const;
  void SetItemIndex(int index);

 private:
  void ArrangeButtons();
  std::vector<TRadioButton*> buttons_;
};

// A message-based timer: ticks arrive through the message loop.
class TTimer : public TComponent {
  QV_CLASS(TTimer)
 public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  // Milliseconds; 0 stops the timer.
  unsigned Interval() const { return interval_; }
  void SetInterval(unsigned interval);
  TNotifyEvent OnTimer;
  // Whether the system timer is running (enabled and an interval above 0).
  bool Running() const { return running_; }

 private:
  void Update();
  void TimerWndProc(TMessage& m);

  bool enabled_ = true;
  unsigned interval_ = 1000;
  bool running_ = false;
  TUtilityWindow window_;
};

}  // namespace qv
