#include "app/ClipListView.h"

namespace qv {

TClipListView::TClipListView(TClipHistory& history, TQvCheckListBox& list)
    : history_(history), list_(list) {
  history_.SetView(this);
  LinesReset();
}

TClipListView::~TClipListView() { history_.SetView(nullptr); }

void TClipListView::LineInserted(int index) {
  list_.Items().Insert(index, history_.Line(index));
}

void TClipListView::LineRemoved(int index) { list_.Items().Delete(index); }

void TClipListView::LineMoved(int from, int to) {
  list_.Items().Delete(from);
  list_.Items().Insert(to, history_.Line(to));
}

void TClipListView::LinesReordered(const std::vector<int>& oldIndexOf) {
  struct TCheck {
    TCheckBoxState state;
    bool enabled;
  };
  std::vector<TCheck> checks;
  checks.reserve(oldIndexOf.size());
  for (int i = 0; i < list_.Count(); ++i) checks.push_back({list_.ItemState(i), list_.ItemEnabled(i)});
  const int top = list_.TopIndex(), selected = list_.ItemIndex();
  LinesReset();
  for (int i = 0; i < list_.Count(); ++i) {
    const size_t old = static_cast<size_t>(oldIndexOf[static_cast<size_t>(i)]);
    if (old >= checks.size()) continue;
    list_.SetItemState(i, checks[old].state);
    list_.SetItemEnabled(i, checks[old].enabled);
  }
  list_.SetTopIndex(top);
  list_.SetItemIndex(selected);
}

void TClipListView::LinesReset() {
  TStrings& items = list_.Items();
  TUpdateGuard update(items);
  items.Clear();
  items.SetCapacity(history_.Count());
  for (const std::string& line : history_.Lines()) items.Add(line);
}

}  // namespace qv
