#pragma once
// A plain-text buffer of hard lines, the stand-in for a hidden plain-text rich-edit
// control: line access, insertion at the top, whole-text read and write, files, and a
// case-insensitive whole-line search.
//
// The text is kept contiguous with spare room in front of it, so that putting text at
// the top (the clip store's only way of growing) costs time in proportion to what is
// inserted, not to what is already there.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

class TTextBuffer {
 public:
  static constexpr size_t npos = std::string::npos;
  // Line access hands out at most this many characters of a line, as the control did.
  static constexpr size_t kMaxLineAccess = 4096;

  TTextBuffer() = default;

  // The lines joined by CR LF. A text that ended with a line break when it was set
  // still ends with one (its last line is empty).
  std::string Text() const { return std::string(View()); }
  std::string_view View() const {
    return std::string_view(buf_.data() + start_, buf_.size() - start_);
  }
  // Lone CR and lone LF become CR LF, like a text control does on paste.
  void SetText(std::string_view text);
  void Clear();
  bool Empty() const { return start_ == buf_.size(); }
  // Characters (bytes) of Text(), line breaks counting two.
  size_t Size() const { return buf_.size() - start_; }

  // Hard lines, not counting a last line that is empty: "" has 0 lines, "a" and
  // "a\r\n" have 1, "a\r\n\r\n" has 2. This is the count a text ending with a line
  // break is expected to have when its display line is chosen.
  size_t LineCount() const;
  // Line i (0 <= i < LineCount()), cut to its first kMaxLineAccess characters.
  // Raises EStringListError for any other index.
  std::string Line(size_t index) const;

  // The text becomes the first lines; the former first line follows on the next line.
  void InsertAtTop(std::string_view text);
  // Removes count characters from offset on (a range that neither starts nor ends inside a
  // CR LF pair). Moves whichever side of the gap is shorter; offsets of the text before
  // the gap stay as they were.
  void Erase(size_t offset, size_t count);

  // Raises EFOpenError("Cannot open file <path>") when the file cannot be read.
  void LoadFromFile(const std::string& path);
  // Takes a file's bytes, its text from lead on (what lies before is room for text put in
  // at the top later, as ReadWholeFile leaves it).
  void Adopt(std::string bytes, size_t lead);
  // A text ending with a line break loses that break (its empty last line).
  void DropFinalBreak();
  // The room ReadWholeFile is asked to leave in front of a file's bytes for Adopt.
  static size_t FrontRoomFor(size_t size);
  // Every line followed by CR LF (an empty buffer gives an empty file), written so that
  // a crash leaves the old file whole. Raises EFCreateError("Cannot create file <path>").
  void SaveToFile(const std::string& path) const;
  // What SaveToFile writes.
  std::string FileImage() const;

  // Byte offset of the first line, among those starting at or after fromOffset, that
  // equals line with ASCII letter case ignored; npos when there is none. A line holding
  // line as only part of its text does not match.
  size_t FindLine(std::string_view line, size_t fromOffset = 0) const;

  // CR LF, lone CR and lone LF all become CR LF.
  static std::string NormalizeLineBreaks(std::string_view text);
  // Appends the normalised text to out; returns the number of line breaks appended.
  static size_t AppendNormalized(std::string& out, std::string_view text);

 private:
  // Puts already normalised text at the top.
  void PrependNormalized(std::string_view piece, size_t pieceBreaks);
  void BuildLineIndex() const;

  std::string buf_;  // [0, start_) is spare room; [start_, size) is the text
  size_t start_ = 0;
  size_t breaks_ = 0;                       // CR LF pairs in the text
  mutable std::vector<size_t> lineStarts_;  // offsets relative to start_, built on demand
  mutable bool lineIndexValid_ = false;
};

}  // namespace qv
