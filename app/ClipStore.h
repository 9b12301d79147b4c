#pragma once
// The clip history's text store and the rules around it: clip ids, the block that frames
// a clip's text in the store, list lines, finding a clip's text from its list line, and
// the display text a new list line shows.
// The list of lines itself is the history's (ClipHistory.h); the functions here tell it
// what a new line holds.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "framework/TextBuffer.h"
#include "settings/StoredNames.h"  // the clip files' names

namespace qv {

inline constexpr std::string_view kHeaderMarker = "/:hdr:\\";
inline constexpr std::string_view kTrailerMarker = "/:tlr:\\";
// 70 spaces push the marker and the id out of sight to the right of the list.
inline constexpr std::string_view kListLineMarker =
    "                                                                      /:hdr:\\";
inline constexpr int kClipListLimit = 72;
inline constexpr size_t kStoreCapacity = 16777215;
inline constexpr int kDisplayWidthLimit = 180;
inline constexpr std::string_view kDisplaySuffix = "...";
inline constexpr size_t kClipIdLength = 13;

// Width in pixels of a text in the list's font.
using TTextWidthFunction = std::function<int(const std::string&)>;

// Draws clip ids from the tick count: a 32-bit linear congruential generator
// (multiplier 134775813, increment 1, seed starting at 0) scaled to [0, tick count).
class TClipIdGenerator {
 public:
  using TTickSource = std::function<uint32_t()>;

  explicit TClipIdGenerator(TTickSource tickSource) : tickSource_(std::move(tickSource)) {}

  // One draw in [0, T) with T the tick count read now, read back as a signed 32-bit
  // value (so a tick count above 2^31 can give a negative draw).
  int32_t Draw();
  // Three draws; the first is thrown away, the other two make the 13-character id.
  std::string Next();
  uint32_t Seed() const { return seed_; }

  // "%7.7d" of r1 cut to 7 characters, then "%6.6d" of r2 cut to 6.
  static std::string FormatId(int32_t r1, int32_t r2);

 private:
  TTickSource tickSource_;
  uint32_t seed_ = 0;
};

// Whether id, in any letter case, is key (an id in upper case). Allocates nothing.
inline bool IsIdOfKey(std::string_view id, std::string_view key) {
  if (id.size() != key.size()) return false;
  for (size_t i = 0; i < id.size(); ++i) {
    const char c = id[i];
    if ((c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c) != key[i]) return false;
  }
  return true;
}

// "/:hdr:\" + id and "/:tlr:\" + id: the lines that open and close a clip's block.
std::string HeaderKey(std::string_view id);
std::string TrailerKey(std::string_view id);

// Header line, the text, trailer line, joined by CR LF (no break after the trailer).
std::string MakeBlock(std::string_view id, std::string_view text);
// Display text, 70 spaces, "/:hdr:\", id.
std::string MakeListLine(std::string_view display, std::string_view id);

// The 13 characters after the LAST header marker of a list line; none when there is no
// marker or fewer than 13 characters follow it. Taking the last one keeps a marker that
// happens to sit inside the display text from hiding the id.
std::optional<std::string> ListLineId(std::string_view listLine);

// What a list line shows: the text before its id's marker, without the spaces that push
// the marker out of sight; the whole line when it has no marker.
std::string_view ListLineDisplay(std::string_view listLine);

struct TDisplayLine {
  std::string line;  // the first line that is not blank, unchanged; "" for an empty text
  int lineCount;     // lines of the text, a last empty line not counted
};
// The line a new clip shows in the list. Lines are read the way the buffer hands them
// out: at most the first 4096 characters each, and a line blank within those counts as
// blank.
TDisplayLine ChooseDisplayLine(std::string_view text);

// The one cut of a list line: the longest start of a line of length characters at most
// limit pixels wide, widthOfStart(n) measuring the start of n characters (length when it
// all fits). Gives what removing one character at a time from the end while the width
// exceeds the limit gives, for any width that does not shrink as a text grows, with a
// logarithmic number of measurements. The first guess is the start of limit + 1
// characters: no character of the list's font is narrower than a pixel, so that start
// never fits and the search is left with limit + 1 lengths (nine measurements for 180
// pixels).
size_t CutLength(size_t length, const std::function<int(size_t)>& widthOfStart,
                 int limit = kDisplayWidthLimit);

struct TCutResult {
  std::string text;
  bool truncated;
};
// CutLength on an ANSI line.
TCutResult CutToWidth(std::string_view line, const TTextWidthFunction& width,
                      int limit = kDisplayWidthLimit);

// The display line cut to 180 pixels, with "..." when it was cut or the text has two or
// more lines.
std::string BuildDisplayText(std::string_view text, const TTextWidthFunction& width);

// A run of whole store lines: one clip's block, or lines that belong to no block.
struct TStoreSegment {
  size_t offset;    // of its first character in the store text
  size_t length;    // up to the end of its last line, the break after it not included
  std::string key;  // the block's id in upper case; empty for lines outside any block
};

// Splits store text (CR LF breaks) into segments, top first. A block begins only where a
// block may begin: at the store's first line, or at the line after a block or after a line
// outside any block. There a header line ("/:hdr:\" and 13 characters) opens a block that
// ends at the first later line equal to its trailer key (letter case ignored). A header
// line inside a clip's text therefore opens nothing, so text copied out of a store file
// cannot capture another clip's lookup.
std::vector<TStoreSegment> SplitStore(std::string_view text);
// The clip text of a block's bytes: the lines strictly between its header and trailer lines.
std::string_view BlockText(std::string_view block);

// The text store: clip blocks, newest first, with an index of where each block lies, so
// that finding a clip, checking an id and making room cost no scan of the store.
class TClipStore {
 public:
  explicit TClipStore(size_t capacity = kStoreCapacity) : capacity_(capacity) {}

  const TTextBuffer& Buffer() const { return buffer_; }
  std::string Text() const { return buffer_.Text(); }
  size_t Size() const { return buffer_.Size(); }
  bool Empty() const { return buffer_.Empty(); }
  size_t Capacity() const { return capacity_; }

  // Whether a list line refers to an id (given in upper case).
  using TListedFunction = std::function<bool(const std::string& key)>;
  // Puts the clip's block at the top of the store. When it does not fit, room is made:
  // first the oldest blocks that no list line refers to (and lines outside any block) go,
  // then, if that is not enough, the oldest listed clips that are not kept; the ids of those
  // (upper case) are added to evictedListed, so that the caller takes their list lines away
  // too. A block goes whole or not at all. False, and nothing changed, when the block alone
  // is larger than the capacity, when only kept clips would make room (KeptInTheWay tells
  // which), or when the text holds its own trailer line (it would end the block early).
  // Without a listed function the store goes by the lines counted with CountLines, and
  // finds the unlisted blocks without asking about every block.
  bool AddClip(std::string_view text, std::string_view id, const TListedFunction& listed = nullptr,
               std::vector<std::string>* evictedListed = nullptr);
  // How many list lines carry an id (upper case): the owner of the list counts them here,
  // with the blocks, so that each id is kept once for both.
  void CountLines(const std::string& key, int delta);
  int LinesOf(const std::string& key) const;
  bool Listed(const std::string& key) const { return LinesOf(key) > 0; }
  // Every count back to none (the kept marks stay).
  void ClearLineCounts();
  // Kept clips (upper-case id) are never made room for.
  void SetKept(const std::string& key, bool kept);
  bool IsKept(const std::string& key) const;
  bool AnyKept() const;
  // The last AddClip was refused because kept clips filled the room it needed.
  bool KeptInTheWay() const { return kept_in_the_way_; }
  // Takes every block with the id (upper case) and its marks out: nothing of its text stays.
  // False when there was none.
  bool RemoveClip(const std::string& key);
  // Marks of ids no line carries any more go.
  void ForgetUnlistedKept();
  // Keeps only the newest block of each id keep says yes to (upper case); the rest goes.
  void KeepOnly(const std::function<bool(const std::string& key)>& keep);
  // Whether a block with this id exists (letter case ignored).
  bool HasHeaderKey(std::string_view id) const;
  // The text of the clip a list line points to: the lines strictly between its block's
  // header and trailer lines, joined by CR LF; the newest block when ids repeat. None when
  // the line has no id or no block has it.
  std::optional<std::string> Locate(std::string_view listLine) const;
  // The same text for an id, as a view into the store (valid until it changes).
  std::optional<std::string_view> TextOf(std::string_view id) const;
  // The blocks and the lines outside them, top first.
  std::vector<TStoreSegment> Segments() const;
  // Every block's id (as its header line has it) and clip text, top first.
  void ForEachBlock(const std::function<void(std::string_view id, std::string_view text)>& visit) const;

  void Clear();
  // Replaces the whole store (line breaks normalised). Text past the capacity is kept:
  // cutting it would lose clips at the next save; room is made at the next capture.
  void SetText(std::string_view text);
  // Raises EFOpenError with the path when the file cannot be read; the store is then
  // unchanged.
  void LoadFromFile(const std::string& path);
  // A store file's bytes from lead on (see TTextBuffer::Adopt). The break that ends the
  // file's last line is not part of the store: the text is the one that was saved.
  void LoadImage(std::string bytes, size_t lead);
  // What the store file holds: the text, its last line ended by CR LF like the others;
  // nothing for an empty store.
  std::string FileImage() const;
  // Raises EFCreateError with the path when the file cannot be written.
  void SaveToFile(const std::string& path) const;
  // Blocks and runs of lines outside any block.
  size_t SegmentCount() const { return segments_.size(); }

 private:
  // Positions count from a fixed origin that moves when text goes in at the top, so that
  // a capture does not touch the positions of the blocks below it.
  static constexpr size_t npos = static_cast<size_t>(-1);
  struct TSegment {
    int64_t at;
    size_t length;
    uint64_t seq : 63;   // grows from the oldest to the newest: finds a segment without its place
    uint64_t block : 1;  // a clip's block; its id is read from its header line
  };
  // The block's id in upper case; empty for lines outside any block.
  std::string KeyOf(const TSegment& segment) const;
  size_t OffsetOf(int64_t at) const { return static_cast<size_t>(at - origin_); }
  static constexpr uint64_t kNoBlock = static_cast<uint64_t>(-1);
  struct TIdUse {
    uint64_t block = kNoBlock;  // the newest block with the id
    int lines = 0;              // list lines that carry it
    bool kept = false;          // never made room for
  };
  // Every change of a mark goes through here, so that the marks are counted.
  void MarkKept(TIdUse& use, bool kept);
  // Whether the entry says nothing any more (no block, no line, no mark).
  static bool Idle(const TIdUse& use) { return use.block == kNoBlock && use.lines == 0 && !use.kept; }
  // The clip text inside a block.
  std::string_view BodyOf(const TSegment& segment) const;
  void ForgetKept();
  // The segment with this number; npos when it has gone.
  size_t IndexOfSeq(uint64_t seq) const;
  // The newest block with the id (upper case); kNoBlock for none.
  uint64_t BlockOf(const std::string& key) const;
  void DropBlock(const std::string& key, uint64_t seq);
  void Index();
  // Whether the segment is the block its id resolves to and a list line refers to it.
  bool IsListed(const TSegment& segment, const TListedFunction& listed) const;
  // Takes segment i (oldest first) and the break that joins it to its neighbour away.
  void RemoveSegment(size_t i);

  size_t capacity_;
  TTextBuffer buffer_;
  std::deque<TSegment> segments_;                // oldest (bottom of the store) first
  std::unordered_map<std::string, TIdUse> ids_;  // by upper-case id
  int64_t origin_ = 0;
  uint64_t next_seq_ = 0;
  std::set<uint64_t> unlisted_;  // the segments no counted list line refers to
  bool kept_in_the_way_ = false;
  size_t kept_count_ = 0;  // entries whose kept is set: a save asks for them
};

// A fresh id that no block has yet, no list line carries (listed, given the id in upper
// case) and whose trailer line the text does not hold, drawing again (three more draws)
// while it is not; two clips with one id would make the older one recall the newer text.
// With a tick count so small that few ids exist, gives up after many rounds and returns
// the last id drawn rather than hang.
std::string NextUniqueClipId(TClipIdGenerator& generator, const TClipStore& store,
                             std::string_view text = {},
                             const TClipStore::TListedFunction& listed = nullptr);

}  // namespace qv
