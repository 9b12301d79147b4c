#include "framework/CheckState.h"

namespace qv {

TCheckBoxState NextCheckState(TCheckBoxState state, bool allowGrayed) {
  switch (state) {
    case TCheckBoxState::cbUnchecked:
      return allowGrayed ? TCheckBoxState::cbGrayed : TCheckBoxState::cbChecked;
    case TCheckBoxState::cbChecked:
      return TCheckBoxState::cbUnchecked;
    case TCheckBoxState::cbGrayed:
      return TCheckBoxState::cbChecked;
  }
  return TCheckBoxState::cbUnchecked;
}

}  // namespace qv
