#pragma once
// The colour arithmetic of the flat menu look: lighter, darker and grey shades and
// averages of explicit RGB colours. Pure functions, so they live in the portable
// core; the menu painter resolves system colours before it calls them.

#include <vector>

#include "framework/Colors.h"

namespace qv {

// Each channel lowered by n, green by 2 less (menus look a shade warmer that
// way), clamped to 0..255.
TColor DarkenRGB(TColor rgb, int n);
// Each channel moved p percent of its way to 255, rounded half to even. p is capped
// at 100; a negative p darkens (clamped at 0).
TColor LightenRGB(TColor rgb, int percent);
// The grey of the channel average plus lift, capped at 240 so that even white
// stays distinguishable from a white background.
TColor GrayOfRGB(TColor rgb, int lift);
// Channel-wise sum of (channel div count); black for an empty list.
TColor AverageRGB(const std::vector<TColor>& colors);
// Caption colour of a selected menu-bar item over a background: the font's own
// colour on a light background, a very light tint of the background otherwise.
TColor TopItemTextRGB(TColor backgroundRgb, TColor fontColor);

}  // namespace qv
