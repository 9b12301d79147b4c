#include "framework/Colors.h"

#include "framework/SysUtils.h"

namespace qv {

namespace {

struct IdentEntry {
  int value;
  const char* name;
};

// Order matters where names share a value: the earlier name is the one written.
constexpr IdentEntry kColors[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clLtGray, "clLtGray"},
    {clDkGray, "clDkGray"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clScrollBar, "clScrollBar"},
    {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"},
    {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"},
    {clWindowText, "clWindowText"},
    {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"},
    {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clBtnFace, "clBtnFace"},
    {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"},
    {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"},
    {clHotLight, "clHotLight"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuBar, "clMenuBar"},
    {clNone, "clNone"},
    {clDefault, "clDefault"},
};

constexpr IdentEntry kCursors[] = {
    {crDefault, "crDefault"},     {crNone, "crNone"},
    {crArrow, "crArrow"},         {crCross, "crCross"},
    {crIBeam, "crIBeam"},         {crSizeAll, "crSizeAll"},
    {crSize, "crSize"},           {crSizeNESW, "crSizeNESW"},
    {crSizeNS, "crSizeNS"},       {crSizeNWSE, "crSizeNWSE"},
    {crSizeWE, "crSizeWE"},       {crUpArrow, "crUpArrow"},
    {crHourGlass, "crHourGlass"}, {crDrag, "crDrag"},
    {crNoDrop, "crNoDrop"},       {crHSplit, "crHSplit"},
    {crVSplit, "crVSplit"},       {crMultiDrag, "crMultiDrag"},
    {crSQLWait, "crSQLWait"},     {crNo, "crNo"},
    {crAppStart, "crAppStart"},   {crHelp, "crHelp"},
    {crHandPoint, "crHandPoint"},
};

template <size_t N>
bool ValueToIdent(const IdentEntry (&table)[N], int value, std::string& ident) {
  for (const IdentEntry& e : table) {
    if (e.value == value) {
      ident = e.name;
      return true;
    }
  }
  return false;
}

template <size_t N>
bool IdentToValue(const IdentEntry (&table)[N], const std::string& ident, int& value) {
  for (const IdentEntry& e : table) {
    if (SameText(ident, e.name)) {
      value = e.value;
      return true;
    }
  }
  return false;
}

}  // namespace

bool ColorToIdent(TColor color, std::string& ident) { return ValueToIdent(kColors, color, ident); }

bool IdentToColor(const std::string& ident, TColor& color) {
  int value = 0;
  if (!IdentToValue(kColors, ident, value)) return false;
  color = value;
  return true;
}

std::string ColorToString(TColor color) {
  std::string name;
  if (ColorToIdent(color, name)) return name;
  return Format("$%.8X", static_cast<unsigned>(color));
}

TColor StringToColor(const std::string& text) {
  TColor color = 0;
  if (IdentToColor(text, color)) return color;
  return StrToInt(text);
}

bool CursorToIdent(int cursor, std::string& ident) { return ValueToIdent(kCursors, cursor, ident); }

bool IdentToCursor(const std::string& ident, int& cursor) {
  return IdentToValue(kCursors, ident, cursor);
}

}  // namespace qv
