#pragma once
// The clip history: the list lines the user picks from (newest first) and the text store
// behind them, with the rules that tie them together, and the two clip files. Every part
// of the program that reads or changes the history does it here; the clip list on screen
// only shows these lines.

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/ClipJournal.h"
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
};

// A text in the ANSI code page as UTF-8 (the system's own conversion).
using TAnsiToUtf8 = std::function<std::string(std::string_view)>;

// The list lines, newest first. A deque, so that a line goes in at the top, and one goes
// from near the top, without moving all the others.
using TClipLines = std::deque<std::string>;

// The lines of a list file: CR LF, a lone CR or a lone LF ends a line.
void ReadListLines(std::string_view bytes, TClipLines& lines);

// The order the list is sorted into: whether a goes before b.
using TLineOrder = std::function<bool(const std::string& a, const std::string& b)>;

class TClipHistory {
 public:
  explicit TClipHistory(size_t capacity = kStoreCapacity) : store_(capacity) {}
  TClipHistory(const TClipHistory&) = delete;
  TClipHistory& operator=(const TClipHistory&) = delete;

  // One view at a time; null for none.
  void SetView(TClipHistoryView* view) { view_ = view; }

  // ---- the questions ----
  int Count() const { return static_cast<int>(lines_.size()); }
  // Every line, made whole: a copy.
  TClipLines Lines() const;
  // Raises EStringListError for an index the list does not have.
  std::string Line(int index) const;
  // What the line shows, without the id that follows it out of sight.
  std::string_view Display(int index) const;
  std::optional<std::string> IdOf(int index) const;
  // The clip's text; none when the line has no id or the store has no text for it.
  std::optional<std::string> TextOf(int index) const;
  // A single pick's text, or, with range, the run from it up to the newest: the picked
  // line's text first and the newest last, each followed by CR LF, lines whose text is gone
  // left out. Empty for nothing.
  std::string Gather(int index, bool range) const;
  // The clip's exact text (UTF-8) where the ANSI text lost characters; null elsewhere.
  const std::string* ExactTextOf(int index) const;
  const std::string* ExactTextOfId(std::string_view id) const;
  // Gather in UTF-8: exact texts as they are, the other texts converted.
  std::string GatherExact(int index, bool range, const TAnsiToUtf8& convert) const;
  const TClipStore& Store() const { return store_; }

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
  // A single recall: the line goes to the top; then, when the list holds more than
  // kClipListLimit lines, the one at that index goes.
  void MoveToTop(int index);
  // Clear Vavad: no lines, no texts.
  void Clear();
  // The lines in the given order (stable: equal lines keep theirs). The store is not
  // touched: every line still finds its own text through its id.
  void Sort(const TLineOrder& before);

  // ---- the files ----
  // Lb1.qvl and vqclips.qvl in that folder (with its trailing separator).
  void SetFolder(std::string folder) { folder_ = std::move(folder); }
  const std::string& Folder() const { return folder_; }
  std::string ListPath() const { return folder_ + kClipListFile; }
  std::string StorePath() const { return folder_ + kClipStoreFile; }
  std::string ExactPath() const { return folder_ + kExactTextFile; }
  // The list first, then the store; raises EFOpenError naming the file that could not be
  // read, and what comes after it is not read. With neither file there (a first start)
  // the history is empty and nothing is raised. A file that was there but not read is set
  // aside at the next save, so that its clips are not overwritten.
  // Then a journal left behind is replayed onto what was read (it holds the changes made
  // since the files were last saved, and a file that could not be read was not read by
  // the run that wrote it either), the result saved and the journal emptied. After such a
  // save a file that was simply missing is no error any more. Changes are journaled from
  // here on. The exact texts are read after the two files and never raise: what cannot be
  // read of them only costs those texts (see ExactTextsLost).
  void Load();
  // The last Load found exact texts it could not read (those clips keep their ANSI text).
  bool ExactTextsLost() const { return exact_lost_; }
  // The store first, then the list: the store only gains blocks between saves, so a stop
  // between the two leaves every list line with its text. The exact texts go between them,
  // only those of clips the store holds; with none, there is no such file. Raises
  // EFCreateError naming the file that could not be written; the files after it are left
  // alone. Then the journal is emptied: the files hold everything it held.
  void Save();

  // ---- the journal ----
  std::string JournalPath() const { return folder_ + kClipJournalFile; }
  // Off while saving is suppressed: nothing is journaled then. Load() turns it on.
  void SetJournaling(bool on) { journaling_ = on; }
  bool Journaling() const { return journaling_; }
  // Entries collected since the last flush or save.
  const std::string& JournalPending() const { return journal_pending_; }
  // Called when the first entry after a flush or save is collected.
  std::function<void()> OnJournalPending;
  // Appends the collected entries to the journal file and pushes them to the disk. False
  // when the file cannot be written; they are kept for the next try.
  bool FlushJournal();
  // What the start's replay did.
  struct TJournalReplay {
    int replayed = 0;      // entries replayed
    bool damaged = false;  // an entry after those was damaged; the journal was set aside
  };
  const TJournalReplay& Replayed() const { return replayed_; }
  // The one message the user gets about the replay; empty when there is nothing to say.
  std::string ReplayNote() const;

 private:
  void Notify(const std::function<void(TClipHistoryView&)>& tell) {
    if (view_) tell(*view_);
  }
  bool AddClipLine(std::string_view text, std::string_view id, std::string line,
                   std::string_view exact);
  // The texts of a single pick or a run, each piece as piece(id, ANSI text) makes it.
  std::string GatherPieces(
      int index, bool range,
      const std::function<std::string(std::string_view id, std::string_view text)>& piece) const;
  void LoadExactTexts();
  // The ids the list lines carry (upper case), with how many lines carry each, counted in
  // the store: the id rule and the store's room-making ask them at every capture.
  void CountId(int index, int delta);
  void RecountIds();
  void SaveExactTexts();
  void Journal(TJournalKind kind, std::initializer_list<std::string_view> fields);
  // Replays the journal file, if any; true when there was one to replay.
  bool ReplayJournal();
  void Apply(const TJournalEntry& entry);
  // The line, looked for at index first: -1 when the list does not hold it.
  int FindLine(const std::string& indexField, const std::string& line) const;
  void EmptyJournal();
  // Renames a file that was there at start but not read to "<name>.bak" (or .bak1 ...).
  static void SetAside(const std::string& path, bool& unread);

  // Takes the lines of the clips the store let go (upper-case ids) out of the list.
  void RemoveLinesOf(const std::vector<std::string>& evicted);
  void EraseLine(int index);
  void MoveLineToTop(int index);

  // A line of the usual shape (display, the spaces and marker, an id) is kept as display
  // and id, and made whole when asked for; any other line is kept as it is. All of them in
  // one pool: a large history costs no allocation per line.
  struct TLineRef {
    uint32_t at;      // in pool_
    uint32_t length;  // bytes kept
    bool compact;     // display + id
  };
  std::string_view Kept(const TLineRef& ref) const { return {pool_.data() + ref.at, ref.length}; }
  const TLineRef& Ref(int index) const;
  TLineRef Keep(std::string_view line);
  void AppendLine(const TLineRef& ref, std::string& out) const;
  bool LineIs(int index, std::string_view line) const;
  void Forget(const TLineRef& ref);  // one already taken out of lines_
  void SetLines(const std::vector<std::string_view>& lines);

  std::deque<TLineRef> lines_;
  std::string pool_;
  size_t pool_garbage_ = 0;
  TClipStore store_;
  TClipHistoryView* view_ = nullptr;
  std::string folder_;
  bool list_unread_ = false;
  bool store_unread_ = false;
  bool exact_unread_ = false;
  bool exact_lost_ = false;
  TExactTextMap exact_;
  bool journaling_ = false;
  std::string journal_pending_;
  TJournalReplay replayed_;
};

}  // namespace qv
