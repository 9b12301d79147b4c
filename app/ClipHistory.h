#pragma once
// The clip history: the list lines the user picks from (newest first), the text store
// behind them and the exact texts, with the rules that tie them together, in memory. Every
// part of the program that reads or changes the history does it here; the clip list on
// screen only shows these lines, and the clip files (ClipFolder) only keep them.

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/ClipStore.h"
#include "app/ExactTexts.h"

namespace qv {

// What a view of the lines is told after each change, so that it can follow without
// reading every line again. Indexes are those of the lines after the change.
class TClipHistoryView {
 public:
  virtual ~TClipHistoryView() = default;
  virtual void LineInserted(int index) = 0;
  virtual void LineRemoved(int index) = 0;
  virtual void LineMoved(int from, int to) = 0;
  // The lines were put in a new order: line i was line oldIndexOf[i] before.
  virtual void LinesReordered(const std::vector<int>& oldIndexOf) = 0;
  // Every line may have changed (load, clear).
  virtual void LinesReset() = 0;
  // The line shows something new of itself (its keep mark).
  virtual void LineChanged(int index) { (void)index; }
};

class TClipHistory;

// What the journal is told of each change, in the order made: enough to make the same
// change again on the history as it was.
class TClipHistoryLog {
 public:
  virtual ~TClipHistoryLog() = default;
  // A new clip at the top; exact is empty for none. The lines of the clips its store let
  // go went with it (making the capture again makes the same room).
  virtual void Captured(std::string_view id, std::string_view line, std::string_view text,
                        std::string_view exact) = 0;
  // The line at from went to the top.
  virtual void Moved(int from, std::string_view line) = 0;
  // The line at index went.
  virtual void Removed(int index, std::string_view line) = 0;
  // The user deleted the clip of the line at index: the line, every other line of its id,
  // its blocks and its exact text (see Delete). Nothing of the text may be kept of it.
  virtual void Deleted(int index, std::string_view line) = 0;
  // The clip with the id is kept now, or no longer.
  virtual void KeptChanged(std::string_view id, bool kept) = 0;
  // Every clip that is not kept is about to go.
  virtual void Clearing() = 0;
  // Every line in a new order.
  virtual void Reordered(const TClipHistory& history) = 0;
};

// A text in the ANSI code page as UTF-8 (the system's own conversion).
using TAnsiToUtf8 = std::function<std::string(std::string_view)>;

// The list lines, newest first. A deque, so that a line goes in at the top, and one goes
// from near the top, without moving all the others.
using TClipLines = std::deque<std::string>;

// The lines of a list file: CR LF, a lone CR or a lone LF ends a line.
void ReadListLines(std::string_view bytes, TClipLines& lines);
std::vector<std::string_view> SplitListLines(std::string_view bytes);

// The order the list is sorted into: whether a goes before b.
using TLineOrder = std::function<bool(const std::string& a, const std::string& b)>;

class TClipHistory {
 public:
  explicit TClipHistory(size_t capacity = kStoreCapacity) : store_(capacity) {}
  TClipHistory(const TClipHistory&) = delete;
  TClipHistory& operator=(const TClipHistory&) = delete;

  // One view at a time; null for none.
  void SetView(TClipHistoryView* view) { view_ = view; }
  // One log at a time; null for none.
  void SetLog(TClipHistoryLog* log) { log_ = log; }

  // ---- the questions ----
  int Count() const { return static_cast<int>(lines_.size()); }
  // Every line, made whole: a copy.
  TClipLines Lines() const;
  // Raises EStringListError for an index the list does not have.
  std::string Line(int index) const;
  // What the line shows, without the id that follows it out of sight.
  std::string_view Display(int index) const;
  std::optional<std::string> IdOf(int index) const;
  // Whether the line carries the id (upper case), letter case ignored; nothing allocated,
  // so that a look through every line stays cheap.
  bool CarriesId(int index, std::string_view key) const;
  // What stays with a line while lines come and go around it (a capture at the top, room
  // made at the bottom, a move): IndexOfKey finds it again, -1 once it has gone.
  uint32_t KeyOf(int index) const { return Ref(index).key; }
  int IndexOfKey(uint32_t key) const;
  // The clip's text; none when the line has no id or the store has no text for it.
  std::optional<std::string> TextOf(int index) const;
  // A single pick's text, or, with range, the run from it up to the newest: the picked
  // line's text first and the newest last, each followed by CR LF, lines whose text is gone
  // left out. Empty for nothing.
  std::string Gather(int index, bool range) const;
  // The clip's exact text (UTF-8) where the ANSI text lost characters; null elsewhere.
  const std::string* ExactTextOf(int index) const;
  const std::string* ExactTextOfId(std::string_view id) const;
  // Every exact text, by upper-case id.
  const TExactTextMap& ExactTexts() const { return exact_; }
  // Gather in UTF-8: exact texts as they are, the other texts converted.
  std::string GatherExact(int index, bool range, const TAnsiToUtf8& convert) const;
  const TClipStore& Store() const { return store_; }
  // Whether the line's clip is kept: never made room for, never trimmed, not cleared.
  bool Kept(int index) const;
  // Lines whose clip is kept.
  int KeptCount() const;
  // The kept clips' ids (upper case), each once, in list order.
  std::vector<std::string> KeptIds() const;

  // ---- the changes ----
  // A new clip at the top: a fresh id, its block in the store, its line (display cut to
  // width) in the list. Lines of clips the store let go to make room go too. None, and
  // nothing changed, when the store cannot take it.
  // exact: the UTF-8 text where text (its ANSI rendering) lost characters; empty for none.
  std::optional<std::string> AddClip(std::string_view text, TClipIdGenerator& ids,
                                     const TTextWidthFunction& width, std::string_view exact = {});
  // The same with the id and display line given.
  bool AddClip(std::string_view text, std::string_view id, std::string_view display,
               std::string_view exact = {});
  // The same with the whole list line given.
  bool AddClipLine(std::string_view text, std::string_view id, std::string_view line,
                   std::string_view exact = {});
  // A single recall: the line goes to the top; then, when the list holds more than
  // kClipListLimit lines, the first line at or past that index that is not kept goes.
  void MoveToTop(int index);
  // The two halves of that: the line goes to the top; a line goes.
  void MoveLineToTop(int index);
  void RemoveLine(int index);
  // Whether line index is this line.
  bool LineIs(int index, std::string_view line) const;
  // Clear Vavad: no lines, no texts, but for the kept clips.
  void Clear();
  // The user's delete: the line goes, and with it every line of its id, every block of the
  // id and every block no line refers to that holds the same text, and its exact text.
  void Delete(int index);
  // Keeps the line's clip, or lets it go again. False for a line without an id.
  bool SetKept(int index, bool kept);
  // The same by id; false when no line carries it.
  bool SetKeptId(std::string_view id, bool kept);
  // The lines in the given order (stable: equal lines keep theirs). The store is not
  // touched: every line still finds its own text through its id.
  void Sort(const TLineOrder& before);
  // Every line replaced (a journaled new order).
  void ReplaceLines(const std::vector<std::string_view>& lines);

  // ---- what the clip files hold ----
  // The history the files give: the list file's lines, the store file's text (its bytes
  // from lead on; the break that ends the file's last line is not the store's) and the
  // exact texts, of which those of clips the store does not hold are dropped (a file older
  // than the store, or restored by hand: a new clip could draw such an id). Gives the ids
  // of those.
  std::vector<std::string> Assign(std::string_view listFile, std::string storeFile, size_t lead,
                                  TExactTextMap exact);
  // The kept marks the files give (ids in any case); those of ids no line carries are
  // dropped.
  void AssignKept(const std::vector<std::string>& ids);
  // The list file: every line followed by CR LF.
  std::string ListImage() const;
  // The store file: the store's text, its last line ended by CR LF too.
  std::string StoreImage() const { return store_.FileImage(); }
  // The exact-text file: the exact texts of the clips the store holds, in store order;
  // empty when there are none (then there is no such file).
  std::string ExactImage() const;

 private:
  void Notify(const std::function<void(TClipHistoryView&)>& tell) {
    if (view_) tell(*view_);
  }
  // The texts of a single pick or a run, each piece as piece(id, ANSI text) makes it.
  std::string GatherPieces(
      int index, bool range,
      const std::function<std::string(std::string_view id, std::string_view text)>& piece) const;
  // The ids the list lines carry (upper case), with how many lines carry each, counted in
  // the store: the id rule and the store's room-making ask them at every capture.
  void CountId(int index, int delta);
  void RecountIds();

  // Exact texts of clips the store no longer holds go.
  void DropOrphanExactTexts();
  // Tells the view of every line that carries the id (upper case).
  void LinesOfIdChanged(const std::string& key);
  // Takes the lines of the clips the store let go (upper-case ids) out of the list.
  void RemoveLinesOf(const std::vector<std::string>& evicted);
  void EraseLine(int index);

  // A line of the usual shape (display, the spaces and marker, an id) is kept as display
  // and id, and made whole when asked for; any other line is kept as it is. All of them in
  // one pool: a large history costs no allocation per line.
  struct TLineRef {
    uint32_t at;      // in pool_
    uint32_t length;  // bytes kept
    uint32_t key;     // see KeyOf
    bool compact;     // display + id
  };
  std::string_view Kept(const TLineRef& ref) const { return {pool_.data() + ref.at, ref.length}; }
  const TLineRef& Ref(int index) const;
  TLineRef Keep(std::string_view line);
  void AppendLine(const TLineRef& ref, std::string& out) const;
  void Forget(const TLineRef& ref);  // one already taken out of lines_
  void SetLines(const std::vector<std::string_view>& lines);

  std::deque<TLineRef> lines_;
  std::string pool_;
  size_t pool_garbage_ = 0;
  uint32_t next_key_ = 0;
  TClipStore store_;
  TClipHistoryView* view_ = nullptr;
  TClipHistoryLog* log_ = nullptr;
  TExactTextMap exact_;
};

}  // namespace qv
