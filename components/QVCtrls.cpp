#include "components/QVCtrls.h"

namespace qv {

TQvCustomListBox::TQvCustomListBox(TComponent* owner) : TCustomListBox(owner) {}

TQvCheckListBox::TQvCheckListBox(TComponent* owner) : TQvCustomListBox(owner) {
  style_ = TListBoxStyle::lbOwnerDrawFixed;
  // The check column is 18 pixels wide; the text starts 2 pixels past it.
  text_indent_ = 18 + 2;
}

}  // namespace qv
