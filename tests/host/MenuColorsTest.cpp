// The flat menu look's colour arithmetic against values worked out by hand.

#include <gtest/gtest.h>

#include "look/MenuColors.h"

namespace qv {
namespace {

TEST(MenuColors, DarkenKeepsGreenTwoHigherAndClamps) {
  EXPECT_EQ(DarkenRGB(RGBColor(100, 150, 200), 30), RGBColor(70, 122, 170));
  // Green gains its 2 even when nothing is taken away.
  EXPECT_EQ(DarkenRGB(RGBColor(0, 1, 0), 0), RGBColor(0, 3, 0));
  EXPECT_EQ(DarkenRGB(RGBColor(10, 0, 255), 20), RGBColor(0, 0, 235));
  EXPECT_EQ(DarkenRGB(RGBColor(0, 254, 0), 0), RGBColor(0, 255, 0));
  // A negative amount lightens, up to white.
  EXPECT_EQ(DarkenRGB(RGBColor(250, 250, 250), -10), clWhite);
  EXPECT_EQ(DarkenRGB(clWhite, 300), clBlack);
}

TEST(MenuColors, LightenMovesTowardsWhiteRoundingHalvesToEven) {
  // The classic button face and highlight, as the palette lightens them.
  EXPECT_EQ(LightenRGB(RGBColor(212, 208, 200), 86), RGBColor(249, 248, 247));
  EXPECT_EQ(LightenRGB(RGBColor(10, 36, 106), 68), RGBColor(177, 185, 207));
  // 127.5 -> 128, 126.5 -> 126, 125.5 -> 126.
  EXPECT_EQ(LightenRGB(RGBColor(0, 2, 4), 50), RGBColor(128, 128, 130));
  // 0.5 -> 0, 1.5 -> 2, 2.5 -> 2.
  EXPECT_EQ(LightenRGB(RGBColor(250, 240, 230), 10), RGBColor(250, 242, 232));
  EXPECT_EQ(LightenRGB(RGBColor(17, 99, 200), 0), RGBColor(17, 99, 200));
}

TEST(MenuColors, LightenCapsAtHundredButNotBelowZero) {
  EXPECT_EQ(LightenRGB(RGBColor(1, 2, 3), 100), clWhite);
  EXPECT_EQ(LightenRGB(RGBColor(1, 2, 3), 250), clWhite);
  // A negative percentage darkens: 100 + Round(155 * -0.2) = 69.
  EXPECT_EQ(LightenRGB(RGBColor(100, 100, 100), -20), RGBColor(69, 69, 69));
  // -127.5 goes to the even -128 and the channel stops at 0; -27.5 goes to -28.
  EXPECT_EQ(LightenRGB(RGBColor(0, 200, 0), -50), RGBColor(0, 172, 0));
}

TEST(MenuColors, GrayIsTheTruncatedMeanPlusLiftCappedAt240) {
  EXPECT_EQ(GrayOfRGB(RGBColor(10, 20, 31), 10), RGBColor(30, 30, 30));
  EXPECT_EQ(GrayOfRGB(RGBColor(0, 0, 2), 0), clBlack);
  EXPECT_EQ(GrayOfRGB(clWhite, 0), RGBColor(240, 240, 240));
  EXPECT_EQ(GrayOfRGB(RGBColor(200, 200, 200), 50), RGBColor(240, 240, 240));
  EXPECT_EQ(GrayOfRGB(RGBColor(10, 10, 10), -20), clBlack);
}

TEST(MenuColors, AverageSumsEachShareTruncated) {
  EXPECT_EQ(AverageRGB({}), clBlack);
  EXPECT_EQ(AverageRGB({RGBColor(7, 8, 9)}), RGBColor(7, 8, 9));
  // Each channel is divided before summing: 255 / 2 + 255 / 2 = 254.
  EXPECT_EQ(AverageRGB({RGBColor(255, 0, 1), RGBColor(255, 0, 1)}), RGBColor(254, 0, 0));
  EXPECT_EQ(AverageRGB({RGBColor(10, 20, 30), RGBColor(20, 40, 61), clBlack}), RGBColor(9, 19, 30));
}

TEST(MenuColors, TopItemTextKeepsTheFontOnLightBackgrounds) {
  const TColor font = RGBColor(1, 2, 3);
  EXPECT_EQ(TopItemTextRGB(RGBColor(200, 0, 150), font), font);    // red and blue light
  EXPECT_EQ(TopItemTextRGB(RGBColor(100, 201, 100), font), font);  // green light
  // At the limits it is dark: 90 percent towards white (139.5 -> 140, 49.5 -> 50).
  EXPECT_EQ(TopItemTextRGB(RGBColor(100, 200, 100), font), RGBColor(240, 250, 240));
  EXPECT_EQ(TopItemTextRGB(RGBColor(150, 0, 151), font), LightenRGB(RGBColor(150, 0, 151), 90));
}

}  // namespace
}  // namespace qv
