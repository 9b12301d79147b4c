#include <gtest/gtest.h>

#include <random>
#include <utility>

#include "framework/Colors.h"
#include "framework/SysUtils.h"

namespace qv {
namespace {

TEST(Colors, PackingAndSystemValues) {
  // A COLORREF: 0x00bbggrr.
  const TColor c = RGBColor(0x12, 0x34, 0x56);
  EXPECT_EQ(c, 0x00563412);
  EXPECT_EQ(GetRValue(c), 0x12);
  EXPECT_EQ(GetGValue(c), 0x34);
  EXPECT_EQ(GetBValue(c), 0x56);
  EXPECT_TRUE(IsSystemColor(clBtnText));
  EXPECT_FALSE(IsSystemColor(clWhite));
  EXPECT_FALSE(IsSystemColor(clNone));

  // Stored designs and other programs read a system colour by winuser.h's COLOR_ index:
  // every index from COLOR_SCROLLBAR (0) to COLOR_MENUBAR (30) has a name but 25, which
  // Windows leaves unused, and each name reads back to its index.
  for (int index = 0; index < 256; ++index) {
    std::string name;
    const bool named = ColorToIdent(SystemColor(index), name);
    EXPECT_EQ(named, index <= 30 && index != 25) << index;
    TColor v = 0;
    if (named) EXPECT_TRUE(IdentToColor(name, v) && v == SystemColor(index)) << name;
  }
  // Some of those indexes, as winuser.h gives them, and colours of the Windows 20-colour
  // palette, as its documentation gives them.
  const std::pair<const char*, TColor> known[] = {
      {"clScrollBar", SystemColor(0)},       {"clWindow", SystemColor(5)},
      {"clHighlight", SystemColor(13)},      {"clBtnFace", SystemColor(15)},
      {"clInfoBk", SystemColor(24)},         {"clHotLight", SystemColor(26)},
      {"clMenuBar", SystemColor(30)},        {"clMaroon", RGBColor(128, 0, 0)},
      {"clFuchsia", RGBColor(255, 0, 255)},  {"clMoneyGreen", RGBColor(192, 220, 192)},
      {"clSkyBlue", RGBColor(166, 202, 240)}, {"clMedGray", RGBColor(160, 160, 164)}};
  for (const auto& [name, value] : known) {
    TColor v = -1;
    EXPECT_TRUE(IdentToColor(name, v) && v == value) << name;
  }
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
  EXPECT_THROW(StringToColor("reddish"), EConvertError);
  try {
    StringToColor("");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'' is not a valid integer value");
  }
  // Whatever a property holds is read back as it was written, named or not.
  std::mt19937 rng(11);
  for (int i = 0; i < 2000; ++i) {
    const TColor v = i < 256 ? SystemColor(i) : static_cast<TColor>(rng());
    EXPECT_EQ(StringToColor(ColorToString(v)), v) << ColorToString(v);
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
