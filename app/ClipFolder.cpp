#include "app/ClipFolder.h"

#include <algorithm>
#include <new>

#include "framework/FileIO.h"
#include "framework/SysUtils.h"
#include "framework/TextBuffer.h"

namespace qv {


namespace {

// The four files a save writes, in the order it puts them in place: the list after the
// store, so that a list put in place always finds its texts unless a delete took them,
// and the kept ids last (an id no line carries is dropped at the start).
enum { kStore, kExact, kList, kKept, kFiles };
// Their mark's field in the journal's checkpoints and save records, and the field of the
// temporary file in a save record (the kept ids' came later: after the others).
constexpr size_t kMarkField[kFiles] = {1, 2, 0, 6};
constexpr size_t kTemporaryField[kFiles] = {4, 5, 3, 7};
constexpr size_t kCheckpointKeptField = 3;

// A file that is there but could not be read: no mark of a written file matches it.
constexpr TFileMark kUnreadable{-2, 0};

std::string FileName(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// What tells the line of a delete without a byte of its text: the clip's id, or for a line
// without one (which leads to no text) a check of the line.
std::string DeletedLineField(std::string_view line) {
  if (const auto id = ListLineId(line)) return *id;
  return JournalIndexField(Crc32(line));
}

}  // namespace

std::string KeptIdsImage(const std::vector<std::string>& ids) {
  std::string image;
  for (const std::string& id : ids) image.append(id).append("\r\n");
  return image;
}

std::vector<std::string> ReadKeptIds(std::string_view bytes) {
  std::vector<std::string> ids;
  for (std::string_view line : SplitListLines(bytes))
    if (line.size() == kClipIdLength) ids.emplace_back(line);
  return ids;
}

TClipFolder::TClipFolder(TClipHistory& history, TFileSystem& files)
    : history_(history), files_(files) {}

TClipFolder::~TClipFolder() { history_.SetLog(nullptr); }

// ---- the start ----

void TClipFolder::Load(TMode mode) {
  const bool own = mode == TMode::Own;
  history_.SetLog(nullptr);
  journaling_ = false;
  pending_.clear();
  notes_.clear();
  replay_ = {};
  exact_damaged_ = false;
  journal_open_ = false;
  journal_size_ = 0;
  journal_unread_ = false;
  unjournaled_changes_ = false;
  purge_due_ = false;
  gone_.Clear();
  leftovers_.clear();

  // The journal first: it may say that a save stopped half-way, whose files are then
  // the ones to read.
  std::string journal;
  const bool haveJournal = files_.Exists(JournalPath());
  if (haveJournal && !ReadJournal(journal)) {
    replay_.unread = true;
    journal_unread_ = true;
  }
  TJournalRead read;
  try {
    read = qv::ReadJournal(journal);
  } catch (const std::bad_alloc&) {
    // Too large for this process to take apart: kept aside like one that cannot be read.
    read = TJournalRead();
    std::string().swap(journal);
    replay_.unread = true;
    journal_unread_ = true;
  }
  size_t base = read.entries.size();  // the last checkpoint or save record
  for (size_t i = 0; i < read.entries.size(); ++i)
    if (read.entries[i].kind == TJournalKind::Checkpoint ||
        read.entries[i].kind == TJournalKind::Saving)
      base = i;
  std::string paths[kFiles] = {StorePath(), ExactPath(), ListPath(), KeptPath()};
  if (base < read.entries.size() && read.entries[base].kind == TJournalKind::Saving)
    FinishSave(read.entries[base], mode, paths);
  if (own)
    SweepTemporaries(files_, folder_, {kClipListFile, kClipStoreFile, kExactTextFile, kKeptIdsFile, kClipJournalFile},
                     leftovers_);

  // Then the two files, and the exact texts beside them.
  auto there = [this](const std::string& path) { return !path.empty() && files_.Exists(path); };
  store_unread_ = there(paths[kStore]);
  exact_unread_ = there(paths[kExact]);
  kept_unread_ = there(paths[kKept]);
  list_unread_ = there(paths[kList]);
  TMarks marks{TFileMark{}, TFileMark{}, TFileMark{}, TFileMark{}};
  std::string listBytes, storeBytes;
  size_t lead = 0;
  TExactTextMap exact;
  std::exception_ptr failed;
  bool missing = false;
  // A file too large for this process's memory cannot be read either.
  auto readFile = [this](const std::string& path, std::string& bytes,
                         size_t (*leadFor)(size_t), size_t* leadUsed) {
    try {
      return files_.Read(path, bytes, leadFor, leadUsed);
    } catch (const std::bad_alloc&) {
      bytes = std::string();
      return TFileStatus::Failed(0);
    }
  };
  try {
    if (list_unread_ || store_unread_) {
      if (const TFileStatus read = readFile(paths[kList], listBytes, nullptr, nullptr); !read) {
        missing = !list_unread_;
        marks.list = list_unread_ ? kUnreadable : TFileMark{};
        marks.store = store_unread_ ? kUnreadable : TFileMark{};
        throw EFOpenError(MsgCannotOpenFile(ListPath()), read.Error());
      }
      list_unread_ = false;
      marks.list = MarkOf(listBytes);
      if (const TFileStatus read =
              readFile(paths[kStore], storeBytes, TTextBuffer::FrontRoomFor, &lead);
          !read) {
        missing = !store_unread_;
        marks.store = store_unread_ ? kUnreadable : TFileMark{};
        throw EFOpenError(MsgCannotOpenFile(StorePath()), read.Error());
      }
      store_unread_ = false;
      marks.store = MarkOf(std::string_view(storeBytes).substr(lead));
    }
  } catch (const EFOpenError&) {
    failed = std::current_exception();
    storeBytes.clear();
    lead = 0;
  }
  if (exact_unread_) {
    std::string bytes;
    if (readFile(paths[kExact], bytes, nullptr, nullptr)) {
      exact_unread_ = false;
      marks.exact = MarkOf(bytes);
      exact_damaged_ = ReadExactTexts(bytes, exact).damaged;
    } else {
      marks.exact = kUnreadable;
      exact_damaged_ = true;  // set aside at the save, like the other two
    }
    if (exact_damaged_)
      notes_.push_back("Some exact texts in " + ExactPath() +
                       " could not be read; those clips keep the text of the clip list.");
  }
  orphans_ = history_.Assign(listBytes, std::move(storeBytes), lead, std::move(exact));
  std::string().swap(listBytes);
  if (kept_unread_) {
    std::string bytes;
    if (readFile(paths[kKept], bytes, nullptr, nullptr)) {
      kept_unread_ = false;
      marks.kept = MarkOf(bytes);
      history_.AssignKept(ReadKeptIds(bytes));
    } else {
      marks.kept = kUnreadable;
      notes_.push_back("The kept clips in " + KeptPath() +
                       " could not be read; those clips are not marked as kept.");
    }
  }
  on_disk_ = marks;

  // Then what the journal adds.
  if (haveJournal) ReplayJournal(journal, read, mode);
  if (!own) {
    if (failed) std::rethrow_exception(failed);
    return;
  }
  journaling_ = true;
  history_.SetLog(this);
  if (replay_.replayed > 0 || replay_.finishedSave) {
    try {
      Save();
      // The file is there now; one that was there but could not be read is still worth a word.
      if (missing) failed = nullptr;
    } catch (const EFCreateError& e) {
      // The journal still holds what was replayed: the next save or start tries again.
      notes_.push_back(WithSystemReason(e.Message(), e.ErrorCode()) + ". The clips are kept in " +
                       JournalPath() + " until the clip files can be written.");
    }
  }
  if (failed) std::rethrow_exception(failed);
}

bool TClipFolder::ReadJournal(std::string& bytes) {
  try {
    return static_cast<bool>(files_.Read(JournalPath(), bytes, nullptr, nullptr));
  } catch (const std::bad_alloc&) {
    bytes = std::string();
    return false;
  }
}

void TClipFolder::FinishSave(const TJournalEntry& saving, TMode mode, std::string paths[3]) {
  const bool own = mode == TMode::Own;
  for (int file = 0; file < kFiles; ++file) {
    if (kTemporaryField[file] >= saving.fields.size()) continue;  // written before it was kept
    const std::string& temporary = saving.fields[kTemporaryField[file]];
    const std::string target = paths[file];
    if (temporary.empty()) {
      // The save removes this file (no exact texts).
      if (!files_.Exists(target)) continue;
      replay_.finishedSave = true;
      if (!own || !files_.Remove(target)) paths[file].clear();
      continue;
    }
    const std::string from = folder_ + temporary;
    if (!files_.Exists(from)) continue;  // put in place before the stop
    replay_.finishedSave = true;
    if (own && files_.Replace(from, target)) continue;
    // Still held by another program (or read only): the new file is read where it is, and
    // kept until a save has put its content in place.
    paths[file] = from;
    if (own) leftovers_.push_back(from);
  }
}

void TClipFolder::ReplayJournal(const std::string& bytes, const TJournalRead& journal,
                                TMode mode) {
  const bool own = mode == TMode::Own;
  // The entries after the last checkpoint or save record apply, to the files it names.
  size_t from = 0, baseStart = 0;
  const TJournalEntry* base = nullptr;
  for (size_t i = 0; i < journal.entries.size(); ++i)
    if (journal.entries[i].kind == TJournalKind::Checkpoint ||
        journal.entries[i].kind == TJournalKind::Saving) {
      base = &journal.entries[i];
      baseStart = i ? journal.entries[i - 1].end : 0;
      from = i + 1;
    }
  bool baseFits = !replay_.unread;
  if (base) {
    TFileMark want[3];
    for (int i = 0; i < 3; ++i) MarkOfField(base->fields[static_cast<size_t>(i)], want[i]);
    baseFits = baseFits && want[0] == on_disk_.list && want[1] == on_disk_.store &&
               want[2] == on_disk_.exact;
    // Journals written before kept ids were do not say which file of them they fit.
    const size_t keptField =
        base->kind == TJournalKind::Checkpoint ? kCheckpointKeptField : kMarkField[kKept];
    TFileMark kept;
    if (keptField < base->fields.size())
      baseFits = baseFits && MarkOfField(base->fields[keptField], kept) && kept == on_disk_.kept;
  } else {
    // Written before journals had checkpoints: it can only be meant for the files as they
    // are, and every entry is checked against them as it is replayed.
    baseFits = baseFits && on_disk_.list != kUnreadable && on_disk_.store != kUnreadable;
  }
  bool fits = baseFits;
  size_t usable = base ? base->end : 0;  // the end of what fits the history
  if (fits) {
    for (size_t i = from; i < journal.entries.size() && fits; ++i) {
      fits = Apply(journal.entries[i]);
      if (!fits) break;
      ++replay_.replayed;
      usable = journal.entries[i].end;
    }
  }
  replay_.damaged = journal.end == TJournalEnd::Damaged;
  replay_.cutShort = journal.end == TJournalEnd::CutShort;
  replay_.foreign = !fits && !replay_.unread;
  replay_.readUpTo = journal.soundLength;
  const std::string name = kClipJournalFile;
  if (replay_.unread)
    notes_.push_back("The record of clips not yet saved (" + name +
                     ") could not be read; its changes are not in the history.");
  const bool whole = fits && journal.end == TJournalEnd::Whole;
  if (whole && base) {
    journal_open_ = true;
    journal_size_ = bytes.size();
  }
  if (!own) {
    // A reader that saves (a repair) keeps what it could not replay.
    journal_unread_ = replay_.unread || replay_.damaged || replay_.foreign;
    return;
  }
  // An empty file, or one without a checkpoint, is replaced at the first flush.
  if (whole && (base || journal.entries.empty())) return;
  // What does not fit, or cannot be read, is kept whole beside it, never thrown away unread;
  // a journal whose last write was only cut short holds nothing more to keep.
  if (replay_.unread || replay_.damaged || replay_.foreign)
    journal_unread_ = !SetAside(files_, JournalPath(), &replay_.setAside);
  const std::string kept = replay_.setAside.empty()
                               ? std::string("it is left as it is")
                               : "it was kept as " + FileName(replay_.setAside);
  if (replay_.foreign)
    notes_.push_back(Format(
        "The record of clips not yet saved (%s) does not fit the clip files beside it (they "
        "were changed or replaced after it was written). %d change(s) that fitted were "
        "restored; %s.",
        name.c_str(), replay_.replayed, kept.c_str()));
  else if (replay_.damaged)
    notes_.push_back(Format(
        "Part of the record of clips not yet saved (%s) was damaged and could not be read. "
        "%d change(s) before the damaged part were restored; %s.",
        name.c_str(), replay_.replayed, kept.c_str()));
  else if (replay_.unread)
    notes_.back() += replay_.setAside.empty()
                         ? std::string(" It is left as it is.")
                         : " It was kept as " + FileName(replay_.setAside) + ".";
  if (journal_unread_) return;
  // The part that fits becomes the journal, so that it still counts should the save that
  // follows fail; changes are appended after it.
  std::string keep;
  if (baseFits && usable > baseStart)
    keep = (base ? std::string() : CheckpointEntry()) + bytes.substr(baseStart, usable - baseStart);
  if (keep.empty()) {
    if (replay_.setAside.empty()) files_.Remove(JournalPath());  // nothing in it to keep
    return;
  }
  WriteJournal(keep);
}

bool TClipFolder::Apply(const TJournalEntry& e) {
  auto lineAt = [this](const std::string& indexField, const std::string& line) {
    const uint32_t at = JournalIndexOf(indexField);
    return at < static_cast<uint32_t>(history_.Count()) && history_.LineIs(static_cast<int>(at), line)
               ? static_cast<int>(at)
               : -1;
  };
  switch (e.kind) {
    case TJournalKind::Capture:
      return history_.AddClipLine(e.fields[2], e.fields[0], e.fields[1],
                                  e.fields.size() > 3 ? std::string_view(e.fields[3])
                                                      : std::string_view());
    case TJournalKind::Move: {
      const int i = lineAt(e.fields[0], e.fields[1]);
      if (i < 0) return false;
      history_.MoveLineToTop(i);
      return true;
    }
    case TJournalKind::Remove: {
      const int i = lineAt(e.fields[0], e.fields[1]);
      if (i < 0) return false;
      history_.RemoveLine(i);
      return true;
    }
    case TJournalKind::Delete: {
      const uint32_t at = JournalIndexOf(e.fields[0]);
      if (at >= static_cast<uint32_t>(history_.Count()) ||
          DeletedLineField(history_.Line(static_cast<int>(at))) != e.fields[1])
        return false;
      history_.Delete(static_cast<int>(at));
      return true;
    }
    case TJournalKind::Keep:
      return history_.SetKeptId(e.fields[0], e.fields[1] == "1");
    case TJournalKind::Clear:
      history_.Clear();
      return true;
    case TJournalKind::Lines:
      history_.ReplaceLines(std::vector<std::string_view>(e.fields.begin(), e.fields.end()));
      return true;
    case TJournalKind::Checkpoint:
    case TJournalKind::Saving:
      return true;
  }
  return false;
}

// ---- saving ----

void TClipFolder::Save() {
  // Files that were there at start but were not read hold clips this run never saw:
  // replacing them would lose those, so they are kept aside first.
  const std::string targets[kFiles] = {StorePath(), ExactPath(), ListPath(), KeptPath()};
  bool* unread[kFiles] = {&store_unread_, &exact_unread_, &list_unread_, &kept_unread_};
  for (int file = 0; file < kFiles; ++file)
    if (*unread[file]) {
      if (const TFileStatus kept = SetAside(files_, targets[file]); !kept)
        throw EFCreateError(MsgCannotCreateFile(targets[file]), kept.Error());
      *unread[file] = false;
    }
  if (journal_unread_ && SetAside(files_, JournalPath())) journal_unread_ = false;

  const std::string images[kFiles] = {history_.StoreImage(), history_.ExactImage(),
                                      history_.ListImage(), KeptIdsImage(history_.KeptIds())};
  auto markOf = [](const std::string& image) { return image.empty() ? TFileMark{} : MarkOf(image); };
  TMarks marks{MarkOf(images[kList]), MarkOf(images[kStore]), markOf(images[kExact]),
               markOf(images[kKept])};
  std::string temporaries[kFiles];
  auto dropTemporaries = [&] {
    for (const std::string& t : temporaries)
      if (!t.empty()) files_.Remove(t);
  };
  for (int file = 0; file < kFiles; ++file) {
    // No exact texts, no kept clips: no such file.
    if ((file == kExact || file == kKept) && images[file].empty()) continue;
    if (const TFileStatus written =
            files_.WriteTemporary(targets[file], images[file], temporaries[file]);
        !written) {
      dropTemporaries();
      throw EFCreateError(MsgCannotCreateFile(targets[file]), written.Error());
    }
  }

  // The record that the files are being put in place: from here on a stop is finished by
  // the next start, and the changes before it are in these files.
  std::string record;
  {
    std::vector<std::string> fields(8);
    const TFileMark* fileMarks[kFiles] = {&marks.store, &marks.exact, &marks.list, &marks.kept};
    for (int file = 0; file < kFiles; ++file) {
      fields[kMarkField[file]] = MarkField(*fileMarks[file]);
      fields[kTemporaryField[file]] =
          temporaries[file].empty() ? std::string() : FileName(temporaries[file]);
    }
    AppendJournalEntry(record, TJournalKind::Saving, fields);
  }
  bool recorded = false;
  if (!journal_unread_) {
    if (!journal_open_) {
      recorded = static_cast<bool>(WriteJournal(record));
    } else if ((recorded = static_cast<bool>(files_.Append(JournalPath(), record)))) {
      journal_size_ += record.size();
    }
  }

  for (int file = 0; file < kFiles; ++file) {
    const TFileStatus done = temporaries[file].empty()
                                 ? files_.Remove(targets[file])
                                 : files_.Replace(temporaries[file], targets[file]);
    if (done) {
      temporaries[file].clear();
      continue;
    }
    if (recorded) {
      // The record finishes this save at the next start; what follows it is appended.
      for (const std::string& t : temporaries)
        if (!t.empty()) leftovers_.push_back(t);
      journal_open_ = true;
      pending_.clear();
    } else {
      dropTemporaries();
      if (file != kStore) {
        // Some files are new and some old, and no record says so: no journal fits them.
        // One that starts now would not fit either; the next start keeps it aside and says
        // so. The next good save ends this.
        journal_open_ = false;
        on_disk_ = {kUnreadable, kUnreadable, kUnreadable, kUnreadable};
      }
    }
    throw EFCreateError(MsgCannotCreateFile(targets[file]), done.Error());
  }

  // Every file is in place: the journal has nothing more to say.
  on_disk_ = marks;
  pending_.clear();
  unjournaled_changes_ = false;
  for (const std::string& leftover : leftovers_) files_.Remove(leftover);
  leftovers_.clear();
  if (!journal_unread_ && files_.Remove(JournalPath())) {
    journal_open_ = false;
    journal_size_ = 0;
  } else {
    // Held by another program: ending with the record, it still fits these files, and what
    // follows is appended to it. Without the record it fits nothing: the next flush
    // replaces it.
    journal_open_ = recorded;
  }
  // The files no longer hold what was deleted: nor shall the copies set aside.
  ScrubSetAsideCopies(files_, folder_, gone_);
  gone_.Clear();
}

// ---- the journal ----

std::string TClipFolder::CheckpointEntry() const {
  std::string entry;
  AppendJournalEntry(entry, TJournalKind::Checkpoint,
                     {MarkField(on_disk_.list), MarkField(on_disk_.store), MarkField(on_disk_.exact),
                      MarkField(on_disk_.kept)});
  return entry;
}

TFileStatus TClipFolder::WriteJournal(const std::string& bytes) {
  TFileStatus done;
  if (!files_.Exists(JournalPath())) {
    done = files_.Append(JournalPath(), bytes);
  } else {
    // What is there (set aside, stale, or cut short) is replaced in one step.
    std::string temporary;
    done = files_.WriteTemporary(JournalPath(), bytes, temporary);
    if (done) done = files_.Replace(temporary, JournalPath());
    if (!done && !temporary.empty()) files_.Remove(temporary);
  }
  if (done) {
    journal_open_ = true;
    journal_size_ = bytes.size();
  }
  return done;
}

void TClipFolder::Log(TJournalKind kind, std::initializer_list<std::string_view> fields) {
  if (!journaling_) {
    unjournaled_changes_ = true;
    return;
  }
  const bool first = pending_.empty();
  AppendJournalEntry(pending_, kind, fields);
  if (first && OnWake) OnWake();
}

void TClipFolder::Captured(std::string_view id, std::string_view line, std::string_view text,
                           std::string_view exact) {
  // The exact text, where there is one, rides along as a fourth field.
  if (exact.empty())
    Log(TJournalKind::Capture, {id, line, text});
  else
    Log(TJournalKind::Capture, {id, line, text, exact});
}

void TClipFolder::Moved(int from, std::string_view line) {
  Log(TJournalKind::Move, {JournalIndexField(static_cast<uint32_t>(from)), line});
}

void TClipFolder::Removed(int index, std::string_view line) {
  Log(TJournalKind::Remove, {JournalIndexField(static_cast<uint32_t>(index)), line});
}

void TClipFolder::Deleted(int index, std::string_view line) {
  // Told before the clip goes: its texts and lines, to take from the copies set aside.
  if (AnyCopySetAside()) {
    if (const auto text = history_.TextOf(index)) {
      // Its block, and every block the delete takes for holding the same text.
      history_.Store().ForEachBlock([this, &text](std::string_view id, std::string_view block) {
        if (block == *text) gone_.AddClip(id, block);
      });
    }
    if (const std::string* exact = history_.ExactTextOf(index)) gone_.Add(*exact);
    const auto id = ListLineId(line);
    for (int i = 0; i < history_.Count(); ++i)
      if (i == index || (id && history_.IdOf(i) == id)) gone_.Add(history_.Line(i));
  }
  Log(TJournalKind::Delete, {JournalIndexField(static_cast<uint32_t>(index)), DeletedLineField(line)});
  PurgeSoon();
}

void TClipFolder::KeptChanged(std::string_view id, bool kept) {
  Log(TJournalKind::Keep, {id, kept ? "1" : "0"});
}

void TClipFolder::Clearing() {
  // Told before the clips go: every text, exact text and line not kept, to take from the
  // copies set aside.
  if (AnyCopySetAside()) {
    const TClipStore& store = history_.Store();
    gone_.Reserve(store.SegmentCount() + history_.ExactTexts().size() +
                  static_cast<size_t>(history_.Count()));
    store.ForEachBlock([this, &store](std::string_view id, std::string_view text) {
      if (!store.IsKept(UpperCase(std::string(id)))) gone_.AddClip(id, text);
    });
    for (const auto& [key, exact] : history_.ExactTexts())
      if (!store.IsKept(key)) gone_.Add(exact);
    for (int i = 0; i < history_.Count(); ++i)
      if (!history_.Kept(i)) gone_.Add(history_.Line(i));
  }
  Log(TJournalKind::Clear, {});
  PurgeSoon();
}

bool TClipFolder::AnyCopySetAside() {
  // The copies are made of files this run could not read: what they hold never came into
  // the history, so a copy made later cannot hold what a delete takes from it now.
  const std::vector<std::string> names = files_.Names(folder_);
  return std::any_of(names.begin(), names.end(), IsSetAsideCopy);
}

void TClipFolder::PurgeSoon() {
  if (purge_due_) return;
  purge_due_ = true;
  if (OnWake) OnWake();
}

void TClipFolder::Reordered(const TClipHistory& history) {
  if (!journaling_) {
    unjournaled_changes_ = true;
    return;
  }
  const bool first = pending_.empty();
  const TClipLines lines = history.Lines();
  AppendJournalEntry(pending_, TJournalKind::Lines, std::vector<std::string>(lines.begin(), lines.end()));
  if (first && OnWake) OnWake();
}

void TClipFolder::SetJournaling(bool on) {
  if (on == journaling_) return;
  journaling_ = on;
  if (!on || !unjournaled_changes_) return;
  // Changes made while nothing was journaled cannot be replayed: the files take them now.
  try {
    Save();
  } catch (const EFCreateError& e) {
    // The journal no longer fits what the history holds: it starts anew at the next
    // flush, against files that the next start will find do not fit it.
    journal_open_ = false;
    on_disk_ = {kUnreadable, kUnreadable, kUnreadable, kUnreadable};
    Trouble(WithSystemReason(e.Message(), e.ErrorCode()));
  }
}

bool TClipFolder::Flush() {
  if (pending_.empty()) return true;
  TFileStatus done;
  if (journal_unread_ && (done = SetAside(files_, JournalPath()))) journal_unread_ = false;
  if (!journal_unread_) {
    if (journal_open_) {
      done = files_.Append(JournalPath(), pending_);
      if (done) journal_size_ += pending_.size();
    } else {
      // A new journal: the checkpoint says which files its entries apply to.
      done = WriteJournal(CheckpointEntry() + pending_);
    }
  }
  if (!done) {
    if (!flush_trouble_said_)
      Trouble(WithSystemReason(
                  "Changes to the clips cannot be recorded in " + JournalPath() + " at the moment",
                  done.Error()) +
              "; they are kept and saved with the clip files.");
    flush_trouble_said_ = true;
    return false;
  }
  flush_trouble_said_ = false;
  pending_.clear();
  return true;
}

void TClipFolder::Trouble(const std::string& what) {
  if (OnTrouble) OnTrouble(what);
}

// ---- when ----

void TClipFolder::Tick(uint64_t now) {
  Flush();
  if (purge_due_ && now >= purge_retry_at_) {
    try {
      Save();
      purge_due_ = false;
      purge_retry_at_ = 0;
    } catch (const EFCreateError& e) {
      // Said once; tried again a little later, not at every tick.
      if (purge_retry_at_ == 0) Trouble(WithSystemReason(e.Message(), e.ErrorCode()));
      purge_retry_at_ = now + kPurgeRetry;
    }
  }
  // A journal (or what could not be written of it) past twice what the history can hold
  // costs more at the next start than a save now.
  const uint64_t capacity = history_.Store().Capacity();
  const uint64_t size = journal_size_ + pending_.size();
  if (size > std::max(2 * capacity, compaction_at_)) {
    try {
      Save();
      compaction_at_ = 0;
    } catch (const EFCreateError& e) {
      // Tried again once as much again has come.
      if (compaction_at_ == 0) Trouble(WithSystemReason(e.Message(), e.ErrorCode()));
      compaction_at_ = size + capacity;
    }
  }
  if (auto_save_ && now >= next_auto_save_) {
    next_auto_save_ = now + kAutoSaveInterval;
    // Idle since the last auto save: nothing to write.
    const unsigned long seen = Activity ? Activity() : 0;
    if (seen != activity_at_save_) {
      Save();  // a failure is shown; the next interval tries again
      activity_at_save_ = seen;
    }
  }
}

unsigned TClipFolder::NextTick(uint64_t now) const {
  unsigned wait = pending_.empty() ? 0 : kJournalFlushDelay;
  if (purge_due_) {
    const uint64_t left = purge_retry_at_ > now ? purge_retry_at_ - now : kPurgeDelay;
    wait = static_cast<unsigned>(std::min<uint64_t>(wait ? wait : left, left));
  }
  if (auto_save_) {
    const uint64_t left = next_auto_save_ > now ? next_auto_save_ - now : 1;
    const unsigned autoWait = static_cast<unsigned>(std::min<uint64_t>(left, kAutoSaveInterval));
    wait = wait ? std::min(wait, autoWait) : autoWait;
  }
  return wait;
}

void TClipFolder::SetAutoSave(bool on, uint64_t now) {
  auto_save_ = on;
  if (on) next_auto_save_ = now + kAutoSaveInterval;
}

}  // namespace qv
