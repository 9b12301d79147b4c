#include "settings/SettingsLayout.h"

#include <algorithm>

namespace qv {

TSettingsLayout SettingsDesign() {
  TSettingsLayout d;
  d.ClientWidth = 228;
  d.TitlePanel = {6, 2, 217, 42};
  d.TitleLabel = {81, 5, 0, 0};
  d.MakerLabel = {56, 21, 0, 0};
  d.AutoSave = {6, 49, 225, 17};
  d.Suppress = {6, 67, 159, 17};
  d.Sort = {171, 69, 36, 13};
  d.HotKeyLabel = {6, 90, 0, 0};
  d.DelayLabel = {119, 90, 0, 0};
  d.HotKey = {6, 105, 105, 21};
  d.Delay = {119, 105, 105, 21};
  d.Ok = {71, 136, 86, 22};
  // Below everything else, so that nothing of the older design moves for it.
  d.Startup = {6, 162, 159, 17};
  d.ClientHeight = d.Startup.Top + d.Startup.Height + 4;
  return d;
}

namespace {

// A caption ends a few pixels before its control does, as the system draws it.
constexpr int kCaptionSlack = 3;
// Between a widened control and the dialog's edge.
constexpr int kMinMargin = 5;

void WidenTo(TBox& box, int width) { box.Width = std::max(box.Width, width); }

// Keeps `box` at least `gap` pixels right of `left` (the right edge of what is before it).
void KeepRightOf(TBox& box, int left, int gap) { box.Left = std::max(box.Left, left + gap); }

}  // namespace

TSettingsLayout FitSettingsTexts(const TSettingsLayout& design, const TSettingsTextWidths& w) {
  TSettingsLayout l = design;
  l.TitleLabel.Width = w.TitleLabel;
  l.MakerLabel.Width = w.MakerLabel;
  l.HotKeyLabel.Width = w.HotKeyLabel;
  l.DelayLabel.Width = w.DelayLabel;
  for (auto [box, text] : {std::pair{&l.AutoSave, w.AutoSave}, std::pair{&l.Suppress, w.Suppress},
                           std::pair{&l.Startup, w.Startup}})
    WidenTo(*box, w.CheckBoxGlyph + text + kCaptionSlack);
  WidenTo(l.HotKey, w.ComboChrome + w.HotKeyChoice);
  WidenTo(l.Delay, w.ComboChrome + w.DelayChoice);

  // The gaps of the design between neighbours on one line.
  KeepRightOf(l.Sort, l.Suppress.Right(), design.Sort.Left - design.Suppress.Right());
  const int columnGap = design.Delay.Left - design.HotKey.Right();
  const int delayColumn = std::max(
      {design.Delay.Left, l.HotKey.Right() + columnGap, l.HotKeyLabel.Right() + columnGap});
  l.Delay.Left = l.DelayLabel.Left = delayColumn;

  // A control keeps its distance from the right edge of the design; one that grew keeps
  // a margin too (the auto-save box of the design reaches past the edge by a few pixels).
  int width = design.ClientWidth;
  auto reach = [&](const TBox& now, const TBox& was) {
    const int margin = design.ClientWidth - was.Right();
    width = std::max(width, now.Right() + (now == was ? margin : std::max(margin, kMinMargin)));
  };
  reach(l.AutoSave, design.AutoSave);
  reach(l.Suppress, design.Suppress);
  reach(l.Sort, design.Sort);
  reach(l.Startup, design.Startup);
  reach(l.HotKey, design.HotKey);
  reach(l.Delay, design.Delay);
  l.ClientWidth = width;

  // The banner spans the dialog as in the design, its texts stay centred, and so
  // does the OK button.
  const int grown = width - design.ClientWidth;
  l.TitlePanel.Width += grown;
  l.TitleLabel.Left += grown / 2;
  l.MakerLabel.Left += grown / 2;
  l.Ok.Left += grown / 2;
  return l;
}

}  // namespace qv
