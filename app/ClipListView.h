#pragma once
// The clip list on screen as a view of the history: the list control holds no copy of the
// lines, only their number, and asks this view for each line it shows. A line's check box
// shows whether its clip is kept, which is the history's; a click on it keeps the clip or
// lets it go. While the user finds, the view keeps which clips are shown: a shown row then
// stands for a line of the history (its model index). A clip with an exact text shows
// that text, cut by the rule of the ANSI lines.

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "app/ClipFilter.h"
#include "app/ClipHistory.h"
#include "components/CheckListBox.h"
#include "framework/Graphics.h"
#include "framework/Handles.h"

namespace qv {

// Alphabetically, letter case ignored, in the user's language: the order a sorted list box
// gives its lines, and the one Sort gives the clips.
bool ListBoxOrder(const std::string& a, const std::string& b);

class TClipListView : public TClipHistoryView, private TListLineSource {
 public:
  // Shows the history's lines now and follows its changes from then on.
  TClipListView(TClipHistory& history, TCheckListBox& list);
  ~TClipListView() override;
  TClipListView(const TClipListView&) = delete;
  TClipListView& operator=(const TClipListView&) = delete;

  // Shows only the clips whose whole text holds every word of the find text (ansi; utf8:
  // the same in UTF-8, for the exact texts), newest first; a text without words shows all.
  // The list then shows its top with no line selected.
  void Find(std::string_view ansi, std::string_view utf8);
  // Gathers the texts a find searches now (the slow part, once), so that no key waits for it.
  void PrepareFind();
  bool Finding() const { return finding_; }
  int RowCount() const;
  // The history line a shown row stands for; -1 for a row the list does not have.
  int ModelIndex(int row) const;
  // The history lines a range recall from the row takes: the shown rows from it up to the
  // top one, the picked row first.
  std::vector<int> RunFrom(int row) const;
  // Width in pixels of a text in the list's design font: the display cut measures with it,
  // the same at any DPI, so a list line is the same on every screen.
  int TextWidth(const std::string& text);
  // What a row shows for a clip with an exact text (UTF-16): its first line that is not
  // blank, cut as the ANSI lines are; empty for a clip without one.
  std::wstring ExactDisplayText(int row);
  // What a screen reader is told of a row: its display line exactly as drawn (UTF-16), and
  // its place with the slot label beside it.
  std::wstring RowName(int row);
  std::wstring RowDescription(int row) const;

  void LineInserted(int index) override;
  void LineRemoved(int index) override;
  void LineMoved(int from, int to) override;
  // Every line keeps its own check mark; the top line and the selection stay where they
  // were by number.
  void LinesReordered(const std::vector<int>& oldIndexOf) override;
  void LinesReset() override;
  void LineChanged(int index) override;

 private:
  void CheckStateChanged(TObject* sender, int row);
  std::string LineText(int row) override;
  TCheckListBoxItem& LineCheck(int row) override;
  // Finds again after the history changed while finding.
  void Refind();
  void WideText(TObject* sender, int row, std::wstring& text);
  void ItemName(TObject*, int row, std::wstring& text) { text = RowName(row); }
  void ItemDescription(TObject*, int row, std::wstring& text) { text = RowDescription(row); }
  TCanvas& MeasureCanvas();

  TClipHistory& history_;
  TCheckListBox& list_;
  std::deque<TCheckListBoxItem> checks_;  // one per history line; the state is the history's
  TClipFinder finder_;
  bool texts_current_ = false;  // the finder's texts are the history's as it is
  bool finding_ = false;
  std::vector<std::string> ansi_words_, utf8_words_;
  std::vector<int> rows_;  // while finding: the history line of each shown row
  TCanvas measure_canvas_;
  UniqueMemoryDc measure_dc_;
};

}  // namespace qv
