#include "app/ClipHistory.h"

#include <algorithm>
#include <numeric>
#include <unordered_set>

#include "framework/Strings.h"
#include "framework/SysUtils.h"

namespace qv {

namespace {

// The spaces, the marker and the id that follow the display of a line of the usual shape.
constexpr size_t kLineTail = kListLineMarker.size() + kClipIdLength;

}  // namespace

const TClipHistory::TLineRef& TClipHistory::Ref(int index) const {
  if (index < 0 || index >= Count()) throw EStringListError(MsgListIndexError(index));
  return lines_[static_cast<size_t>(index)];
}

TClipHistory::TLineRef TClipHistory::Keep(std::string_view line) {
  // Only where the id the line gives is its last 13 characters, behind exactly the spaces
  // and the marker, does display + id make the same line again.
  const size_t size = line.size();
  const bool compact = size >= kLineTail &&
                       line.rfind(kHeaderMarker) == size - kClipIdLength - kHeaderMarker.size() &&
                       line.substr(size - kLineTail, kListLineMarker.size()) == kListLineMarker;
  const TLineRef ref{static_cast<uint32_t>(pool_.size()),
                     static_cast<uint32_t>(compact ? size - kListLineMarker.size() : size),
                     next_key_++, compact};
  if (compact) {
    pool_.append(line.substr(0, size - kLineTail));
    pool_.append(line.substr(size - kClipIdLength));
  } else {
    pool_.append(line);
  }
  return ref;
}

void TClipHistory::AppendLine(const TLineRef& ref, std::string& out) const {
  const std::string_view kept = Kept(ref);
  if (!ref.compact) {
    out.append(kept);
    return;
  }
  out.append(kept.substr(0, kept.size() - kClipIdLength));
  out.append(kListLineMarker);
  out.append(kept.substr(kept.size() - kClipIdLength));
}

bool TClipHistory::LineIs(int index, std::string_view line) const {
  const TLineRef& ref = lines_[static_cast<size_t>(index)];
  const std::string_view kept = Kept(ref);
  if (!ref.compact) return kept == line;
  const size_t display = kept.size() - kClipIdLength;
  return line.size() == display + kLineTail && line.substr(0, display) == kept.substr(0, display) &&
         line.substr(display, kListLineMarker.size()) == kListLineMarker &&
         line.substr(display + kListLineMarker.size()) == kept.substr(display);
}

void TClipHistory::Forget(const TLineRef& ref) {
  pool_garbage_ += ref.length;
  // Lines that went leave their bytes behind; once they are most of the pool, it is made anew.
  if (pool_garbage_ < (size_t{1} << 20) || pool_garbage_ < pool_.size() / 2) return;
  std::string pool;
  pool.reserve(pool_.size() - pool_garbage_);
  for (TLineRef& line : lines_) {
    const std::string_view kept = Kept(line);
    line.at = static_cast<uint32_t>(pool.size());
    pool.append(kept);
  }
  pool_ = std::move(pool);
  pool_garbage_ = 0;
}

void TClipHistory::SetLines(const std::vector<std::string_view>& lines) {
  lines_.clear();
  pool_.clear();
  pool_garbage_ = 0;
  size_t bytes = 0;
  for (std::string_view line : lines) bytes += line.size();
  pool_.reserve(bytes);
  for (std::string_view line : lines) lines_.push_back(Keep(line));
  RecountIds();
}

std::string TClipHistory::Line(int index) const {
  std::string line;
  AppendLine(Ref(index), line);
  return line;
}

TClipLines TClipHistory::Lines() const {
  TClipLines lines;
  for (int i = 0; i < Count(); ++i) lines.push_back(Line(i));
  return lines;
}

std::string_view TClipHistory::Display(int index) const {
  const TLineRef& ref = Ref(index);
  const std::string_view kept = Kept(ref);
  return ref.compact ? kept.substr(0, kept.size() - kClipIdLength) : ListLineDisplay(kept);
}

std::optional<std::string> TClipHistory::IdOf(int index) const {
  const TLineRef& ref = Ref(index);
  const std::string_view kept = Kept(ref);
  if (ref.compact) return std::string(kept.substr(kept.size() - kClipIdLength));
  return ListLineId(kept);
}

bool TClipHistory::CarriesId(int index, std::string_view key) const {
  const TLineRef& ref = lines_[static_cast<size_t>(index)];
  const std::string_view kept = Kept(ref);
  std::string_view id;
  if (ref.compact) {
    id = kept.substr(kept.size() - kClipIdLength);
  } else {
    const size_t marker = kept.rfind(kHeaderMarker);
    if (marker == std::string_view::npos || kept.size() - marker - kHeaderMarker.size() < kClipIdLength)
      return false;
    id = kept.substr(marker + kHeaderMarker.size(), kClipIdLength);
  }
  return IsIdOfKey(id, key);
}

int TClipHistory::IndexOfKey(uint32_t key) const {
  for (size_t i = 0; i < lines_.size(); ++i)
    if (lines_[i].key == key) return static_cast<int>(i);
  return -1;
}

std::optional<std::string> TClipHistory::TextOf(int index) const {
  const auto id = IdOf(index);
  if (!id) return std::nullopt;
  const auto text = store_.TextOf(*id);
  if (!text) return std::nullopt;
  return std::string(*text);
}

std::string TClipHistory::GatherPieces(
    int index, bool range,
    const std::function<std::string(std::string_view id, std::string_view text)>& piece) const {
  if (index < 0 || index >= Count()) return {};
  std::string text;
  // A run: the picked line first, the newest last, each followed by a line break; lines
  // whose text is gone are left out.
  for (int i = index; i >= (range ? 0 : index); --i) {
    const auto id = IdOf(i);
    if (!id) continue;
    const auto clip = store_.TextOf(*id);
    if (!clip) continue;
    text += piece(*id, *clip);
    if (range) text += "\r\n";
  }
  return text;
}

std::string TClipHistory::Gather(int index, bool range) const {
  return GatherPieces(index, range,
                      [](std::string_view, std::string_view text) { return std::string(text); });
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
  return GatherPieces(index, range, [&](std::string_view id, std::string_view text) {
    const std::string* exact = ExactTextOfId(id);
    return exact ? *exact : convert(text);
  });
}

std::optional<std::string> TClipHistory::AddClip(std::string_view text, TClipIdGenerator& ids,
                                                 const TTextWidthFunction& width,
                                                 std::string_view exact) {
  // A line whose text is gone still carries its id, and an exact text may outlive its
  // clip: a new clip with that id would be what the old line recalls, or paste that text.
  std::string id = NextUniqueClipId(ids, store_, text, [this](const std::string& key) {
    return store_.Listed(key) || exact_.count(key) > 0;
  });
  if (!AddClip(text, id, BuildDisplayText(text, width), exact)) return std::nullopt;
  return id;
}

bool TClipHistory::AddClip(std::string_view text, std::string_view id, std::string_view display,
                           std::string_view exact) {
  return AddClipLine(text, id, MakeListLine(display, id), exact);
}

bool TClipHistory::AddClipLine(std::string_view text, std::string_view id, std::string_view line,
                               std::string_view exact) {
  std::vector<std::string> evicted;
  const size_t segments = store_.SegmentCount();
  if (!store_.AddClip(text, id, nullptr, &evicted)) return false;
  // More than the one new block and the store let clips go: their exact texts go too.
  if (store_.SegmentCount() != segments + 1) DropOrphanExactTexts();
  if (!exact.empty()) exact_[UpperCase(std::string(id))] = std::string(exact);
  if (!evicted.empty()) RemoveLinesOf(evicted);
  lines_.push_front(Keep(line));
  CountId(0, +1);
  Notify([](TClipHistoryView& v) { v.LineInserted(0); });
  if (log_) log_->Captured(id, line, text, exact);
  return true;
}

void TClipHistory::MoveLineToTop(int index) {
  Ref(index);  // the index check
  if (index != 0) {
    const TLineRef line = lines_[static_cast<size_t>(index)];
    lines_.erase(lines_.begin() + index);
    lines_.push_front(line);
  }
  Notify([index](TClipHistoryView& v) { v.LineMoved(index, 0); });
  if (log_) log_->Moved(index, Line(0));
}

void TClipHistory::RemoveLine(int index) {
  Ref(index);  // the index check
  if (log_) log_->Removed(index, Line(index));
  EraseLine(index);
}

std::vector<std::string_view> SplitListLines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  const char* p = bytes.data();
  const char* const end = p + bytes.size();
  while (p < end) {
    const char* q = p;
    while (q < end && *q != '\r' && *q != '\n') ++q;
    lines.emplace_back(p, static_cast<size_t>(q - p));
    if (q < end) q += (*q == '\r' && q + 1 < end && q[1] == '\n') ? 2 : 1;
    p = q;
  }
  return lines;
}

void ReadListLines(std::string_view bytes, TClipLines& lines) {
  const std::vector<std::string_view> split = SplitListLines(bytes);
  lines.assign(split.begin(), split.end());
}

void TClipHistory::RemoveLinesOf(const std::vector<std::string>& evicted) {
  // The store lets the oldest clips go, whose lines are mostly at the bottom: look from
  // there, and only until every line that carries one of their ids has gone.
  std::unordered_map<std::string, int> left;
  size_t total = 0;
  for (const std::string& key : evicted) {
    const int lines = store_.LinesOf(key);
    if (lines > 0 && left.emplace(key, lines).second) total += static_cast<size_t>(lines);
  }
  for (int i = Count() - 1; i >= 0 && total > 0; --i) {
    const auto lineId = IdOf(i);
    if (!lineId) continue;
    const auto found = left.find(UpperCase(*lineId));
    if (found == left.end() || found->second == 0) continue;
    --found->second;
    --total;
    EraseLine(i);
  }
}

void TClipHistory::EraseLine(int index) {
  CountId(index, -1);
  const TLineRef gone = lines_[static_cast<size_t>(index)];
  lines_.erase(lines_.begin() + index);
  Forget(gone);
  Notify([index](TClipHistoryView& v) { v.LineRemoved(index); });
}

void TClipHistory::CountId(int index, int delta) {
  const auto id = IdOf(index);
  if (!id) return;
  store_.CountLines(UpperCase(*id), delta);
}

void TClipHistory::RecountIds() {
  store_.ClearLineCounts();
  for (int i = 0; i < Count(); ++i) CountId(i, +1);
  store_.ForgetUnlistedKept();
}

void TClipHistory::DropOrphanExactTexts() {
  if (!exact_.empty())
    std::erase_if(exact_, [this](const auto& entry) { return !store_.HasHeaderKey(entry.first); });
}

void TClipHistory::MoveToTop(int index) {
  MoveLineToTop(index);
  for (int i = kClipListLimit; i < Count(); ++i)
    if (!Kept(i)) {
      RemoveLine(i);
      break;
    }
}

bool TClipHistory::Kept(int index) const {
  const auto id = IdOf(index);
  return id && store_.IsKept(UpperCase(*id));
}

int TClipHistory::KeptCount() const {
  int kept = 0;
  for (int i = 0; i < Count(); ++i) kept += Kept(i) ? 1 : 0;
  return kept;
}

std::vector<std::string> TClipHistory::KeptIds() const {
  std::vector<std::string> ids;
  if (!store_.AnyKept()) return ids;  // every save asks: no walk through the lines then
  std::unordered_set<std::string> taken;
  for (int i = 0; i < Count(); ++i)
    if (const auto id = IdOf(i)) {
      std::string key = UpperCase(*id);
      if (store_.IsKept(key) && taken.insert(key).second) ids.push_back(std::move(key));
    }
  return ids;
}

void TClipHistory::LinesOfIdChanged(const std::string& key) {
  if (!view_) return;
  for (int i = 0; i < Count(); ++i)
    if (CarriesId(i, key)) view_->LineChanged(i);
}

bool TClipHistory::SetKeptId(std::string_view id, bool kept) {
  const std::string key = UpperCase(std::string(id));
  if (!store_.Listed(key)) return false;
  if (store_.IsKept(key) == kept) return true;
  store_.SetKept(key, kept);
  LinesOfIdChanged(key);
  if (log_) log_->KeptChanged(key, kept);
  return true;
}

bool TClipHistory::SetKept(int index, bool kept) {
  const auto id = IdOf(index);
  return id && SetKeptId(*id, kept);
}

void TClipHistory::Delete(int index) {
  if (log_) log_->Deleted(index, Line(index));
  const auto id = IdOf(index);
  if (!id) {
    EraseLine(index);
    return;
  }
  const std::string key = UpperCase(*id);
  // Every line that leads to the text goes with it: none may show a clip that is gone.
  for (int i = Count() - 1; i >= 0 && store_.Listed(key); --i)
    if (CarriesId(i, key)) EraseLine(i);
  store_.SetKept(key, false);
  store_.RemoveClip(key);
  exact_.erase(key);
  DropOrphanExactTexts();
}

void TClipHistory::Clear() {
  if (log_) log_->Clearing();
  const std::vector<std::string> kept = KeptIds();
  if (kept.empty()) {
    SetLines({});
    store_.Clear();
    RecountIds();
    exact_.clear();
  } else {
    std::vector<std::string> lines;
    for (int i = 0; i < Count(); ++i)
      if (Kept(i)) lines.push_back(Line(i));
    store_.KeepOnly([this](const std::string& key) { return store_.IsKept(key); });
    SetLines(std::vector<std::string_view>(lines.begin(), lines.end()));
    DropOrphanExactTexts();
  }
  Notify([](TClipHistoryView& v) { v.LinesReset(); });
}

void TClipHistory::AssignKept(const std::vector<std::string>& ids) {
  for (const std::string& id : ids) {
    const std::string key = UpperCase(id);
    if (store_.Listed(key)) store_.SetKept(key, true);
  }
  Notify([](TClipHistoryView& v) { v.LinesReset(); });
}

void TClipHistory::ReplaceLines(const std::vector<std::string_view>& lines) {
  SetLines(lines);
  Notify([](TClipHistoryView& v) { v.LinesReset(); });
  if (log_) log_->Reordered(*this);
}

void TClipHistory::Sort(const TLineOrder& before) {
  const TClipLines whole = Lines();
  std::vector<int> order(lines_.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return before(whole[static_cast<size_t>(a)], whole[static_cast<size_t>(b)]);
  });
  std::deque<TLineRef> sorted;
  for (int i : order) sorted.push_back(lines_[static_cast<size_t>(i)]);
  lines_ = std::move(sorted);
  Notify([&order](TClipHistoryView& v) { v.LinesReordered(order); });
  if (log_) log_->Reordered(*this);
}

std::vector<std::string> TClipHistory::Assign(std::string_view listFile, std::string storeFile,
                                              size_t lead, TExactTextMap exact) {
  store_.LoadImage(std::move(storeFile), lead);
  SetLines(SplitListLines(listFile));
  std::vector<std::string> orphans;
  std::erase_if(exact, [&](const auto& entry) {
    if (store_.HasHeaderKey(entry.first)) return false;
    orphans.push_back(entry.first);
    return true;
  });
  exact_ = std::move(exact);
  Notify([](TClipHistoryView& v) { v.LinesReset(); });
  return orphans;
}

std::string TClipHistory::ListImage() const {
  std::string image;
  image.reserve(pool_.size() - pool_garbage_ + lines_.size() * (kListLineMarker.size() + 2));
  for (const TLineRef& line : lines_) {
    AppendLine(line, image);
    image.append("\r\n");
  }
  return image;
}

std::string TClipHistory::ExactImage() const {
  // Store order, so the file reads like the store; only clips the store still holds.
  std::vector<std::pair<std::string, std::string>> blocks;
  std::unordered_set<std::string> taken;
  if (!exact_.empty())
    for (const TStoreSegment& segment : store_.Segments())
      if (const std::string* text = segment.key.empty() ? nullptr : ExactTextOfId(segment.key))
        if (taken.insert(segment.key).second) blocks.emplace_back(segment.key, *text);
  return ExactTextsImage(blocks);
}

}  // namespace qv
