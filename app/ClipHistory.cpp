#include "app/ClipHistory.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <numeric>
#include <unordered_set>

#include "framework/FileIO.h"
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
                     compact};
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
  // A line whose text is gone still carries its id: a new clip with that id would be
  // what the old line recalls.
  std::string id = NextUniqueClipId(ids, store_, text,
                                    [this](const std::string& key) { return store_.Listed(key); });
  if (!AddClip(text, id, BuildDisplayText(text, width), exact)) return std::nullopt;
  return id;
}

bool TClipHistory::AddClip(std::string_view text, std::string_view id, std::string_view display,
                           std::string_view exact) {
  return AddClipLine(text, id, MakeListLine(display, id), exact);
}

bool TClipHistory::AddClipLine(std::string_view text, std::string_view id, std::string line,
                               std::string_view exact) {
  std::vector<std::string> evicted;
  const size_t before = store_.Size();
  if (!store_.AddClip(text, id, nullptr, &evicted)) return false;
  // A block adds more than its text; growing by no more than that, the store let clips go.
  if (!exact_.empty() && store_.Size() <= before + text.size())
    std::erase_if(exact_, [this](const auto& entry) { return !store_.HasHeaderKey(entry.first); });
  if (!exact.empty()) exact_[UpperCase(std::string(id))] = std::string(exact);
  if (!evicted.empty()) RemoveLinesOf(evicted);
  lines_.push_front(Keep(line));
  CountId(0, +1);
  Notify([](TClipHistoryView& v) { v.LineInserted(0); });
  // The lines the store's room-making took are not journaled: replaying the capture onto
  // the same history makes the same room.
  // The exact text, where there is one, rides along as a fourth field.
  if (exact.empty())
    Journal(TJournalKind::Capture, {id, line, text});
  else
    Journal(TJournalKind::Capture, {id, line, text, exact});
  return true;
}

void TClipHistory::MoveLineToTop(int index) {
  if (index == 0) return;
  const TLineRef line = lines_[static_cast<size_t>(index)];
  lines_.erase(lines_.begin() + index);
  lines_.push_front(line);
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
}

void TClipHistory::MoveToTop(int index) {
  Line(index);  // the index check
  MoveLineToTop(index);
  Notify([index](TClipHistoryView& v) { v.LineMoved(index, 0); });
  Journal(TJournalKind::Move, {JournalIndexField(static_cast<uint32_t>(index)), Line(0)});
  if (Count() > kClipListLimit) {
    Journal(TJournalKind::Remove, {JournalIndexField(kClipListLimit), Line(kClipListLimit)});
    EraseLine(kClipListLimit);
  }
}

void TClipHistory::Clear() {
  SetLines({});
  store_.Clear();
  RecountIds();
  exact_.clear();
  Notify([](TClipHistoryView& v) { v.LinesReset(); });
  Journal(TJournalKind::Clear, {});
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
  // Rare (only while saving is suppressed, when nothing is journaled): the whole list.
  if (journaling_) {
    const bool first = journal_pending_.empty();
    std::vector<std::string> lines;
    for (int i : order) lines.push_back(whole[static_cast<size_t>(i)]);
    AppendJournalEntry(journal_pending_, TJournalKind::Lines, lines);
    if (first && OnJournalPending) OnJournalPending();
  }
}

void TClipHistory::Load() {
  const std::string listPath = ListPath(), storePath = StorePath();
  journaling_ = false;
  journal_pending_.clear();
  replayed_ = {};
  list_unread_ = PathExists(listPath);
  store_unread_ = PathExists(storePath);
  exact_unread_ = PathExists(ExactPath());
  exact_lost_ = false;
  exact_.clear();
  std::exception_ptr failed;
  bool missing = false;
  const bool* reading = &list_unread_;
  try {
    // A first start: neither file is there yet, so nothing failed and nothing is said.
    if (!list_unread_ && !store_unread_) {
      SetLines({});
      store_.Clear();
      Notify([](TClipHistoryView& v) { v.LinesReset(); });
      LoadExactTexts();
    } else {
      std::string bytes;
      if (!ReadWholeFile(listPath, bytes)) throw EFOpenError(MsgCannotOpenFile(listPath));
      SetLines(SplitListLines(bytes));
      std::string().swap(bytes);
      list_unread_ = false;
      Notify([](TClipHistoryView& v) { v.LinesReset(); });
      reading = &store_unread_;
      store_.LoadFromFile(storePath);
      store_unread_ = false;
      LoadExactTexts();
    }
  } catch (const EFOpenError&) {
    failed = std::current_exception();
    missing = !*reading;
  }
  const bool replayed = ReplayJournal();
  journaling_ = true;
  if (replayed) {
    Save();
    // The file is there now; one that was there but could not be read is still worth a word.
    if (missing) failed = nullptr;
  }
  if (failed) std::rethrow_exception(failed);
}

void TClipHistory::LoadExactTexts() {
  if (!exact_unread_) return;
  std::string bytes;
  if (!ReadWholeFile(ExactPath(), bytes)) {
    exact_lost_ = true;  // set aside at the save, like the other two
    return;
  }
  exact_unread_ = false;
  exact_lost_ = ReadExactTexts(bytes, exact_).damaged;
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

bool TClipHistory::ReplayJournal() {
  const std::string path = JournalPath();
  std::string bytes;
  if (!ReadWholeFile(path, bytes) || bytes.empty()) return false;
  const TJournalRead read = ReadJournal(bytes);
  for (const TJournalEntry& entry : read.entries) Apply(entry);
  replayed_.replayed = static_cast<int>(read.entries.size());
  replayed_.damaged = read.end == TJournalEnd::Damaged;
  if (read.end != TJournalEnd::Whole) {
    // Entries appended after a broken one would never be read: the journal keeps only
    // its sound entries, until the save that follows empties it. A damaged one is kept
    // aside whole for whoever wants to look.
    if (replayed_.damaged) {
      bool aside = true;
      try {
        SetAside(path, aside);
      } catch (const EFCreateError&) {
        // Not kept; the sound part is written over it below.
      }
    }
    WriteFileAtomically(path, bytes.substr(0, read.soundLength));
  }
  return true;
}

int TClipHistory::FindLine(const std::string& indexField, const std::string& line) const {
  const uint32_t at = JournalIndexOf(indexField);
  if (at < lines_.size() && LineIs(static_cast<int>(at), line)) return static_cast<int>(at);
  for (int i = 0; i < Count(); ++i)
    if (LineIs(i, line)) return i;
  return -1;
}

void TClipHistory::Apply(const TJournalEntry& e) {
  switch (e.kind) {
    case TJournalKind::Capture:
      // A block with its id is already there: this journal was saved before.
      if (!store_.HasHeaderKey(e.fields[0]))
        AddClipLine(e.fields[2], e.fields[0], e.fields[1],
                    e.fields.size() > 3 ? std::string_view(e.fields[3]) : std::string_view());
      break;
    case TJournalKind::Move: {
      // Looked for by its text, so that a list ordered while nothing was journaled
      // still moves the right line.
      const int i = FindLine(e.fields[0], e.fields[1]);
      if (i < 0) break;
      MoveLineToTop(i);
      Notify([i](TClipHistoryView& v) { v.LineMoved(i, 0); });
      break;
    }
    case TJournalKind::Remove: {
      const int i = FindLine(e.fields[0], e.fields[1]);
      if (i >= 0) EraseLine(i);
      break;
    }
    case TJournalKind::Clear:
      Clear();
      break;
    case TJournalKind::Lines:
      SetLines(std::vector<std::string_view>(e.fields.begin(), e.fields.end()));
      Notify([](TClipHistoryView& v) { v.LinesReset(); });
      break;
  }
}

void TClipHistory::Journal(TJournalKind kind, std::initializer_list<std::string_view> fields) {
  if (!journaling_) return;
  const bool first = journal_pending_.empty();
  AppendJournalEntry(journal_pending_, kind, fields);
  if (first && OnJournalPending) OnJournalPending();
}

bool TClipHistory::FlushJournal() {
  if (journal_pending_.empty()) return true;
  if (!AppendToFileDurably(JournalPath(), journal_pending_)) return false;
  journal_pending_.clear();
  return true;
}

void TClipHistory::EmptyJournal() {
  journal_pending_.clear();
  const std::string path = JournalPath();
  if (std::remove(path.c_str()) == 0 || !PathExists(path)) return;
  // Held open by another program: emptied is as good as gone.
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) throw EFCreateError(MsgCannotCreateFile(path));
  std::fclose(file);
}

std::string TClipHistory::ReplayNote() const {
  if (!replayed_.damaged) return {};
  return Format(
      "Part of the record of clips not yet saved (%s) was damaged and could not be read. "
      "%d change(s) before the damaged part were restored; the damaged record was kept as a "
      ".bak file beside it.",
      kClipJournalFile, replayed_.replayed);
}

void TClipHistory::Save() {
  const std::string listPath = ListPath(), storePath = StorePath();
  SetAside(storePath, store_unread_);
  store_.SaveToFile(storePath);
  SaveExactTexts();
  SetAside(listPath, list_unread_);
  std::string image;
  image.reserve(pool_.size() - pool_garbage_ + lines_.size() * (kListLineMarker.size() + 2));
  for (const TLineRef& line : lines_) {
    AppendLine(line, image);
    image.append("\r\n");
  }
  if (!WriteFileAtomically(listPath, image)) throw EFCreateError(MsgCannotCreateFile(listPath));
  EmptyJournal();
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
