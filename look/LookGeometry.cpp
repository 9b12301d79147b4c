#include "look/LookGeometry.h"

namespace qv {

TOsFlags OsFlagsOf(bool platformNT, unsigned major, unsigned minor) {
  TOsFlags f;
  f.IsWinNT = platformNT;
  f.IsWin2000 = platformNT && major == 5 && minor == 0;
  f.IsWinXP = platformNT && (major > 5 || (major == 5 && minor >= 1));
  return f;
}

TPaintRect CheckMarkBox(TPaintRect client, int size, int inset, TBiDi mode, TAlign alignment) {
  TPaintRect b = client;
  b.Top += inset;
  b.Bottom -= inset;
  b.Top += (b.Height() - size) / 2;
  b.Bottom = b.Top + size;
  const bool ltr = mode == TBiDi::LeftToRight, rtl = mode == TBiDi::RightToLeft;
  const bool right = alignment == TAlign::RightJustify;
  if ((rtl && right) || (ltr && !right))
    b.Left = b.Right - size + 1;
  else if ((ltr && right) || (rtl && !right))
    b.Right = b.Left + size - 1;
  return b;
}

TPaintRect ComboButtonBox(TPaintRect client, int thumb, bool hot, bool rightToLeft) {
  const int w = thumb + 1 + (hot ? 1 : 0);
  TPaintRect b{client.Left + 1, client.Top + 1, client.Right - 1, client.Bottom - 1};
  if (rightToLeft)
    b.Right = b.Left + w;
  else
    b.Left = b.Right - w;
  return b;
}

}  // namespace qv
