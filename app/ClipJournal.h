#pragma once
// The journal: every change to the clip history since the last save, appended to a file
// beside the two clip files, so that a crash or a power cut costs no clip. It opens with a
// checkpoint that tells which files it was written against; the start replays what follows
// onto those files and onto no others. A save ends it.
//
// An entry is
//   length  4 bytes, little-endian: the size of the body (at least 1)
//   ~length 4 bytes: its complement, so that a damaged length is not taken for a cut
//   body    a kind byte, then fields, each a 4-byte little-endian size and its bytes
//   check   4 bytes, little-endian: CRC-32 of all the bytes before it
// A reader takes the fields it knows and passes over later ones, so an entry can gain
// fields without breaking older journals.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

inline constexpr char kClipJournalFile[] = "vqclips.qvj";
// No body is larger: a clip text is at most the store's 16 MB.
inline constexpr uint32_t kJournalEntryLimit = 256u << 20;

enum class TJournalKind : uint8_t {
  Capture = 'A',  // id, list line, text: AddClip with the store making room as it did
  Move = 'M',     // index, line: the line went to the top
  Remove = 'R',   // index, line: the line went (the trim after a move)
  Delete = 'D',   // index, the line's id: the user deleted its clip (nothing of its text)
  Keep = 'K',     // id, "1" or "0": the clip is kept, or no longer
  Clear = 'C',    // no fields: no lines, no texts but the kept clips'
  Lines = 'L',    // every line, top first: the list in a new order
  // The files the entries after it apply to: a mark of the list, the store, the exact
  // texts and the kept ids as they are on disk (see TFileMark).
  Checkpoint = 'S',
  // A save whose files are written but perhaps not all in place: the marks of the list,
  // the store and the exact texts it wrote, then the names of the temporary files that
  // hold them ("" for a file the save removes), then the same two for the kept ids. What
  // came before it is in those files.
  Saving = 'P',
};

// What tells one version of a file from another without reading it all: its size (-1 for
// no file) and a CRC-32 of its first and last 64 KB.
struct TFileMark {
  int64_t size = -1;
  uint32_t sample = 0;
  bool operator==(const TFileMark&) const = default;
};
TFileMark MarkOf(std::string_view bytes);
std::string MarkField(const TFileMark& mark);
// False for a field that is no mark.
bool MarkOfField(std::string_view field, TFileMark& mark);

struct TJournalEntry {
  TJournalKind kind;
  std::vector<std::string> fields;
  size_t end = 0;  // where the next entry begins in the journal
};

// An index as a field: 4 bytes, little-endian.
std::string JournalIndexField(uint32_t index);
uint32_t JournalIndexOf(std::string_view field);

// Appends one entry to out.
void AppendJournalEntry(std::string& out, TJournalKind kind,
                        std::initializer_list<std::string_view> fields);
void AppendJournalEntry(std::string& out, TJournalKind kind,
                        const std::vector<std::string>& fields);

enum class TJournalEnd {
  Whole,     // every byte belongs to a sound entry
  CutShort,  // the last entry stops early, or only zero bytes follow the sound ones: a
             // write the crash interrupted
  Damaged,   // an entry fails its check, or is malformed, or of a kind not known
};

struct TJournalRead {
  std::vector<TJournalEntry> entries;  // the sound entries before the end
  size_t soundLength = 0;              // bytes those take
  TJournalEnd end = TJournalEnd::Whole;
};

// Reads entries from the start up to the first one that is not whole and sound.
TJournalRead ReadJournal(std::string_view bytes);

uint32_t Crc32(std::string_view bytes, uint32_t crc = 0);

// Overwrites with zero bytes every field that gone says yes to, in every sound entry of a
// journal's bytes (past a damaged part too, where sound entries begin again); each changed
// entry gets its check anew, so that the journal still reads. True when anything changed.
bool ScrubJournal(std::string& bytes, const std::function<bool(std::string_view field)>& gone);

}  // namespace qv
