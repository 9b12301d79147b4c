#include <gtest/gtest.h>

#include "framework/Colors.h"
#include "framework/SysUtils.h"

namespace qv {
namespace {

TEST(Colors, PackingAndSystemValues) {
  const TColor c = RGBColor(0x12, 0x34, 0x56);
  EXPECT_EQ(c, 0x00563412);
  EXPECT_EQ(GetRValue(c), 0x12);
  EXPECT_EQ(GetGValue(c), 0x34);
  EXPECT_EQ(GetBValue(c), 0x56);
  EXPECT_EQ(static_cast<std::uint32_t>(clBtnFace), 0x8000000Fu);
  EXPECT_EQ(static_cast<std::uint32_t>(clHighlight), 0x8000000Du);
  EXPECT_EQ(static_cast<std::uint32_t>(clInfoBk), 0x80000018u);
  EXPECT_TRUE(IsSystemColor(clBtnText));
  EXPECT_FALSE(IsSystemColor(clWhite));
  EXPECT_FALSE(IsSystemColor(clNone));
  EXPECT_EQ(SystemColorIndex(clInactiveCaptionText), 19);
  EXPECT_EQ(clSkyBlue, 0x00F0CAA6);
  EXPECT_EQ(clNavy, 0x00800000);
}

TEST(Colors, NamesBothWays) {
  std::string name;
  ASSERT_TRUE(ColorToIdent(clBtnFace, name));
  EXPECT_EQ(name, "clBtnFace");
  ASSERT_TRUE(ColorToIdent(clMoneyGreen, name));
  EXPECT_EQ(name, "clMoneyGreen");
  ASSERT_TRUE(ColorToIdent(clNone, name));
  EXPECT_EQ(name, "clNone");
  // Shared values are written with the classic name, but both names read.
  ASSERT_TRUE(ColorToIdent(0xC0C0C0, name));
  EXPECT_EQ(name, "clSilver");
  ASSERT_TRUE(ColorToIdent(0x808080, name));
  EXPECT_EQ(name, "clGray");
  TColor c = 0;
  ASSERT_TRUE(IdentToColor("CLLTGRAY", c));
  EXPECT_EQ(c, clSilver);
  ASSERT_TRUE(IdentToColor("clhighlighttext", c));
  EXPECT_EQ(c, clHighlightText);

  name = "kept";
  c = 7;
  EXPECT_FALSE(ColorToIdent(0x00123456, name));
  EXPECT_EQ(name, "kept");
  EXPECT_FALSE(IdentToColor("clNope", c));
  EXPECT_FALSE(IdentToColor("", c));
  EXPECT_FALSE(IdentToColor("BtnFace", c));
  EXPECT_EQ(c, 7);
}

TEST(Colors, StringForms) {
  EXPECT_EQ(ColorToString(clWindow), "clWindow");
  EXPECT_EQ(ColorToString(0x00123456), "$00123456");
  EXPECT_EQ(ColorToString(SystemColor(40)), "$80000028");
  EXPECT_EQ(StringToColor("clRed"), clRed);
  EXPECT_EQ(StringToColor("$00123456"), 0x00123456);
  EXPECT_EQ(StringToColor("0x80000028"), SystemColor(40));
  EXPECT_EQ(StringToColor("255"), clRed);
  EXPECT_EQ(StringToColor(ColorToString(0x00ABCDEF)), 0x00ABCDEF);
  EXPECT_THROW(StringToColor("reddish"), EConvertError);
  try {
    StringToColor("");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'' is not a valid integer value");
  }
}

TEST(Cursors, NamesBothWays) {
  std::string name;
  ASSERT_TRUE(CursorToIdent(crHandPoint, name));
  EXPECT_EQ(name, "crHandPoint");
  ASSERT_TRUE(CursorToIdent(crDefault, name));
  EXPECT_EQ(name, "crDefault");
  ASSERT_TRUE(CursorToIdent(-22, name));
  EXPECT_EQ(name, "crSizeAll");
  EXPECT_FALSE(CursorToIdent(-5, name));
  EXPECT_FALSE(CursorToIdent(1, name));
  int c = 0;
  ASSERT_TRUE(IdentToCursor("CRSIZE", c));
  EXPECT_EQ(c, -22);
  ASSERT_TRUE(IdentToCursor("crsqlwait", c));
  EXPECT_EQ(c, crSQLWait);
  ASSERT_TRUE(IdentToCursor("crNone", c));
  EXPECT_EQ(c, -1);
  EXPECT_FALSE(IdentToCursor("crBusy", c));
  EXPECT_EQ(c, -1);
  // Every name reads back to the value it was written for.
  for (int v = -30; v <= 5; ++v) {
    if (!CursorToIdent(v, name)) continue;
    ASSERT_TRUE(IdentToCursor(name, c));
    EXPECT_EQ(c, v) << name;
  }
}

}  // namespace
}  // namespace qv
