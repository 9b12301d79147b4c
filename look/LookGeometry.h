#pragma once
// The pure rules of the flat look: which Windows versions draw their own menu
// shadow, and where the control painters put boxes, buttons and arrows. No
// window is needed to decide these, so they live in the portable core.

namespace qv {

// A rectangle in pixels, right and bottom excluded (as the system's).
struct TPaintRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool operator==(const TPaintRect&) const = default;
};

// What the painter needs to know of the system it runs on.
struct TOsFlags {
  bool IsWinNT = false;
  bool IsWin2000 = false;
  // NT 5.1 or any later NT: menus have the system's own shadow and region, so
  // the flat frame neither cuts a region nor paints a second shadow.
  bool IsWinXP = false;
};
TOsFlags OsFlagsOf(bool platformNT, unsigned major, unsigned minor);

// Reading order of a control, as the system's bidirectional modes name it.
enum class TBiDi { LeftToRight, RightToLeft, RightToLeftNoAlign, RightToLeftReadingOnly };
enum class TAlign { LeftJustify, RightJustify };

// The square of a flat check box (or radio circle) in the client area: `inset`
// in from top and bottom, centred there at height `size`, and at the edge that
// is away from the caption. Modes other than plain left-to-right or right-to-left
// keep the full width.
TPaintRect CheckMarkBox(TPaintRect client, int size, int inset, TBiDi mode, TAlign alignment);

// The drop button of a flat combo box: `thumb` + 1 wide (one more when hot),
// at the right edge, or at the left when right to left.
TPaintRect ComboButtonBox(TPaintRect client, int thumb, bool hot, bool rightToLeft);

}  // namespace qv
