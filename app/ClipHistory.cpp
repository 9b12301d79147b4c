#include "app/ClipHistory.h"

#include <algorithm>
#include <cstdio>
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

const std::string* TClipHistory::ExactTextOfId(std::string_view id) const {
  if (exact_.empty()) return nullptr;
  const auto found = exact_.find(UpperCase(std::string(id)));
  return found == exact_.end() ? nullptr : &found->second;
}

const std::string* TClipHistory::ExactTextOf(int index) const {
  const auto id = IdOf(index);
  return id ? ExactTextOfId(*id) : nullptr;
}

std::string TClipHistory::GatherExact(int index, bool range, const TAnsiToUtf8& convert) const {
  if (index < 0 || index >= Count()) return {};
  std::string text;
  for (int i = index; i >= (range ? 0 : index); --i) {
    const auto id = ListLineId(lines_[static_cast<size_t>(i)]);
    if (!id) continue;
    const auto ansi = store_.TextOf(*id);
    if (!ansi) continue;
    const std::string* exact = ExactTextOfId(*id);
    text += exact ? *exact : convert(*ansi);
    if (range) text += "\r\n";
  }
  return text;
}

std::optional<std::string> TClipHistory::AddClip(std::string_view text, TClipIdGenerator& ids,
                                                 const TTextWidthFunction& width,
                                                 std::string_view exact) {
  std::string id = NextUniqueClipId(ids, store_, text);
  if (!AddClip(text, id, BuildDisplayText(text, width), exact)) return std::nullopt;
  return id;
}

bool TClipHistory::AddClip(std::string_view text, std::string_view id, std::string_view display,
                           std::string_view exact) {
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
  const size_t before = store_.Size();
  if (!store_.AddClip(text, id, isListed, &evicted)) return false;
  // A block adds more than its text; growing by no more than that, the store let clips go.
  if (!exact_.empty() && store_.Size() <= before + text.size())
    std::erase_if(exact_, [this](const auto& entry) { return !store_.HasHeaderKey(entry.first); });
  if (!exact.empty()) exact_[UpperCase(std::string(id))] = std::string(exact);
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
  exact_.clear();
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
  exact_unread_ = PathExists(ExactPath());
  exact_lost_ = false;
  exact_.clear();
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
  if (!exact_unread_) return;
  std::string bytes;
  if (!ReadWholeFile(ExactPath(), bytes)) {
    exact_lost_ = true;  // set aside at the save, like the other two
    return;
  }
  exact_unread_ = false;
  exact_lost_ = ReadExactTexts(bytes, exact_).damaged;
}

void TClipHistory::Save() {
  const std::string listPath = ListPath(), storePath = StorePath();
  SetAside(storePath, store_unread_);
  store_.SaveToFile(storePath);
  SaveExactTexts();
  SetAside(listPath, list_unread_);
  std::string image;
  for (const std::string& line : lines_) image.append(line).append("\r\n");
  if (!WriteFileAtomically(listPath, image)) throw EFCreateError(MsgCannotCreateFile(listPath));
}

void TClipHistory::SaveExactTexts() {
  const std::string path = ExactPath();
  SetAside(path, exact_unread_);
  // Store order, so the file reads like the store; only clips the store still holds.
  std::vector<std::pair<std::string, std::string>> blocks;
  std::unordered_set<std::string> taken;
  if (!exact_.empty())
    for (const TStoreSegment& segment : store_.Segments())
      if (const std::string* text = segment.key.empty() ? nullptr : ExactTextOfId(segment.key))
        if (taken.insert(segment.key).second) blocks.emplace_back(segment.key, *text);
  if (blocks.empty()) {
    if (PathExists(path) && std::remove(path.c_str()) != 0)
      throw EFCreateError(MsgCannotCreateFile(path));
    return;
  }
  if (!WriteFileAtomically(path, ExactTextsImage(blocks)))
    throw EFCreateError(MsgCannotCreateFile(path));
}

void TClipHistory::SetAside(const std::string& path, bool& unread) {
  if (!unread) return;
  // It was there at start but was not read (locked or unreadable): it holds clips
  // this run never saw, and replacing it would lose them.
  std::string aside = path + ".bak";
  for (int n = 1; PathExists(aside) && n < 100; ++n) aside = path + ".bak" + std::to_string(n);
  if (!RenameFileTo(path, aside) && PathExists(path))
    throw EFCreateError(MsgCannotCreateFile(path));
  unread = false;
}

}  // namespace qv
