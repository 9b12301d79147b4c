#include "framework/TextBuffer.h"

#include <algorithm>
#include <cstring>

#include "framework/FileIO.h"
#include "framework/SysUtils.h"

namespace qv {

namespace {

const char* FindByte(const char* from, const char* end, char c) {
  const void* hit = std::memchr(from, c, static_cast<size_t>(end - from));
  return hit ? static_cast<const char*>(hit) : end;
}

inline unsigned char FoldAscii(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

bool SameTextAt(const char* text, std::string_view other) {
  for (size_t i = 0; i < other.size(); ++i)
    if (FoldAscii(static_cast<unsigned char>(text[i])) !=
        FoldAscii(static_cast<unsigned char>(other[i])))
      return false;
  return true;
}


// Whether every line break is CR LF already.
bool OnlyCrLf(std::string_view text, size_t& breaks) {
  breaks = 0;
  const char* const end = text.data() + text.size();
  for (const char* p = FindByte(text.data(), end, '\r'); p != end; p = FindByte(p + 2, end, '\r')) {
    if (p + 1 == end || p[1] != '\n') return false;
    ++breaks;
  }
  return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) == breaks;
}

}  // namespace

// Room kept in front of the text, so that the next clips go in without moving it. A
// sixteenth: each move of the whole text buys room for a sixteenth of it, and a full store
// carries no more than a megabyte unused.
size_t TTextBuffer::FrontRoomFor(size_t size) {
  return std::clamp<size_t>(size / 16, 256, size_t{1} << 20);
}

size_t TTextBuffer::AppendNormalized(std::string& out, std::string_view text) {
  out.reserve(out.size() + text.size());
  const char* p = text.data();
  const char* const end = p + text.size();
  // The next CR and LF are remembered, so that text with only one kind of break is
  // still scanned once.
  const char* nextCr = FindByte(p, end, '\r');
  const char* nextLf = FindByte(p, end, '\n');
  size_t breaks = 0;
  while (p < end) {
    if (nextCr < p) nextCr = FindByte(p, end, '\r');
    if (nextLf < p) nextLf = FindByte(p, end, '\n');
    const char* brk = std::min(nextCr, nextLf);
    out.append(p, brk);
    if (brk == end) break;
    out.append("\r\n", 2);
    ++breaks;
    p = (*brk == '\r' && brk + 1 < end && brk[1] == '\n') ? brk + 2 : brk + 1;
  }
  return breaks;
}

std::string TTextBuffer::NormalizeLineBreaks(std::string_view text) {
  std::string out;
  AppendNormalized(out, text);
  return out;
}

void TTextBuffer::SetText(std::string_view text) {
  const size_t room = FrontRoomFor(text.size());
  std::string fresh(room, '\0');
  const size_t breaks = AppendNormalized(fresh, text);
  buf_.swap(fresh);
  start_ = room;
  breaks_ = breaks;
  lineIndexValid_ = false;
}

void TTextBuffer::Clear() {
  std::string().swap(buf_);
  start_ = 0;
  breaks_ = 0;
  lineIndexValid_ = false;
}

size_t TTextBuffer::LineCount() const {
  if (Empty() || buf_.back() == '\n') return breaks_;
  return breaks_ + 1;
}

void TTextBuffer::BuildLineIndex() const {
  if (lineIndexValid_) return;
  lineStarts_.clear();
  lineStarts_.reserve(breaks_ + 1);
  const std::string_view text = View();
  const char* const base = text.data();
  const char* const end = base + text.size();
  lineStarts_.push_back(0);
  for (const char* p = FindByte(base, end, '\n'); p != end; p = FindByte(p + 1, end, '\n'))
    lineStarts_.push_back(static_cast<size_t>(p + 1 - base));
  lineIndexValid_ = true;
}

std::string TTextBuffer::Line(size_t index) const {
  if (index >= LineCount()) throw EStringListError(MsgListIndexError(static_cast<int>(index)));
  BuildLineIndex();
  const size_t from = lineStarts_[index];
  const size_t to = index + 1 < lineStarts_.size() ? lineStarts_[index + 1] - 2 : Size();
  return std::string(View().substr(from, std::min(to - from, kMaxLineAccess)));
}

void TTextBuffer::PrependNormalized(std::string_view piece, size_t pieceBreaks) {
  if (piece.empty()) return;
  if (piece.size() > start_) {
    const size_t size = Size();
    const size_t room = piece.size() + FrontRoomFor(size);
    if (room + size <= buf_.capacity()) {
      // Room that text erased at the end left behind: move the text there, no new block.
      const size_t from = start_;
      buf_.resize(room + size);
      std::memmove(buf_.data() + room, buf_.data() + from, size);
    } else {
      std::string grown(room + size, '\0');
      std::memcpy(grown.data() + room, buf_.data() + start_, size);
      buf_.swap(grown);
    }
    start_ = room;
  }
  start_ -= piece.size();
  std::memcpy(buf_.data() + start_, piece.data(), piece.size());
  breaks_ += pieceBreaks;
  lineIndexValid_ = false;
}

void TTextBuffer::InsertAtTop(std::string_view text) {
  std::string piece;
  size_t breaks = AppendNormalized(piece, text);
  if (!Empty()) {
    piece.append("\r\n", 2);
    ++breaks;
  }
  PrependNormalized(piece, breaks);
}

void TTextBuffer::Erase(size_t offset, size_t count) {
  const size_t size = Size();
  if (offset >= size || count == 0) return;
  count = std::min(count, size - offset);
  char* const text = buf_.data() + start_;
  breaks_ -= static_cast<size_t>(std::count(text + offset, text + offset + count, '\n'));
  const size_t after = size - offset - count;
  if (offset < after) {
    // The part in front is shorter: slide it towards the end; it becomes front room.
    std::memmove(text + count, text, offset);
    start_ += count;
  } else {
    std::memmove(text + offset, text + offset + count, after);
    buf_.resize(buf_.size() - count);
  }
  lineIndexValid_ = false;
}

void TTextBuffer::LoadFromFile(const std::string& path) {
  std::string bytes;
  size_t lead = 0;
  ReadWholeFileOrRaise(path, bytes, FrontRoomFor, &lead);
  Adopt(std::move(bytes), lead);
}

void TTextBuffer::DropFinalBreak() {
  if (Size() < 2 || buf_.compare(buf_.size() - 2, 2, "\r\n") != 0) return;
  buf_.resize(buf_.size() - 2);
  --breaks_;
  lineIndexValid_ = false;
}

void TTextBuffer::Adopt(std::string bytes, size_t lead) {
  const std::string_view text = std::string_view(bytes).substr(lead);
  size_t breaks = 0;
  if (!OnlyCrLf(text, breaks)) {
    SetText(text);
    return;
  }
  // The usual file: taken as it was read, with the room in front already there.
  buf_.swap(bytes);
  start_ = lead;
  breaks_ = breaks;
  lineIndexValid_ = false;
}

std::string TTextBuffer::FileImage() const {
  const std::string_view text = View();
  const bool needsBreak = !text.empty() && text.back() != '\n';
  std::string image;
  image.reserve(text.size() + 2);
  image.append(text);
  if (needsBreak) image.append("\r\n", 2);
  return image;
}

void TTextBuffer::SaveToFile(const std::string& path) const {
  WriteFileAtomicallyOrRaise(path, FileImage());
}

size_t TTextBuffer::FindLine(std::string_view line, size_t fromOffset) const {
  const std::string_view text = View();
  if (fromOffset >= text.size()) return npos;
  const char* const base = text.data();
  const char* const end = base + text.size();
  const char* p = base + fromOffset;
  if (fromOffset > 0 && p[-1] != '\n') {
    p = FindByte(p, end, '\n');
    if (p == end) return npos;
    ++p;
  }
  // Breaks are CR LF only, so a line runs from its start to the next CR.
  while (p < end) {
    const char* lineEnd = FindByte(p, end, '\r');
    if (static_cast<size_t>(lineEnd - p) == line.size() && SameTextAt(p, line))
      return static_cast<size_t>(p - base);
    if (lineEnd == end) break;
    p = lineEnd + 2;
  }
  return npos;
}

}  // namespace qv
