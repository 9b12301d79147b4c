#pragma once
// The check states of the check list box and the rule a click follows; portable.

#include <cstdint>

namespace qv {

enum class TCheckBoxState : std::uint8_t { cbUnchecked = 0, cbChecked = 1, cbGrayed = 2 };
enum class TCheckKind { ckCheckBoxes = 0, ckRadioButtons = 1, ckCheckMarks = 2 };

// The state a click gives a line in the given state: unchecked goes to grayed
// when grayed is allowed, else to checked; checked to unchecked; grayed to checked.
TCheckBoxState NextCheckState(TCheckBoxState state, bool allowGrayed);

}  // namespace qv
