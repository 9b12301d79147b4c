#include "look/MenuColors.h"

#include <algorithm>

namespace qv {

namespace {

int Clamp(int v) { return std::clamp(v, 0, 255); }

// Round(num / 100) with halves going to the even neighbour, in exact arithmetic
// (num may be negative).
int RoundPercent(int num) {
  const bool negative = num < 0;
  const int a = negative ? -num : num;
  int q = a / 100;
  const int r = a % 100;
  if (r > 50 || (r == 50 && (q & 1))) ++q;
  return negative ? -q : q;
}

}  // namespace

TColor DarkenRGB(TColor rgb, int n) {
  return RGBColor(static_cast<std::uint8_t>(Clamp(GetRValue(rgb) - n)),
                  static_cast<std::uint8_t>(Clamp(GetGValue(rgb) - n + 2)),
                  static_cast<std::uint8_t>(Clamp(GetBValue(rgb) - n)));
}

TColor LightenRGB(TColor rgb, int percent) {
  const int p = std::min(percent, 100);
  auto lighten = [p](int x) {
    return static_cast<std::uint8_t>(Clamp(x + RoundPercent((255 - x) * p)));
  };
  return RGBColor(lighten(GetRValue(rgb)), lighten(GetGValue(rgb)), lighten(GetBValue(rgb)));
}

TColor GrayOfRGB(TColor rgb, int lift) {
  const int v = Clamp(std::min((GetRValue(rgb) + GetGValue(rgb) + GetBValue(rgb)) / 3 + lift, 240));
  const auto g = static_cast<std::uint8_t>(v);
  return RGBColor(g, g, g);
}

TColor AverageRGB(const std::vector<TColor>& colors) {
  if (colors.empty()) return clBlack;
  const int n = static_cast<int>(colors.size());
  int r = 0, g = 0, b = 0;
  for (TColor c : colors) {
    r += GetRValue(c) / n;
    g += GetGValue(c) / n;
    b += GetBValue(c) / n;
  }
  return RGBColor(static_cast<std::uint8_t>(Clamp(r)), static_cast<std::uint8_t>(Clamp(g)),
                  static_cast<std::uint8_t>(Clamp(b)));
}

TColor TopItemTextRGB(TColor backgroundRgb, TColor fontColor) {
  const int r = GetRValue(backgroundRgb), g = GetGValue(backgroundRgb),
            b = GetBValue(backgroundRgb);
  if ((r + b) / 2 > 150 || g > 200) return fontColor;
  return LightenRGB(backgroundRgb, 90);
}

}  // namespace qv
