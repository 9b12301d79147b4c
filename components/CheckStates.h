#pragma once
// The check kinds of the check list box; its states and the rule a click
// follows are the framework's check box ones. Portable.

#include "framework/CheckState.h"

namespace qv {

enum class TCheckKind { ckCheckBoxes = 0, ckRadioButtons = 1, ckCheckMarks = 2 };

}  // namespace qv
