#include "app/ClipListView.h"

#include <algorithm>

#include "app/RecallRules.h"
#include "framework/WideText.h"

namespace qv {

bool ListBoxOrder(const std::string& a, const std::string& b) {
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                        b.data(), static_cast<int>(b.size())) == CSTR_LESS_THAN;
}

// The store's texts are in the ANSI code page: on a double-byte one a word must match whole
// characters, not the second byte of one.
TClipListView::TClipListView(TClipHistory& history, TCheckListBox& list)
    : history_(history), list_(list), finder_(LeadBytesOf(0)) {
  list_.SetLineSource(this);
  list_.OnGetWideText = TGetWideTextEvent::Of<&TClipListView::WideText>(this);
  list_.OnGetItemName = TGetWideTextEvent::Of<&TClipListView::ItemName>(this);
  list_.OnGetItemDescription = TGetWideTextEvent::Of<&TClipListView::ItemDescription>(this);
  list_.OnStateChange = TCheckStateChangeEvent::Of<&TClipListView::CheckStateChanged>(this);
  history_.SetView(this);
  LinesReset();
}

TClipListView::~TClipListView() {
  history_.SetView(nullptr);
  list_.OnStateChange = nullptr;
  list_.OnGetWideText = nullptr;
  list_.OnGetItemName = nullptr;
  list_.OnGetItemDescription = nullptr;
  list_.SetLineSource(nullptr);
  measure_canvas_.SetHandle(nullptr);
}

int TClipListView::RowCount() const {
  return finding_ ? static_cast<int>(rows_.size()) : history_.Count();
}

int TClipListView::ModelIndex(int row) const {
  if (row < 0 || row >= RowCount()) return -1;
  return finding_ ? rows_[static_cast<size_t>(row)] : row;
}

std::vector<int> TClipListView::RunFrom(int row) const {
  std::vector<int> run;
  for (int r = std::min(row, RowCount() - 1); r >= 0; --r) run.push_back(ModelIndex(r));
  return run;
}

std::string TClipListView::LineText(int row) { return history_.Line(ModelIndex(row)); }

TCheckListBoxItem& TClipListView::LineCheck(int row) {
  const int index = ModelIndex(row);
  TCheckListBoxItem& check = checks_[static_cast<size_t>(index)];
  check.State = history_.Kept(index) ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked;
  return check;
}

void TClipListView::CheckStateChanged(TObject*, int row) {
  // The list wrote the user's new state into the line's record: the history takes it over.
  const int index = ModelIndex(row);
  if (index < 0) return;
  history_.SetKept(index, checks_[static_cast<size_t>(index)].State == TCheckBoxState::cbChecked);
  list_.Invalidate();
}

void TClipListView::LineChanged(int) { list_.Invalidate(); }

TCanvas& TClipListView::MeasureCanvas() {
  if (!measure_dc_) {
    measure_dc_.reset(CreateCompatibleDC(nullptr));
    measure_canvas_.SetHandle(measure_dc_.get());
    measure_canvas_.Font().SetName("MS Sans Serif");
    measure_canvas_.Font().SetHeight(-11);
  }
  return measure_canvas_;
}

int TClipListView::TextWidth(const std::string& text) { return MeasureCanvas().TextWidth(text); }

std::wstring TClipListView::ExactDisplayText(int row) {
  const int index = ModelIndex(row);
  const std::string* exact = index >= 0 ? history_.ExactTextOf(index) : nullptr;
  if (!exact) return std::wstring();
  const TDisplayLine chosen = ChooseDisplayLine(*exact);
  std::wstring line = Utf8ToWide(chosen.line);
  TCanvas& canvas = MeasureCanvas();
  size_t fits = CutLength(line.size(), [&](size_t n) {
    return static_cast<int>(canvas.TextExtent(line.substr(0, n)).cx);
  });
  // Never half of a character outside the basic plane.
  if (fits < line.size() && fits > 0 && line[fits - 1] >= 0xD800 && line[fits - 1] <= 0xDBFF)
    --fits;
  const bool cut = fits < line.size();
  line.resize(fits);
  if (cut || chosen.lineCount >= 2) line.append(kDisplaySuffix.begin(), kDisplaySuffix.end());
  return line;
}

std::wstring TClipListView::RowName(int row) {
  std::wstring name = ExactDisplayText(row);
  const int index = ModelIndex(row);
  if (name.empty() && index >= 0) name = AnsiToWide(history_.Display(index));
  return name;
}

std::wstring TClipListView::RowDescription(int row) const {
  return AnsiToWide(RowPlace(row, RowCount()));
}

void TClipListView::WideText(TObject*, int row, std::wstring& text) {
  std::wstring exact = ExactDisplayText(row);
  if (!exact.empty()) text = std::move(exact);
}

void TClipListView::Find(std::string_view ansi, std::string_view utf8) {
  ansi_words_ = FindWords(ansi);
  utf8_words_ = FindWords(utf8);
  // The two must pair up word for word; a conversion that joins or splits words cannot.
  if (utf8_words_.size() != ansi_words_.size()) utf8_words_ = ansi_words_;
  finding_ = !ansi_words_.empty();
  if (!finding_) {
    rows_.clear();
    list_.SetLineCount(history_.Count());
    return;
  }
  PrepareFind();
  rows_ = finder_.Find(ansi_words_, utf8_words_);
  list_.SetLineCount(static_cast<int>(rows_.size()));
}

void TClipListView::PrepareFind() {
  if (texts_current_) return;
  finder_.SetTexts(FindTexts(history_));
  texts_current_ = true;
}

void TClipListView::Refind() {
  texts_current_ = false;
  if (!finding_) return;
  const int top = list_.TopIndex();
  finder_.SetTexts(FindTexts(history_));
  texts_current_ = true;
  rows_ = finder_.Find(ansi_words_, utf8_words_);
  list_.SetLineCount(static_cast<int>(rows_.size()));
  list_.SetTopIndex(std::min(top, std::max(RowCount() - 1, 0)));
}

void TClipListView::LineInserted(int index) {
  checks_.insert(checks_.begin() + index, TCheckListBoxItem{});
  if (finding_)
    Refind();
  else {
    texts_current_ = false;
    list_.Items().Insert(index, std::string());
  }
}

void TClipListView::LineRemoved(int index) {
  checks_.erase(checks_.begin() + index);
  if (finding_)
    Refind();
  else {
    texts_current_ = false;
    list_.Items().Delete(index);
  }
}

void TClipListView::LineMoved(int from, int to) {
  checks_.erase(checks_.begin() + from);
  checks_.insert(checks_.begin() + to, TCheckListBoxItem{});
  if (finding_) {
    Refind();
    return;
  }
  texts_current_ = false;
  list_.Items().Delete(from);
  list_.Items().Insert(to, std::string());
}

void TClipListView::LinesReordered(const std::vector<int>& oldIndexOf) {
  std::deque<TCheckListBoxItem> checks;
  for (int old : oldIndexOf)
    checks.push_back(old >= 0 && static_cast<size_t>(old) < checks_.size()
                         ? checks_[static_cast<size_t>(old)]
                         : TCheckListBoxItem{});
  checks_ = std::move(checks);
  if (finding_) {
    Refind();
    return;
  }
  texts_current_ = false;
  // The same number of lines: the window keeps its top line and selection by number.
  list_.Invalidate();
}

void TClipListView::LinesReset() {
  checks_.assign(static_cast<size_t>(history_.Count()), TCheckListBoxItem{});
  texts_current_ = false;
  if (finding_)
    Refind();
  else
    list_.SetLineCount(history_.Count());
}

}  // namespace qv
