#include "components/QVCtrls.h"

namespace qv {

TQvCustomListBox::TQvCustomListBox(TComponent* owner) : TCustomListBox(owner) {}

TQvCheckListBox::TQvCheckListBox(TComponent* owner) : TQvCustomListBox(owner) {
  style_ = TListBoxStyle::lbOwnerDrawFixed;
}

}  // namespace qv
