#pragma once
// The clip files of one folder and everything that keeps them whole: where they are, how
// they are read and written, the journal of the changes made since the last save with the
// checkpoint that ties it to the files it applies to, its replay at the next start, the
// temporary files a killed save leaves, and when to save and when to push the journal to
// the disk. The program and the clip tool both load through it, so there is one reader.
//
// A save writes the three files (store, exact texts, list) to temporary files first, then
// records in the journal that it is putting them in place, then puts them in place, then
// deletes the journal. Whatever stops it half-way (a crash, a power cut, a file another
// program holds), the next start finds the record and finishes the save from the
// temporary files, or reads them where they cannot be put in place; and every change
// after the record is replayed onto exactly those files.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/ClipHistory.h"
#include "app/ClipJournal.h"
#include "app/ClipFileSystem.h"
#include "app/SetAsideCopies.h"
#include "framework/FileIO.h"

namespace qv {

// The ids of the kept clips, one a line (CR LF), beside the two clip files.
inline constexpr char kKeptIdsFile[] = "vqclips.qvk";
std::string KeptIdsImage(const std::vector<std::string>& ids);
// Lines that are no id are passed over.
std::vector<std::string> ReadKeptIds(std::string_view bytes);

// A deleted text leaves the files at the next turn of the message loop: a crash right after
// a delete must not bring it back, and the changes of one command are purged together.
inline constexpr unsigned kPurgeDelay = 1;
inline constexpr unsigned kPurgeRetry = 5000;
// A change reaches the journal on disk at most this long after it was made.
inline constexpr unsigned kJournalFlushDelay = 1000;
// Auto save writes the clip files this often while it is on.
inline constexpr unsigned kAutoSaveInterval = 300000;

class TClipFolder : private TClipHistoryLog {
 public:
  explicit TClipFolder(TClipHistory& history, TFileSystem& files = RealFileSystem());
  ~TClipFolder() override;
  TClipFolder(const TClipFolder&) = delete;
  TClipFolder& operator=(const TClipFolder&) = delete;

  // The folder, ending in its separator.
  void SetFolder(std::string folder) { folder_ = std::move(folder); }
  const std::string& Folder() const { return folder_; }
  std::string ListPath() const { return folder_ + kClipListFile; }
  std::string StorePath() const { return folder_ + kClipStoreFile; }
  std::string ExactPath() const { return folder_ + kExactTextFile; }
  std::string KeptPath() const { return folder_ + kKeptIdsFile; }
  std::string JournalPath() const { return folder_ + kClipJournalFile; }

  // ---- the start ----
  enum class TMode {
    Own,       // the program's: a save left half-done is finished, leftovers are swept,
               // a replayed journal is saved into the files
    ReadOnly,  // a reader's (the clip tool while the program may run): nothing on disk changes
  };
  // Reads the list, then the store, then the exact texts, onto the history, and replays
  // the journal onto them. Raises EFOpenError naming the first of the two files that was
  // there but could not be read; with neither there (a first start) the history is empty
  // and nothing is raised; with only the list there the store is empty. A file that was
  // there but not read is set aside at the next save, so its clips are never overwritten.
  // Journaling is on from here (Own).
  void Load(TMode mode = TMode::Own);
  // What the start has to tell the user, each once (a damaged journal, exact texts that
  // could not be read, a journal set aside); empty when all is well.
  const std::vector<std::string>& Notes() const { return notes_; }
  struct TReplay {
    int replayed = 0;            // journal entries replayed
    bool cutShort = false;       // its last write was cut short (left out; nothing lost)
    bool damaged = false;        // an entry was damaged: what follows it could not be read
    bool foreign = false;        // it did not fit the files: it was not (all) replayed
    bool unread = false;         // it could not be read at all
    bool finishedSave = false;   // a save stopped half-way was found (and finished, where
                                 // its files could be put in place)
    size_t readUpTo = 0;         // bytes of sound entries
    std::string setAside;        // where the journal was kept, when it was set aside
  };
  const TReplay& Replay() const { return replay_; }
  bool ExactTextsDamaged() const { return exact_damaged_; }
  // Exact texts the file held for clips the store does not hold (dropped; upper-case ids).
  const std::vector<std::string>& OrphanExactTexts() const { return orphans_; }

  // ---- saving ----
  // Writes the files and ends the journal; what deletes and clears took away since the last
  // save then also leaves the copies set aside. Raises EFCreateError naming the file that
  // could not be written; then nothing is lost: the files hold what they held, or the
  // journal says how to finish the save.
  void Save();
  // For a reader that changes the history and saves it (the clip tool's delete): what a
  // delete takes away leaves the copies set aside at the save too. Nothing is journaled.
  void FollowChanges() { history_.SetLog(this); }

  // ---- the journal ----
  // Off while saving is suppressed: nothing is journaled then, and turning it on again
  // after changes saves them first.
  void SetJournaling(bool on);
  bool Journaling() const { return journaling_; }
  // Entries not on the disk yet.
  const std::string& Pending() const { return pending_; }
  // Appends them to the journal and pushes them to the disk; false when it cannot be
  // written (they are kept for the next try).
  bool Flush();
  // The journal's size on the disk, as this run wrote it.
  uint64_t JournalSize() const { return journal_size_; }

  // ---- when ----
  // The window's timer calls Tick with the time in milliseconds (any clock that does not
  // go back), and asks NextTick how long until the next one (0: none is needed until
  // OnWake asks for one).
  void Tick(uint64_t now);
  unsigned NextTick(uint64_t now) const;
  void SetAutoSave(bool on, uint64_t now);
  bool AutoSave() const { return auto_save_; }
  // Texts seen with capture on: auto save saves only when more were seen since the last.
  std::function<unsigned long()> Activity;
  // Something became due (the first change after a flush): ask NextTick again.
  std::function<void()> OnWake;
  // A trouble the user should hear of once (a journal that cannot be written, a save the
  // policy tried that failed).
  std::function<void(const std::string& what)> OnTrouble;

 private:
  // TClipHistoryLog
  void Captured(std::string_view id, std::string_view line, std::string_view text,
                std::string_view exact) override;
  void Moved(int from, std::string_view line) override;
  void Removed(int index, std::string_view line) override;
  void Deleted(int index, std::string_view line) override;
  void KeptChanged(std::string_view id, bool kept) override;
  void Clearing() override;
  void Reordered(const TClipHistory& history) override;
  void Log(TJournalKind kind, std::initializer_list<std::string_view> fields);
  // The journal becomes these bytes, pushed to the disk; then later entries are appended.
  TFileStatus WriteJournal(const std::string& bytes);

  struct TMarks {
    TFileMark list, store, exact, kept;
  };
  // A deleted or cleared text is still in the files and the journal: a save soon rewrites
  // them without it.
  void PurgeSoon();
  // Whether the folder holds copies set aside, which a deleted text must leave too.
  bool AnyCopySetAside();
  bool ReadJournal(std::string& bytes);
  // Finishes a save the journal says was under way: its files are put in place, or, where
  // they cannot be, paths (store, exact texts, list) name them instead.
  void FinishSave(const TJournalEntry& saving, TMode mode, std::string paths[3]);
  // One entry onto the history, checked against it: false when it does not fit.
  bool Apply(const TJournalEntry& entry);
  // The entries after the journal's last checkpoint onto the history, when that fits the
  // files as read (on_disk_); what does not fit or cannot be read is set aside.
  void ReplayJournal(const std::string& bytes, const TJournalRead& journal, TMode mode);
  void SweepLeftovers();
  void Trouble(const std::string& what);
  std::string CheckpointEntry() const;

  TClipHistory& history_;
  TFileSystem& files_;
  std::string folder_;
  std::vector<std::string> notes_;
  TReplay replay_;
  bool list_unread_ = false, store_unread_ = false, exact_unread_ = false, kept_unread_ = false;
  bool purge_due_ = false;
  uint64_t purge_retry_at_ = 0;  // after a purge that failed
  TGoneTexts gone_;  // deleted texts, until a save took them from the files and the copies
  bool exact_damaged_ = false;
  std::vector<std::string> orphans_;
  // The journal was there but not read, or does not fit: kept aside before it is written.
  bool journal_unread_ = false;
  // The files as they are on disk: what a new journal's checkpoint says.
  TMarks on_disk_;
  // The journal on disk has a checkpoint and entries this run may append to.
  bool journal_open_ = false;
  uint64_t journal_size_ = 0;
  bool journaling_ = false;
  bool unjournaled_changes_ = false;
  std::string pending_;
  uint64_t pending_since_ = 0;
  bool pending_dated_ = false;
  // Temporary files of saves that could not all be put in place: the next good save
  // removes them.
  std::vector<std::string> leftovers_;
  bool auto_save_ = false;
  uint64_t next_auto_save_ = 0;
  unsigned long activity_at_save_ = 0;
  uint64_t last_tick_ = 0;
  bool flush_trouble_said_ = false;
  // A save the journal's size asked for failed: tried again at this size.
  uint64_t compaction_at_ = 0;
};

}  // namespace qv
