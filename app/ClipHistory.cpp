#include "app/ClipHistory.h"

#include <algorithm>
#include <numeric>
#include <unordered_set>

#include "framework/FileIO.h"
#include "framework/Strings.h"
#include "framework/SysUtils.h"

namespace qv {

const std::string& TClipHistory::Line(int index) const {
  if (index < 0 || index >= Count()) throw EStringListError(MsgListIndexError(index));
  return lines_[static_cast<size_t>(index)];
}

std::optional<std::string> TClipHistory::TextOf(int index) const {
  return store_.Locate(Line(index));
}

std::string TClipHistory::RunText(int index) const {
  Line(index);  // the index check
  std::string text;
  for (int i = index; i >= 0; --i)
    if (const auto id = ListLineId(lines_[static_cast<size_t>(i)]))
      if (const auto clip = store_.TextOf(*id)) text.append(*clip).append("\r\n");
  return text;
}

std::string TClipHistory::Gather(int index, bool range) const {
  if (index < 0 || index >= Count()) return {};
  return range ? RunText(index) : TextOf(index).value_or("");
}

std::optional<std::string> TClipHistory::AddClip(std::string_view text, TClipIdGenerator& ids,
                                                 const TTextWidthFunction& width) {
  // A line whose text is gone still carries its id: a new clip with that id would be
  // what the old line recalls.
  std::unordered_set<std::string> listed;
  for (const std::string& line : lines_)
    if (auto lineId = ListLineId(line)) listed.insert(UpperCase(*lineId));
  std::string id = NextUniqueClipId(ids, store_, text,
                                    [&listed](const std::string& key) { return listed.count(key) != 0; });
  if (!AddClip(text, id, BuildDisplayText(text, width))) return std::nullopt;
  return id;
}

bool TClipHistory::AddClip(std::string_view text, std::string_view id, std::string_view display) {
  // Which clips the list shows matters only when the store must make room.
  std::unordered_set<std::string> listed;
  bool listRead = false;
  auto isListed = [&](const std::string& key) {
    if (!listRead) {
      for (const std::string& line : lines_)
        if (auto lineId = ListLineId(line)) listed.insert(UpperCase(*lineId));
      listRead = true;
    }
    return listed.count(key) != 0;
  };
  std::vector<std::string> evicted;
  if (!store_.AddClip(text, id, isListed, &evicted)) return false;
  if (!evicted.empty()) {
    const std::unordered_set<std::string> gone(evicted.begin(), evicted.end());
    for (int i = Count() - 1; i >= 0; --i) {
      const auto lineId = ListLineId(lines_[static_cast<size_t>(i)]);
      if (!lineId || !gone.count(UpperCase(*lineId))) continue;
      lines_.erase(lines_.begin() + i);
      Notify([i](TClipHistoryView& v) { v.LineRemoved(i); });
    }
  }
  lines_.insert(lines_.begin(), MakeListLine(display, id));
  Notify([](TClipHistoryView& v) { v.LineInserted(0); });
  return true;
}

void TClipHistory::MoveToTop(int index) {
  Line(index);  // the index check
  std::rotate(lines_.begin(), lines_.begin() + index, lines_.begin() + index + 1);
  Notify([index](TClipHistoryView& v) { v.LineMoved(index, 0); });
  if (Count() > kClipListLimit) {
    lines_.erase(lines_.begin() + kClipListLimit);
    Notify([](TClipHistoryView& v) { v.LineRemoved(kClipListLimit); });
  }
}

void TClipHistory::Clear() {
  lines_.clear();
  store_.Clear();
  Notify([](TClipHistoryView& v) { v.LinesReset(); });
}

void TClipHistory::Sort(const TLineOrder& before) {
  std::vector<int> order(lines_.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return before(lines_[static_cast<size_t>(a)], lines_[static_cast<size_t>(b)]);
  });
  std::vector<std::string> sorted;
  sorted.reserve(lines_.size());
  for (int i : order) sorted.push_back(std::move(lines_[static_cast<size_t>(i)]));
  lines_ = std::move(sorted);
  Notify([&order](TClipHistoryView& v) { v.LinesReordered(order); });
}

void TClipHistory::Load() {
  const std::string listPath = ListPath(), storePath = StorePath();
  list_unread_ = PathExists(listPath);
  store_unread_ = PathExists(storePath);
  // The list file is read as a list of lines is: CR LF, a lone CR or a lone LF ends a line.
  TStringList list;
  list.LoadFromFile(listPath);
  lines_.clear();
  lines_.reserve(static_cast<size_t>(list.Count()));
  for (int i = 0; i < list.Count(); ++i) lines_.push_back(list.Get(i));
  list_unread_ = false;
  Notify([](TClipHistoryView& v) { v.LinesReset(); });
  store_.LoadFromFile(storePath);
  store_unread_ = false;
}

void TClipHistory::Save() {
  const std::string listPath = ListPath(), storePath = StorePath();
  SetAside(storePath, store_unread_);
  store_.SaveToFile(storePath);
  SetAside(listPath, list_unread_);
  std::string image;
  for (const std::string& line : lines_) image.append(line).append("\r\n");
  if (!WriteFileAtomically(listPath, image)) throw EFCreateError(MsgCannotCreateFile(listPath));
}

void TClipHistory::SetAside(const std::string& path, bool& unread) {
  if (!unread) return;
  // It was there at start but was not read (locked or unreadable): it holds clips
  // this run never saw, and replacing it would lose them.
  auto asideName = [&path](int n) { return path + ".bak" + (n ? std::to_string(n) : ""); };
  std::string aside = asideName(0);
  for (int n = 1; PathExists(aside) && n < 100; ++n) aside = asideName(n);
  bool done = false;
  if (!PathExists(aside)) {
    done = RenameFileTo(path, aside);
  } else {
    // Every name is taken: the copy last written longest ago holds the oldest clips and
    // goes, so that a save never fails for ever. Equal times: the lowest number.
    int64_t oldest = 0;
    for (int n = 0; n < 100; ++n) {
      int64_t time = 0;
      if (FileModifiedTime(asideName(n), time) && (n == 0 || time < oldest)) {
        oldest = time;
        aside = asideName(n);
      }
    }
    done = ReplaceFileWith(path, aside);
  }
  if (!done && PathExists(path)) throw EFCreateError(MsgCannotCreateFile(path));
  unread = false;
}

}  // namespace qv
