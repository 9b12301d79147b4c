#include "app/ClipStore.h"

#include <algorithm>
#include <cstring>

#include "framework/FileIO.h"
#include "framework/SysUtils.h"

namespace qv {

namespace {

// The markers are lower case; letter case in the store is not significant.
bool StartsWithMarker(std::string_view line, std::string_view marker) {
  if (line.size() < marker.size()) return false;
  for (size_t i = 0; i < marker.size(); ++i) {
    const char c = line[i];
    const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    if (lower != marker[i]) return false;
  }
  return true;
}

// Calls visit(line) for each line of CR LF text, a last empty line not included.
template <typename Visit>
void ForEachNormalizedLine(std::string_view text, Visit visit) {
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p < end) {
    const void* hit = std::memchr(p, '\r', static_cast<size_t>(end - p));
    const char* lineEnd = hit ? static_cast<const char*>(hit) : end;
    visit(std::string_view(p, static_cast<size_t>(lineEnd - p)));
    if (lineEnd == end) break;
    p = lineEnd + 2;
  }
}

// Whether a line of the text (any line break) is the id's trailer key, letter case ignored.
bool HasTrailerLine(std::string_view text, std::string_view id) {
  const std::string key = UpperCase(TrailerKey(id));
  // The marker starts with "/:", which has no letters to fold.
  for (size_t at = text.find("/:"); at != std::string_view::npos; at = text.find("/:", at + 1)) {
    const size_t end = at + key.size();
    if (end > text.size()) break;
    const bool startsLine = at == 0 || text[at - 1] == '\n' || text[at - 1] == '\r';
    const bool endsLine = end == text.size() || text[end] == '\r' || text[end] == '\n';
    if (startsLine && endsLine && UpperCase(std::string(text.substr(at, key.size()))) == key)
      return true;
  }
  return false;
}

bool IsBlank(std::string_view line) {
  return std::all_of(line.begin(), line.end(),
                     [](char c) { return static_cast<unsigned char>(c) <= 32; });
}

// Enough for any real tick count; only a clock stuck near zero gets this far.
constexpr int kMaxIdRounds = 1000;

}  // namespace

int32_t TClipIdGenerator::Draw() {
  const uint32_t ticks = tickSource_();
  seed_ = seed_ * 134775813u + 1u;
  return static_cast<int32_t>(static_cast<uint32_t>((uint64_t{ticks} * seed_) >> 32));
}

std::string TClipIdGenerator::FormatId(int32_t r1, int32_t r2) {
  return Format("%7.7d", r1).substr(0, 7) + Format("%6.6d", r2).substr(0, 6);
}

std::string TClipIdGenerator::Next() {
  Draw();  // the first draw is thrown away
  const int32_t r1 = Draw();
  const int32_t r2 = Draw();
  return FormatId(r1, r2);
}

std::string HeaderKey(std::string_view id) {
  std::string key(kHeaderMarker);
  key.append(id);
  return key;
}

std::string TrailerKey(std::string_view id) {
  std::string key(kTrailerMarker);
  key.append(id);
  return key;
}

std::string MakeBlock(std::string_view id, std::string_view text) {
  std::string block;
  block.reserve(2 * (kHeaderMarker.size() + id.size()) + text.size() + 4);
  block.append(kHeaderMarker).append(id).append("\r\n");
  block.append(text).append("\r\n");
  block.append(kTrailerMarker).append(id);
  return block;
}

std::string MakeListLine(std::string_view display, std::string_view id) {
  std::string line(display);
  line.append(kListLineMarker).append(id);
  return line;
}

std::optional<std::string> ListLineId(std::string_view listLine) {
  const size_t marker = listLine.rfind(kHeaderMarker);
  if (marker == std::string_view::npos) return std::nullopt;
  const size_t from = marker + kHeaderMarker.size();
  if (listLine.size() - from < kClipIdLength) return std::nullopt;
  return std::string(listLine.substr(from, kClipIdLength));
}

std::string_view ListLineDisplay(std::string_view listLine) {
  const size_t marker = listLine.rfind(kHeaderMarker);
  if (marker == std::string_view::npos) return listLine;
  std::string_view display = listLine.substr(0, marker);
  const std::string_view spaces =
      kListLineMarker.substr(0, kListLineMarker.size() - kHeaderMarker.size());
  if (display.size() >= spaces.size() && display.substr(display.size() - spaces.size()) == spaces)
    display.remove_suffix(spaces.size());
  return display;
}

TDisplayLine ChooseDisplayLine(std::string_view text) {
  int count = 0;
  std::string_view first, chosen;
  bool found = false;
  auto visit = [&](std::string_view line) {
    line = line.substr(0, TTextBuffer::kMaxLineAccess);
    if (count == 0) first = line;
    if (!found && !IsBlank(line)) {
      found = true;
      chosen = line;
    }
    ++count;
  };
  // Any of CR LF, lone CR and lone LF ends a line, as when the text is pasted into a buffer.
  size_t p = 0;
  while (p < text.size()) {
    const size_t brk = text.find_first_of("\r\n", p);
    if (brk == std::string_view::npos) {
      visit(text.substr(p));  // a last line that is not empty
      break;
    }
    visit(text.substr(p, brk - p));
    p = brk + ((text[brk] == '\r' && brk + 1 < text.size() && text[brk + 1] == '\n') ? 2 : 1);
  }
  return TDisplayLine{std::string(found ? chosen : first), count};
}

size_t CutLength(size_t length, const std::function<int(size_t)>& widthOfStart, int limit) {
  auto fits = [&](size_t n) { return widthOfStart(n) <= limit; };
  // Invariant: the start of lo characters fits (the empty start always does), the start
  // of hi characters does not (length + 1 stands for "past the end").
  size_t lo = 0, hi = length + 1;
  size_t probe = std::min(length, static_cast<size_t>(std::max(limit, 0)) + 1);
  while (hi - lo > 1) {
    if (probe <= lo || probe >= hi) probe = lo + (hi - lo) / 2;
    if (fits(probe))
      lo = probe;
    else
      hi = probe;
    probe = 0;
  }
  return lo;
}

TCutResult CutToWidth(std::string_view line, const TTextWidthFunction& width, int limit) {
  const size_t fits = CutLength(
      line.size(), [&](size_t n) { return width(std::string(line.substr(0, n))); }, limit);
  return TCutResult{std::string(line.substr(0, fits)), fits < line.size()};
}

std::string BuildDisplayText(std::string_view text, const TTextWidthFunction& width) {
  const TDisplayLine display = ChooseDisplayLine(text);
  TCutResult cut = CutToWidth(display.line, width, kDisplayWidthLimit);
  if (cut.truncated || display.lineCount >= 2) cut.text.append(kDisplaySuffix);
  return cut.text;
}

std::vector<TStoreSegment> SplitStore(std::string_view text) {
  const size_t keyLength = kHeaderMarker.size() + kClipIdLength;
  // Every trailer line, in store order. A block's trailer is nearly always the next of
  // them; only when it is not are they sorted by id, once, so that the split stays linear
  // however the text is made.
  std::vector<size_t> trailers;
  ForEachNormalizedLine(text, [&](std::string_view line) {
    if (line.size() == keyLength && StartsWithMarker(line, kTrailerMarker))
      trailers.push_back(static_cast<size_t>(line.data() - text.data()));
  });
  auto idAt = [&](size_t at) { return text.substr(at + kTrailerMarker.size(), kClipIdLength); };
  std::unordered_map<std::string, std::vector<size_t>> byId;
  bool byIdBuilt = false;
  // The first trailer line of the id after p; npos for none.
  size_t nextTrailer = 0;
  auto trailerOf = [&](const std::string& key, size_t p) -> size_t {
    while (nextTrailer < trailers.size() && trailers[nextTrailer] <= p) ++nextTrailer;
    if (nextTrailer == trailers.size()) return std::string_view::npos;
    if (UpperCase(std::string(idAt(trailers[nextTrailer]))) == key) return trailers[nextTrailer];
    if (!byIdBuilt) {
      for (size_t at : trailers) byId[UpperCase(std::string(idAt(at)))].push_back(at);
      byIdBuilt = true;
    }
    const auto found = byId.find(key);
    if (found == byId.end()) return std::string_view::npos;
    const auto t = std::upper_bound(found->second.begin(), found->second.end(), p);
    return t == found->second.end() ? std::string_view::npos : *t;
  };
  std::vector<TStoreSegment> segments;
  size_t looseFrom = std::string_view::npos, looseEnd = 0;
  auto endLoose = [&] {
    if (looseFrom == std::string_view::npos) return;
    segments.push_back(TStoreSegment{looseFrom, looseEnd - looseFrom, std::string()});
    looseFrom = std::string_view::npos;
  };
  size_t p = 0;
  while (p < text.size()) {
    const size_t cr = text.find('\r', p);
    const size_t lineEnd = cr == std::string_view::npos ? text.size() : cr;
    const std::string_view line = text.substr(p, lineEnd - p);
    if (line.size() == keyLength && StartsWithMarker(line, kHeaderMarker)) {
      std::string key = UpperCase(std::string(line.substr(kHeaderMarker.size())));
      const size_t t = trailerOf(key, p);
      if (t != std::string_view::npos) {
        endLoose();
        const size_t end = t + keyLength;
        segments.push_back(TStoreSegment{p, end - p, std::move(key)});
        p = end + 2;
        continue;
      }
    }
    if (looseFrom == std::string_view::npos) looseFrom = p;
    looseEnd = lineEnd;
    p = lineEnd + 2;
  }
  endLoose();
  return segments;
}

void TClipStore::Index() {
  segments_.clear();
  unlisted_.clear();
  origin_ = 0;
  // The line counts stay; the blocks are found anew.
  for (auto use = ids_.begin(); use != ids_.end();) {
    use->second.block = kNoBlock;
    use = Idle(use->second) ? ids_.erase(use) : std::next(use);
  }
  std::vector<TStoreSegment> split = SplitStore(buffer_.View());
  ids_.reserve(split.size());
  // Numbered oldest first; the newest block of an id is the one its lines find.
  next_seq_ = split.size();
  std::vector<bool> listed(split.size());
  for (size_t i = 0; i < split.size(); ++i) {
    if (split[i].key.empty()) continue;
    TIdUse& use = ids_[split[i].key];
    if (use.block != kNoBlock) continue;
    use.block = next_seq_ - 1 - i;
    listed[i] = use.lines > 0;
  }
  for (size_t i = split.size(); i-- > 0;) {
    TStoreSegment& s = split[i];
    const uint64_t seq = next_seq_ - 1 - i;
    if (!listed[i]) unlisted_.insert(unlisted_.end(), seq);
    segments_.push_back(TSegment{static_cast<int64_t>(s.offset), s.length, seq, !s.key.empty()});
  }
}

std::string TClipStore::KeyOf(const TSegment& segment) const {
  if (!segment.block) return {};
  return UpperCase(std::string(
      buffer_.View().substr(OffsetOf(segment.at) + kHeaderMarker.size(), kClipIdLength)));
}

size_t TClipStore::IndexOfSeq(uint64_t seq) const {
  const auto found = std::lower_bound(segments_.begin(), segments_.end(), seq,
                                      [](const TSegment& s, uint64_t n) { return s.seq < n; });
  if (found == segments_.end() || found->seq != seq) return npos;
  return static_cast<size_t>(found - segments_.begin());
}

uint64_t TClipStore::BlockOf(const std::string& key) const {
  const auto use = ids_.find(key);
  return use == ids_.end() ? kNoBlock : use->second.block;
}

void TClipStore::DropBlock(const std::string& key, uint64_t seq) {
  const auto use = ids_.find(key);
  if (use == ids_.end() || use->second.block != seq) return;
  use->second.block = kNoBlock;
  if (Idle(use->second)) ids_.erase(use);
}

void TClipStore::CountLines(const std::string& key, int delta) {
  TIdUse& use = ids_[key];
  const bool was = use.lines > 0;
  use.lines = std::max(0, use.lines + delta);
  const bool now = use.lines > 0;
  if (!now) MarkKept(use, false);  // a mark lives as long as a line carries its id
  if (was != now && use.block != kNoBlock) {
    if (now)
      unlisted_.erase(use.block);
    else
      unlisted_.insert(use.block);
  }
  if (Idle(use)) ids_.erase(key);
}

int TClipStore::LinesOf(const std::string& key) const {
  const auto use = ids_.find(key);
  return use == ids_.end() ? 0 : use->second.lines;
}

void TClipStore::ClearLineCounts() {
  for (auto use = ids_.begin(); use != ids_.end();) {
    use->second.lines = 0;
    use = Idle(use->second) ? ids_.erase(use) : std::next(use);
  }
  unlisted_.clear();
  for (const TSegment& segment : segments_) unlisted_.insert(unlisted_.end(), segment.seq);
}

void TClipStore::SetKept(const std::string& key, bool kept) {
  if (kept) {
    MarkKept(ids_[key], true);
    return;
  }
  const auto use = ids_.find(key);
  if (use == ids_.end()) return;
  MarkKept(use->second, false);
  if (Idle(use->second)) ids_.erase(use);
}

void TClipStore::MarkKept(TIdUse& use, bool kept) {
  if (use.kept == kept) return;
  use.kept = kept;
  kept ? ++kept_count_ : --kept_count_;
}

bool TClipStore::AnyKept() const {
  return kept_count_ > 0;
}

bool TClipStore::IsKept(const std::string& key) const {
  const auto use = ids_.find(key);
  return use != ids_.end() && use->second.kept;
}

bool TClipStore::RemoveClip(const std::string& key) {
  // Older blocks under the id too, and blocks no line shows that hold the same text (a
  // password copied twice, trimmed out of sight): the text must not stay in the store.
  const std::optional<std::string_view> found = TextOf(key);
  const std::string text = found ? std::string(*found) : std::string();
  bool removed = false;
  for (size_t i = segments_.size(); i-- > 0;) {
    const TSegment& segment = segments_[i];
    if (!segment.block) continue;
    const std::string_view id =
        buffer_.View().substr(OffsetOf(segment.at) + kHeaderMarker.size(), kClipIdLength);
    const bool same = IsIdOfKey(id, key) ||
                      (found && unlisted_.count(segment.seq) > 0 && BodyOf(segment) == text);
    if (!same) continue;
    RemoveSegment(i);
    removed = true;
  }
  return removed;
}

void TClipStore::ForgetUnlistedKept() {
  for (auto use = ids_.begin(); use != ids_.end();) {
    if (use->second.lines == 0) MarkKept(use->second, false);
    use = Idle(use->second) ? ids_.erase(use) : std::next(use);
  }
}

std::string_view BlockText(std::string_view block) {
  const size_t keyLine = kHeaderMarker.size() + kClipIdLength + 2;  // a key line and its break
  if (block.size() < 2 * keyLine) return std::string_view();        // no line between the two
  return block.substr(keyLine, block.size() - 2 * keyLine);
}

std::string_view TClipStore::BodyOf(const TSegment& segment) const {
  return BlockText(buffer_.View().substr(OffsetOf(segment.at), segment.length));
}

void TClipStore::ForEachBlock(
    const std::function<void(std::string_view id, std::string_view text)>& visit) const {
  for (auto s = segments_.rbegin(); s != segments_.rend(); ++s)
    if (s->block)
      visit(buffer_.View().substr(OffsetOf(s->at) + kHeaderMarker.size(), kClipIdLength), BodyOf(*s));
}

void TClipStore::KeepOnly(const std::function<bool(const std::string& key)>& keep) {
  std::string text;
  for (auto s = segments_.rbegin(); s != segments_.rend(); ++s) {
    if (!s->block) continue;
    const std::string key = KeyOf(*s);
    if (BlockOf(key) != s->seq || !keep(key)) continue;
    if (!text.empty()) text.append("\r\n");
    text.append(buffer_.View().substr(OffsetOf(s->at), s->length));
  }
  buffer_.SetText(text);
  Index();
}

std::vector<TStoreSegment> TClipStore::Segments() const {
  std::vector<TStoreSegment> out;
  out.reserve(segments_.size());
  for (auto s = segments_.rbegin(); s != segments_.rend(); ++s)
    out.push_back(TStoreSegment{OffsetOf(s->at), s->length, KeyOf(*s)});
  return out;
}

bool TClipStore::IsListed(const TSegment& segment, const TListedFunction& listed) const {
  if (!segment.block || !listed) return false;
  // An older block under a repeated id is found by no list line.
  const std::string key = KeyOf(segment);
  return BlockOf(key) == segment.seq && listed(key);
}

void TClipStore::RemoveSegment(size_t i) {
  const TSegment gone = segments_[i];
  const std::string key = KeyOf(gone);  // read before its text goes
  const size_t offset = OffsetOf(gone.at);
  size_t from = offset, count = gone.length;
  const bool last = offset + count >= buffer_.Size();
  if (!last)
    count += 2;  // the break after it
  else if (offset >= 2) {
    from -= 2;  // the last lines: the break before them
    count += 2;
  }
  buffer_.Erase(from, count);
  if (gone.block) DropBlock(key, gone.seq);
  unlisted_.erase(gone.seq);
  // The segments below the gap moved up by count. Shift whichever side is shorter: the
  // ones below, or the origin and the ones above.
  const int64_t by = static_cast<int64_t>(count);
  if (i < segments_.size() - 1 - i) {
    for (size_t j = 0; j < i; ++j) segments_[j].at -= by;
  } else {
    origin_ += by;
    for (size_t j = i + 1; j < segments_.size(); ++j) segments_[j].at += by;
  }
  segments_.erase(segments_.begin() + static_cast<std::ptrdiff_t>(i));
  // The store now ends where the run above ended; an empty last line of it is no line then,
  // as a fresh reading would find.
  if (last && i == 0 && !segments_.empty() && !segments_[0].block) {
    TSegment& end = segments_[0];
    const std::string_view text = buffer_.View();
    if (end.length == 0)
      segments_.pop_front();
    else if (end.length >= 2 && text.substr(OffsetOf(end.at) + end.length - 2, 2) == "\r\n")
      end.length -= 2;
  }
}

bool TClipStore::AddClip(std::string_view text, std::string_view id, const TListedFunction& listed,
                         std::vector<std::string>* evictedListed) {
  const std::string block = TTextBuffer::NormalizeLineBreaks(MakeBlock(id, text));
  if (block.size() > capacity_ || id.size() != kClipIdLength ||
      id.find_first_of("\r\n") != std::string_view::npos)
    return false;
  const std::string key = UpperCase(std::string(id));
  const std::string_view body(block.data() + kHeaderMarker.size() + kClipIdLength + 2,
                              block.size() - 2 * (kHeaderMarker.size() + kClipIdLength + 2));
  if (HasTrailerLine(body, id)) return false;
  auto sizeWith = [&] { return block.size() + (buffer_.Empty() ? 0 : 2 + buffer_.Size()); };
  const bool tracking = !listed;
  auto isListed = [&](const TSegment& segment) {
    return tracking ? unlisted_.count(segment.seq) == 0 : IsListed(segment, listed);
  };
  // The newest block of a kept id: the one its lines find.
  auto isKept = [&](const TSegment& segment) {
    if (!segment.block) return false;
    const std::string key = KeyOf(segment);
    return IsKept(key) && BlockOf(key) == segment.seq;
  };
  kept_in_the_way_ = false;
  if (sizeWith() > capacity_) {
    // Unlisted blocks first, then listed ones, oldest first in both rounds; each block
    // frees its length and one break.
    const size_t needed = sizeWith() - capacity_;
    std::vector<size_t> victims;
    size_t freed = 0;
    auto take = [&](size_t i) {
      victims.push_back(i);
      freed += segments_[i].length + 2;
    };
    if (tracking) {
      for (auto seq = unlisted_.begin(); seq != unlisted_.end() && freed < needed; ++seq)
        take(IndexOfSeq(*seq));
    }
    for (int round = tracking ? 1 : 0; round < 2 && freed < needed; ++round)
      for (size_t i = 0; i < segments_.size() && freed < needed; ++i)
        if (isListed(segments_[i]) == (round == 1) && !(round == 1 && isKept(segments_[i])))
          take(i);
    if (freed < needed) {
      // Only kept clips could make the room: the new one is not taken.
      kept_in_the_way_ = true;
      return false;
    }
    std::sort(victims.begin(), victims.end());
    for (auto v = victims.rbegin(); v != victims.rend(); ++v) {
      if (evictedListed && isListed(segments_[*v])) evictedListed->push_back(KeyOf(segments_[*v]));
      RemoveSegment(*v);
    }
  }
  origin_ -= static_cast<int64_t>(block.size() + (buffer_.Empty() ? 0 : 2));
  buffer_.InsertAtTop(block);
  const uint64_t seq = next_seq_++;
  // An older block under the same id is found by no list line from now on.
  TIdUse& use = ids_[key];
  if (use.block != kNoBlock) unlisted_.insert(use.block);
  use.block = seq;
  if (use.lines == 0) unlisted_.insert(unlisted_.end(), seq);
  segments_.push_back(TSegment{origin_, block.size(), seq, 1});
  return true;
}

bool TClipStore::HasHeaderKey(std::string_view id) const {
  return BlockOf(UpperCase(std::string(id))) != kNoBlock;
}

std::optional<std::string> TClipStore::Locate(std::string_view listLine) const {
  const std::optional<std::string> id = ListLineId(listLine);
  if (!id) return std::nullopt;
  const std::optional<std::string_view> text = TextOf(*id);
  if (!text) return std::nullopt;
  return std::string(*text);
}

std::optional<std::string_view> TClipStore::TextOf(std::string_view id) const {
  const uint64_t block = BlockOf(UpperCase(std::string(id)));
  if (block == kNoBlock) return std::nullopt;
  const size_t i = IndexOfSeq(block);
  if (i == npos) return std::nullopt;
  return BodyOf(segments_[i]);
}

void TClipStore::ForgetKept() {
  for (auto& entry : ids_) entry.second.kept = false;
  kept_count_ = 0;
}

void TClipStore::Clear() {
  buffer_.Clear();
  ForgetKept();
  Index();
}

void TClipStore::SetText(std::string_view text) {
  buffer_.SetText(text);
  ForgetKept();
  Index();
}

void TClipStore::LoadFromFile(const std::string& path) {
  std::string bytes;
  size_t lead = 0;
  ReadWholeFileOrRaise(path, bytes, TTextBuffer::FrontRoomFor, &lead);
  LoadImage(std::move(bytes), lead);
}

void TClipStore::LoadImage(std::string bytes, size_t lead) {
  buffer_.Adopt(std::move(bytes), lead);
  buffer_.DropFinalBreak();
  ForgetKept();
  Index();
}

std::string TClipStore::FileImage() const {
  const std::string_view text = buffer_.View();
  std::string image;
  if (text.empty()) return image;
  image.reserve(text.size() + 2);
  image.append(text).append("\r\n");
  return image;
}

void TClipStore::SaveToFile(const std::string& path) const {
  WriteFileAtomicallyOrRaise(path, FileImage());
}

std::string NextUniqueClipId(TClipIdGenerator& generator, const TClipStore& store,
                             std::string_view text, const TClipStore::TListedFunction& listed) {
  auto taken = [&](const std::string& id) {
    return store.HasHeaderKey(id) || HasTrailerLine(text, id) || (listed && listed(UpperCase(id)));
  };
  std::string id = generator.Next();
  for (int round = 1; round < kMaxIdRounds && taken(id); ++round) id = generator.Next();
  return id;
}

}  // namespace qv
