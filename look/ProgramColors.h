#pragma once
// The program's own colours, shared by its windows.

#include "framework/Colors.h"

namespace qv {

// The sand of the clip window's panel, its slot labels and the Settings dialog
// (RGB 231, 223, 173).
inline constexpr TColor kPanelColor = 11395047;

}  // namespace qv
