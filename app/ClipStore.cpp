#include "app/ClipStore.h"

#include <algorithm>
#include <cstring>

#include "framework/SysUtils.h"

namespace qv {

namespace {

bool StartsWithHeaderMarker(std::string_view line) {
  if (line.size() < kHeaderMarker.size()) return false;
  for (size_t i = 0; i < kHeaderMarker.size(); ++i) {
    const char c = line[i];
    const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    if (lower != kHeaderMarker[i]) return false;  // the marker itself is lower case
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

std::optional<std::string> LocateClipText(const TTextBuffer& store, std::string_view listLine) {
  const std::optional<std::string> id = ListLineId(listLine);
  if (!id) return std::nullopt;
  const std::string header = HeaderKey(*id);
  const size_t headerAt = store.FindLine(header, 0);
  if (headerAt == TTextBuffer::npos) return std::nullopt;
  const size_t body = headerAt + header.size() + 2;  // past the header line and its break
  if (body > store.Size()) return std::nullopt;
  const size_t trailerAt = store.FindLine(TrailerKey(*id), body);
  if (trailerAt == TTextBuffer::npos) return std::nullopt;
  if (trailerAt == body) return std::string();  // no line between the two
  return std::string(store.View().substr(body, trailerAt - 2 - body));
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

TCutResult CutToWidth(std::string_view line, const TTextWidthFunction& width, int limit) {
  const size_t length = line.size();
  auto fits = [&](size_t n) { return width(std::string(line.substr(0, n))) <= limit; };
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
  return TCutResult{std::string(line.substr(0, lo)), lo < length};
}

std::string BuildDisplayText(std::string_view text, const TTextWidthFunction& width) {
  const TDisplayLine display = ChooseDisplayLine(text);
  TCutResult cut = CutToWidth(display.line, width, kDisplayWidthLimit);
  if (cut.truncated || display.lineCount >= 2) cut.text.append(kDisplaySuffix);
  return cut.text;
}

void TClipStore::IndexHeaderLines(std::string_view normalized) {
  ForEachNormalizedLine(normalized, [this](std::string_view line) {
    if (StartsWithHeaderMarker(line)) headerLines_.insert(UpperCase(std::string(line)));
  });
}

bool TClipStore::AddClip(std::string_view text, std::string_view id) {
  const std::string block = TTextBuffer::NormalizeLineBreaks(MakeBlock(id, text));
  const size_t newSize = block.size() + (buffer_.Empty() ? 0 : 2 + buffer_.Size());
  if (newSize > kStoreCapacity) return false;
  buffer_.InsertAtTop(block);
  IndexHeaderLines(block);
  return true;
}

bool TClipStore::HasHeaderKey(std::string_view id) const {
  return headerLines_.count(UpperCase(HeaderKey(id))) != 0;
}

void TClipStore::Clear() {
  buffer_.Clear();
  headerLines_.clear();
}

void TClipStore::LoadFromFile(const std::string& path) {
  TTextBuffer loaded;
  loaded.LoadFromFile(path);
  buffer_ = std::move(loaded);
  headerLines_.clear();
  IndexHeaderLines(buffer_.View());
}

std::string NextUniqueClipId(TClipIdGenerator& generator, const TClipStore& store) {
  std::string id = generator.Next();
  for (int round = 1; round < kMaxIdRounds && store.HasHeaderKey(id); ++round)
    id = generator.Next();
  return id;
}

}  // namespace qv
