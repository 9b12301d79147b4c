#pragma once
// The clip list control: an owner-drawn list box whose lines the main window
// inserts at the top, moves, deletes, saves and loads.

#include "framework/StdCtrls.h"

namespace qv {

class TQvCustomListBox : public TCustomListBox {
  QV_CLASS(TQvCustomListBox)
 public:
  explicit TQvCustomListBox(TComponent* owner);
};

class TQvCheckListBox : public TQvCustomListBox {
  QV_CLASS(TQvCheckListBox)
 public:
  explicit TQvCheckListBox(TComponent* owner);
  int InternalVersion = 202;
};

}  // namespace qv
