// The flat look's pure rules: which systems draw their own menu shadow, and
// where boxes and buttons go in each reading order.

#include <gtest/gtest.h>

#include "look/LookGeometry.h"

namespace qv {
namespace {

TEST(LookGeometry, EveryNtFromFivePointOneOnHasTheSystemsMenuShadow) {
  struct Case {
    bool nt;
    unsigned major, minor;
    bool win2000, xp;
  };
  for (const Case& c : {Case{true, 4, 0, false, false}, Case{true, 5, 0, true, false},
                        Case{true, 5, 1, false, true}, Case{true, 5, 2, false, true},
                        Case{true, 6, 0, false, true}, Case{true, 6, 1, false, true},
                        Case{true, 10, 0, false, true}, Case{false, 5, 1, false, false},
                        Case{false, 4, 90, false, false}}) {
    const TOsFlags f = OsFlagsOf(c.nt, c.major, c.minor);
    EXPECT_EQ(f.IsWinNT, c.nt);
    EXPECT_EQ(f.IsWin2000, c.win2000) << c.major << "." << c.minor;
    EXPECT_EQ(f.IsWinXP, c.xp) << c.major << "." << c.minor;
  }
}

TEST(LookGeometry, CheckMarkSitsAwayFromTheCaptionInEachReadingOrder) {
  const TPaintRect client{0, 0, 120, 24};
  // 3 in from top and bottom leaves 18; a 16 square is centred in it.
  const TPaintRect left{0, 4, 15, 20}, right{105, 4, 120, 20}, full{0, 4, 120, 20};
  EXPECT_EQ(CheckMarkBox(client, 16, 3, TBiDi::LeftToRight, TAlign::RightJustify), left);
  EXPECT_EQ(CheckMarkBox(client, 16, 3, TBiDi::LeftToRight, TAlign::LeftJustify), right);
  EXPECT_EQ(CheckMarkBox(client, 16, 3, TBiDi::RightToLeft, TAlign::RightJustify), right);
  EXPECT_EQ(CheckMarkBox(client, 16, 3, TBiDi::RightToLeft, TAlign::LeftJustify), left);
  EXPECT_EQ(CheckMarkBox(client, 16, 3, TBiDi::RightToLeftReadingOnly, TAlign::LeftJustify),
            full);
  // A control lower than the box: the box overhangs evenly.
  EXPECT_EQ(CheckMarkBox(TPaintRect{0, 0, 50, 10}, 16, 3, TBiDi::LeftToRight, TAlign::RightJustify),
            (TPaintRect{0, -3, 15, 13}));
}

TEST(LookGeometry, ComboButtonWidensWhenHotAndMovesLeftWhenRightToLeft) {
  const TPaintRect client{0, 0, 120, 24};
  EXPECT_EQ(ComboButtonBox(client, 16, false, false), (TPaintRect{102, 1, 119, 23}));
  EXPECT_EQ(ComboButtonBox(client, 16, true, false), (TPaintRect{101, 1, 119, 23}));
  EXPECT_EQ(ComboButtonBox(client, 16, false, true), (TPaintRect{1, 1, 18, 23}));
  EXPECT_EQ(ComboButtonBox(client, 16, true, true).Width(), 18);
}

}  // namespace
}  // namespace qv
