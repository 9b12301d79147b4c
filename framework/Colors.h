#pragma once
// Colour values and their names, and cursor values and their names: the forms the
// designs and the settings file write them in.

#include <cstdint>
#include <string>

namespace qv {

// 0x00BBGGRR for an explicit colour; 0x80000000 | index for a system colour
// (the index being the one GetSysColor takes); clNone and clDefault are markers.
using TColor = std::int32_t;

constexpr TColor SystemColor(int index) {
  return static_cast<TColor>(0x80000000u | static_cast<unsigned>(index));
}
constexpr bool IsSystemColor(TColor color) {
  return (static_cast<std::uint32_t>(color) >> 31) != 0;
}
// The GetSysColor index of a system colour.
constexpr int SystemColorIndex(TColor color) { return static_cast<int>(color & 0xFF); }

constexpr TColor RGBColor(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return static_cast<TColor>(r | (g << 8) | (b << 16));
}
// The names are parenthesised so that the same-named macros of the Windows headers
// do not swallow the definitions in a file that includes both.
constexpr std::uint8_t(GetRValue)(TColor color) { return static_cast<std::uint8_t>(color); }
constexpr std::uint8_t(GetGValue)(TColor color) { return static_cast<std::uint8_t>(color >> 8); }
constexpr std::uint8_t(GetBValue)(TColor color) { return static_cast<std::uint8_t>(color >> 16); }

// System colours.
constexpr TColor clScrollBar = SystemColor(0);
constexpr TColor clBackground = SystemColor(1);
constexpr TColor clActiveCaption = SystemColor(2);
constexpr TColor clInactiveCaption = SystemColor(3);
constexpr TColor clMenu = SystemColor(4);
constexpr TColor clWindow = SystemColor(5);
constexpr TColor clWindowFrame = SystemColor(6);
constexpr TColor clMenuText = SystemColor(7);
constexpr TColor clWindowText = SystemColor(8);
constexpr TColor clCaptionText = SystemColor(9);
constexpr TColor clActiveBorder = SystemColor(10);
constexpr TColor clInactiveBorder = SystemColor(11);
constexpr TColor clAppWorkSpace = SystemColor(12);
constexpr TColor clHighlight = SystemColor(13);
constexpr TColor clHighlightText = SystemColor(14);
constexpr TColor clBtnFace = SystemColor(15);
constexpr TColor clBtnShadow = SystemColor(16);
constexpr TColor clGrayText = SystemColor(17);
constexpr TColor clBtnText = SystemColor(18);
constexpr TColor clInactiveCaptionText = SystemColor(19);
constexpr TColor clBtnHighlight = SystemColor(20);
constexpr TColor cl3DDkShadow = SystemColor(21);
constexpr TColor cl3DLight = SystemColor(22);
constexpr TColor clInfoText = SystemColor(23);
constexpr TColor clInfoBk = SystemColor(24);
constexpr TColor clHotLight = SystemColor(26);
constexpr TColor clGradientActiveCaption = SystemColor(27);
constexpr TColor clGradientInactiveCaption = SystemColor(28);
constexpr TColor clMenuHighlight = SystemColor(29);
constexpr TColor clMenuBar = SystemColor(30);

// Named explicit colours.
constexpr TColor clBlack = RGBColor(0, 0, 0);
constexpr TColor clMaroon = RGBColor(128, 0, 0);
constexpr TColor clGreen = RGBColor(0, 128, 0);
constexpr TColor clOlive = RGBColor(128, 128, 0);
constexpr TColor clNavy = RGBColor(0, 0, 128);
constexpr TColor clPurple = RGBColor(128, 0, 128);
constexpr TColor clTeal = RGBColor(0, 128, 128);
constexpr TColor clGray = RGBColor(128, 128, 128);
constexpr TColor clSilver = RGBColor(192, 192, 192);
constexpr TColor clRed = RGBColor(255, 0, 0);
constexpr TColor clLime = RGBColor(0, 255, 0);
constexpr TColor clYellow = RGBColor(255, 255, 0);
constexpr TColor clBlue = RGBColor(0, 0, 255);
constexpr TColor clFuchsia = RGBColor(255, 0, 255);
constexpr TColor clAqua = RGBColor(0, 255, 255);
constexpr TColor clWhite = RGBColor(255, 255, 255);
constexpr TColor clLtGray = clSilver;
constexpr TColor clDkGray = clGray;
constexpr TColor clMoneyGreen = RGBColor(192, 220, 192);
constexpr TColor clSkyBlue = RGBColor(166, 202, 240);
constexpr TColor clCream = RGBColor(255, 251, 240);
constexpr TColor clMedGray = RGBColor(160, 160, 164);

constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// Name of a colour ("clBtnFace"); false when it has none. Where two names share a
// value (clSilver / clLtGray, clGray / clDkGray) the first, classic one is given.
bool ColorToIdent(TColor color, std::string& ident);
// Colour of a name, letter case ignored; false when the name is unknown.
bool IdentToColor(const std::string& ident, TColor& color);
// The name, else "$" and eight hexadecimal digits ("$0080FF00").
std::string ColorToString(TColor color);
// A name, else an integer in decimal or "$" / "0x" hexadecimal; anything else
// raises EConvertError.
TColor StringToColor(const std::string& text);

// Mouse cursors: 0 the control's default, negative values the stock cursors.
using TCursor = std::int16_t;

constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crSQLWait = -17;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;
constexpr TCursor crSize = crSizeAll;

// Name of a cursor ("crHandPoint"; -22 is "crSizeAll"); false when it has none.
bool CursorToIdent(int cursor, std::string& ident);
// Cursor of a name, letter case ignored; false when the name is unknown.
bool IdentToCursor(const std::string& ident, int& cursor);

}  // namespace qv
