#pragma once
// The clip history's text store and the rules around it: clip ids, the block that frames
// a clip's text in the store, list lines, finding a clip's text from its list line, and
// the display text a new list line shows.
//
// The clip list itself (the list box the user picks from) lives on the Win32 side; the
// functions here tell the caller what to put into it.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "framework/TextBuffer.h"

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

// The text of the clip a list line points to: the store lines strictly between the
// first whole line equal to its header key and the first whole line after it equal to
// its trailer key (letter case ignored), joined by CR LF. None when either is missing.
// Only whole lines count, so a clip whose text mentions a key inside a longer line does
// not capture another clip's lookup.
std::optional<std::string> LocateClipText(const TTextBuffer& store, std::string_view listLine);

struct TDisplayLine {
  std::string line;  // the first line that is not blank, unchanged; "" for an empty text
  int lineCount;     // lines of the text, a last empty line not counted
};
// The line a new clip shows in the list. Lines are read the way the buffer hands them
// out: at most the first 4096 characters each, and a line blank within those counts as
// blank.
TDisplayLine ChooseDisplayLine(std::string_view text);

struct TCutResult {
  std::string text;
  bool truncated;
};
// The longest start of line at most limit pixels wide (line itself when it fits). Gives
// what removing one character at a time from the end while the width exceeds the limit
// gives, for any width function that does not shrink as a text grows, with a logarithmic
// number of measurements. The first guess is the start of limit + 1 characters: no
// character of the list's font is narrower than a pixel, so that start never fits and
// the search is left with limit + 1 lengths (nine measurements for 180 pixels).
TCutResult CutToWidth(std::string_view line, const TTextWidthFunction& width,
                      int limit = kDisplayWidthLimit);

// The display line cut to 180 pixels, with "..." when it was cut or the text has two or
// more lines.
std::string BuildDisplayText(std::string_view text, const TTextWidthFunction& width);

// The text store: the buffer of clip blocks, newest first, and an index of the lines in
// it that begin with the header marker, so that checking an id for uniqueness does not
// scan the whole store.
class TClipStore {
 public:
  const TTextBuffer& Buffer() const { return buffer_; }
  std::string Text() const { return buffer_.Text(); }
  size_t Size() const { return buffer_.Size(); }
  bool Empty() const { return buffer_.Empty(); }

  // Puts the clip's block at the top of the store. False, and nothing changed, when the
  // block would take the store past kStoreCapacity: a clip is kept whole or not at all.
  bool AddClip(std::string_view text, std::string_view id);
  // Whether "/:hdr:\" + id is a whole line of the store (letter case ignored).
  bool HasHeaderKey(std::string_view id) const;
  std::optional<std::string> Locate(std::string_view listLine) const {
    return LocateClipText(buffer_, listLine);
  }

  void Clear();
  // Raises EFOpenError with the path when the file cannot be read; the store is then
  // unchanged. A file larger than the capacity is kept whole (no clip then fits).
  void LoadFromFile(const std::string& path);
  // Raises EFCreateError with the path when the file cannot be written.
  void SaveToFile(const std::string& path) const { buffer_.SaveToFile(path); }

 private:
  void IndexHeaderLines(std::string_view normalized);

  TTextBuffer buffer_;
  std::unordered_set<std::string> headerLines_;  // upper-cased
};

// A fresh id whose header key is not yet a line of the store, drawing again (three more
// draws) while it is; two clips with one id would make the older one recall the newer
// text. With a tick count so small that few ids exist, gives up after many rounds and
// returns the last id drawn rather than hang.
std::string NextUniqueClipId(TClipIdGenerator& generator, const TClipStore& store);

}  // namespace qv
