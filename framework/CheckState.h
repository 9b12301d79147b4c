#pragma once
// The three states of a check box and the order a click moves through them;
// portable.

#include <cstdint>

namespace qv {

enum class TCheckBoxState : std::uint8_t { cbUnchecked = 0, cbChecked = 1, cbGrayed = 2 };

// The state a click gives a box in the given state: unchecked goes to grayed
// when grayed is allowed, else to checked; checked to unchecked; grayed to checked.
TCheckBoxState NextCheckState(TCheckBoxState state, bool allowGrayed);

}  // namespace qv
