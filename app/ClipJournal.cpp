#include "app/ClipJournal.h"

#include <algorithm>
#include <array>

namespace qv {

namespace {

void PutU32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

uint32_t GetU32(std::string_view bytes, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
  return v;
}

// The fields each kind needs at least.
bool KnownKind(uint8_t kind, size_t& fieldsNeeded) {
  switch (static_cast<TJournalKind>(kind)) {
    case TJournalKind::Capture: fieldsNeeded = 3; return true;
    case TJournalKind::Move:
    case TJournalKind::Remove:
    case TJournalKind::Delete:
    case TJournalKind::Keep: fieldsNeeded = 2; return true;
    case TJournalKind::Clear:
    case TJournalKind::Lines: fieldsNeeded = 0; return true;
    case TJournalKind::Checkpoint: fieldsNeeded = 3; return true;
    case TJournalKind::Saving: fieldsNeeded = 6; return true;
  }
  return false;
}

bool ParseBody(std::string_view body, TJournalEntry& entry) {
  size_t needed = 0;
  if (!KnownKind(static_cast<uint8_t>(body[0]), needed)) return false;
  entry.kind = static_cast<TJournalKind>(body[0]);
  entry.fields.clear();
  for (size_t at = 1; at < body.size();) {
    if (body.size() - at < 4) return false;
    const uint32_t size = GetU32(body, at);
    at += 4;
    if (size > body.size() - at) return false;
    entry.fields.emplace_back(body.substr(at, size));
    at += size;
  }
  if (entry.fields.size() < needed) return false;
  if ((entry.kind == TJournalKind::Move || entry.kind == TJournalKind::Remove ||
       entry.kind == TJournalKind::Delete) &&
      entry.fields[0].size() != 4)
    return false;
  TFileMark mark;
  if (entry.kind == TJournalKind::Checkpoint || entry.kind == TJournalKind::Saving)
    for (size_t i = 0; i < 3; ++i)
      if (!MarkOfField(entry.fields[i], mark)) return false;
  return true;
}

// Whether nothing but zero bytes lies from at to the end: what a file system leaves of an
// append that a power cut interrupted after the file had grown.
bool OnlyZerosFrom(std::string_view bytes, size_t at) {
  for (size_t i = at; i < bytes.size(); ++i)
    if (bytes[i] != 0) return false;
  return true;
}

}  // namespace

uint32_t Crc32(std::string_view bytes, uint32_t crc) {
  // Eight bytes a step, each through its own table (tables[k] is the CRC of a byte followed
  // by k zero bytes): the same result as one byte a step, several times sooner, which the
  // marks of a 16 MB save and the entries of large captures notice.
  static const auto tables = [] {
    std::array<std::array<uint32_t, 256>, 8> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[0][n] = c;
    }
    for (uint32_t n = 0; n < 256; ++n)
      for (size_t k = 1; k < 8; ++k) t[k][n] = t[0][t[k - 1][n] & 0xFF] ^ (t[k - 1][n] >> 8);
    return t;
  }();
  crc = ~crc;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  size_t left = bytes.size();
  for (; left >= 8; left -= 8, p += 8) {
    const uint32_t low = crc ^ (uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 |
                                uint32_t{p[3]} << 24);
    crc = tables[7][low & 0xFF] ^ tables[6][(low >> 8) & 0xFF] ^ tables[5][(low >> 16) & 0xFF] ^
          tables[4][low >> 24] ^ tables[3][p[4]] ^ tables[2][p[5]] ^ tables[1][p[6]] ^
          tables[0][p[7]];
  }
  for (; left > 0; --left, ++p) crc = tables[0][(crc ^ *p) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

std::string JournalIndexField(uint32_t index) {
  std::string field;
  PutU32(field, index);
  return field;
}

uint32_t JournalIndexOf(std::string_view field) { return GetU32(field, 0); }

TFileMark MarkOf(std::string_view bytes) {
  constexpr size_t kSample = 64 * 1024;
  TFileMark mark;
  mark.size = static_cast<int64_t>(bytes.size());
  if (bytes.size() <= 2 * kSample) {
    mark.sample = Crc32(bytes);
  } else {
    mark.sample = Crc32(bytes.substr(bytes.size() - kSample), Crc32(bytes.substr(0, kSample)));
  }
  return mark;
}

std::string MarkField(const TFileMark& mark) {
  std::string field;
  const uint64_t size = static_cast<uint64_t>(mark.size);
  PutU32(field, static_cast<uint32_t>(size));
  PutU32(field, static_cast<uint32_t>(size >> 32));
  PutU32(field, mark.sample);
  return field;
}

bool MarkOfField(std::string_view field, TFileMark& mark) {
  if (field.size() != 12) return false;
  mark.size = static_cast<int64_t>(uint64_t{GetU32(field, 0)} | (uint64_t{GetU32(field, 4)} << 32));
  mark.sample = GetU32(field, 8);
  return mark.size >= -1;
}

template <typename Fields>
static void AppendEntry(std::string& out, TJournalKind kind, const Fields& fields) {
  size_t body = 1;
  for (const auto& f : fields) body += 4 + std::string_view(f).size();
  const size_t start = out.size();
  out.reserve(start + body + 12);
  PutU32(out, static_cast<uint32_t>(body));
  PutU32(out, ~static_cast<uint32_t>(body));
  out.push_back(static_cast<char>(kind));
  for (const auto& f : fields) {
    const std::string_view v(f);
    PutU32(out, static_cast<uint32_t>(v.size()));
    out.append(v);
  }
  PutU32(out, Crc32(std::string_view(out).substr(start)));
}

void AppendJournalEntry(std::string& out, TJournalKind kind,
                        std::initializer_list<std::string_view> fields) {
  AppendEntry(out, kind, fields);
}

void AppendJournalEntry(std::string& out, TJournalKind kind,
                        const std::vector<std::string>& fields) {
  AppendEntry(out, kind, fields);
}

TJournalRead ReadJournal(std::string_view bytes) {
  TJournalRead read;
  size_t at = 0;
  // Where the zero bytes that end the file begin: an entry that fails from there on was
  // torn by a power cut, not damaged.
  size_t zeros = bytes.size();
  while (zeros > 0 && bytes[zeros - 1] == 0) --zeros;
  while (at < bytes.size()) {
    if (OnlyZerosFrom(bytes, at)) {
      read.end = TJournalEnd::CutShort;
      break;
    }
    const size_t left = bytes.size() - at;
    if (left < 8) {
      read.end = TJournalEnd::CutShort;
      break;
    }
    // A length that fails its complement is damage, never mistaken for a cut.
    const uint32_t body = GetU32(bytes, at);
    if (body != ~GetU32(bytes, at + 4) || body == 0 || body > kJournalEntryLimit) {
      read.end = zeros < at + 8 ? TJournalEnd::CutShort : TJournalEnd::Damaged;
      break;
    }
    if (left - 8 < static_cast<size_t>(body) + 4) {
      read.end = TJournalEnd::CutShort;
      break;
    }
    const std::string_view checked = bytes.substr(at, 8 + body);
    TJournalEntry entry;
    if (Crc32(checked) != GetU32(bytes, at + 8 + body) ||
        !ParseBody(checked.substr(8), entry)) {
      read.end = zeros < at + 12 + body ? TJournalEnd::CutShort : TJournalEnd::Damaged;
      break;
    }
    at += 12 + body;
    entry.end = at;
    read.entries.push_back(std::move(entry));
    read.soundLength = at;
  }
  return read;
}

bool ScrubJournal(std::string& bytes, const std::function<bool(std::string_view field)>& gone) {
  bool changed = false;
  for (size_t at = 0; bytes.size() - at >= 13;) {
    const uint32_t body = GetU32(bytes, at);
    const bool framed = body == ~GetU32(bytes, at + 4) && body != 0 &&
                        body <= kJournalEntryLimit && bytes.size() - at - 12 >= body;
    if (!framed || Crc32(std::string_view(bytes).substr(at, 8 + body)) != GetU32(bytes, at + 8 + body)) {
      ++at;  // damage: the next sound entry may begin at any byte
      continue;
    }
    bool scrubbed = false;
    const size_t end = at + 8 + body;
    for (size_t field = at + 9; end - field >= 4;) {
      const uint32_t size = GetU32(bytes, field);
      field += 4;
      if (size > end - field) break;
      if (size > 0 && gone(std::string_view(bytes).substr(field, size))) {
        std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(field), size, '\0');
        scrubbed = true;
      }
      field += size;
    }
    if (scrubbed) {
      const uint32_t check = Crc32(std::string_view(bytes).substr(at, 8 + body));
      for (size_t i = 0; i < 4; ++i) bytes[end + i] = static_cast<char>((check >> (8 * i)) & 0xFF);
      changed = true;
    }
    at = end + 4;
  }
  return changed;
}

}  // namespace qv
