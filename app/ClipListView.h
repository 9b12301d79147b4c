#pragma once
// The clip list on screen as a view of the history: it shows the history's lines and
// keeps only what is its own, the check marks and the selection.

#include "app/ClipHistory.h"
#include "components/QVCtrls.h"

namespace qv {

class TClipListView : public TClipHistoryView {
 public:
  // Shows the history's lines now and follows its changes from then on.
  TClipListView(TClipHistory& history, TQvCheckListBox& list);
  ~TClipListView() override;
  TClipListView(const TClipListView&) = delete;
  TClipListView& operator=(const TClipListView&) = delete;

  void LineInserted(int index) override;
  void LineRemoved(int index) override;
  // As the list box always did it: the line is taken out and put in again, unchecked.
  void LineMoved(int from, int to) override;
  // Every line keeps its own check mark; the top line and the selection stay where they
  // were by number.
  void LinesReordered(const std::vector<int>& oldIndexOf) override;
  void LinesReset() override;

 private:
  TClipHistory& history_;
  TQvCheckListBox& list_;
};

}  // namespace qv
