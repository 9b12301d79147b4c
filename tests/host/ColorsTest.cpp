#include <gtest/gtest.h>

#include <sstream>

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

  // winuser.h's COLOR_ constants in order, from COLOR_SCROLLBAR (0) to COLOR_MENUBAR (30);
  // 25 has no name. Stored designs and other programs read the colours by that index.
  std::istringstream system(
      "clScrollBar clBackground clActiveCaption clInactiveCaption clMenu clWindow "
      "clWindowFrame clMenuText clWindowText clCaptionText clActiveBorder clInactiveBorder "
      "clAppWorkSpace clHighlight clHighlightText clBtnFace clBtnShadow clGrayText clBtnText "
      "clInactiveCaptionText clBtnHighlight cl3DDkShadow cl3DLight clInfoText clInfoBk - "
      "clHotLight clGradientActiveCaption clGradientInactiveCaption clMenuHighlight clMenuBar");
  unsigned index = 0;
  for (std::string name; system >> name; ++index) {
    TColor v = 0;
    if (name == "-") continue;
    ASSERT_TRUE(IdentToColor(name, v)) << name;
    EXPECT_EQ(static_cast<std::uint32_t>(v), 0x80000000u + index) << name;
  }
  EXPECT_EQ(index, 31u);

  // The named colours: the sixteen VGA colours and the four the Windows 20-colour
  // palette adds (money green, sky blue, cream, medium grey).
  struct Rgb {
    const char* name;
    int r, g, b;
  };
  const Rgb named[] = {
      {"clBlack", 0, 0, 0},       {"clMaroon", 128, 0, 0},         {"clGreen", 0, 128, 0},
      {"clOlive", 128, 128, 0},   {"clNavy", 0, 0, 128},           {"clPurple", 128, 0, 128},
      {"clTeal", 0, 128, 128},    {"clGray", 128, 128, 128},       {"clSilver", 192, 192, 192},
      {"clRed", 255, 0, 0},       {"clLime", 0, 255, 0},           {"clYellow", 255, 255, 0},
      {"clBlue", 0, 0, 255},      {"clFuchsia", 255, 0, 255},      {"clAqua", 0, 255, 255},
      {"clWhite", 255, 255, 255}, {"clMoneyGreen", 192, 220, 192}, {"clSkyBlue", 166, 202, 240},
      {"clCream", 255, 251, 240}, {"clMedGray", 160, 160, 164}};
  for (const Rgb& n : named) {
    TColor v = -1;
    ASSERT_TRUE(IdentToColor(n.name, v)) << n.name;
    EXPECT_EQ(v, n.r | n.g << 8 | n.b << 16) << n.name;
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
