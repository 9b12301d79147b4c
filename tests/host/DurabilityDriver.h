#pragma once
// The clip files under random work and random trouble: captures (some with exact texts,
// some that only just fit the store), recalls that trim the list, deletes, keeps and
// unkeeps, sorts, clears, flushes,
// saves and suppressed stretches, while the disk refuses writes, renames and deletes and
// the power goes at any step (a torn or zero-filled journal tail included). At every crash
// point a fresh start from a copy of the folder must give exactly what was last made
// durable: line by line, text by text, exact text by exact text, mark by mark; and after
// every flush
// and every save, what the live history holds. Shared by the host test (seeded runs) and
// the fuzz target (runs drawn from its input).

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/ClipFolder.h"
#include "framework/FileIO.h"
#include "framework/SysUtils.h"

namespace qv::test {

// What a history shows: every line, its text and its exact text.
struct THistoryState {
  TClipLines lines;
  std::vector<std::optional<std::string>> texts;
  std::vector<std::string> exacts;
  std::vector<bool> kept;
  bool operator==(const THistoryState&) const = default;
};

inline THistoryState StateOf(const TClipHistory& history) {
  THistoryState state;
  state.lines = history.Lines();
  for (int i = 0; i < history.Count(); ++i) {
    state.texts.push_back(history.TextOf(i));
    const std::string* exact = history.ExactTextOf(i);
    state.exacts.push_back(exact ? *exact : std::string("-"));
    state.kept.push_back(history.Kept(i));
  }
  return state;
}

inline std::string Describe(const THistoryState& a, const THistoryState& b) {
  if (a.lines.size() != b.lines.size())
    return Format("%d lines instead of %d", static_cast<int>(a.lines.size()),
                  static_cast<int>(b.lines.size()));
  for (size_t i = 0; i < a.lines.size(); ++i) {
    if (a.lines[i] != b.lines[i]) return Format("line %d differs", static_cast<int>(i));
    if (a.texts[i] != b.texts[i]) return Format("the text of line %d differs", static_cast<int>(i));
    if (a.exacts[i] != b.exacts[i])
      return Format("the exact text of line %d differs", static_cast<int>(i));
    if (a.kept[i] != b.kept[i]) return Format("the mark of line %d differs", static_cast<int>(i));
  }
  return "equal";
}

// The real files, with a say before and after every change to the disk.
class TTroubledFiles : public TFileSystem {
 public:
  // Before a change: false makes it fail without touching anything.
  std::function<bool(const std::string& op, const std::string& path, const std::string* bytes)>
      before;
  std::function<void(const std::string& op, const std::string& path, bool ok)> after;

  TFileStatus WriteTemporary(const std::string& path, const std::string& bytes,
                             std::string& temporary) override {
    if (!Ask("temporary", path, &bytes)) return kRefused;
    return Tell("temporary", path, TFileSystem::WriteTemporary(path, bytes, temporary));
  }
  TFileStatus Replace(const std::string& from, const std::string& to) override {
    if (!Ask("replace", to, nullptr)) return kRefused;
    return Tell("replace", to, TFileSystem::Replace(from, to));
  }
  TFileStatus RenameNew(const std::string& from, const std::string& to) override {
    if (!Ask("rename", from, nullptr)) return kRefused;
    return Tell("rename", from, TFileSystem::RenameNew(from, to));
  }
  TFileStatus Append(const std::string& path, const std::string& bytes) override {
    if (!Ask("append", path, &bytes)) return kRefused;
    return Tell("append", path, TFileSystem::Append(path, bytes));
  }
  TFileStatus Remove(const std::string& path) override {
    if (!Ask("remove", path, nullptr)) return kRefused;
    return Tell("remove", path, TFileSystem::Remove(path));
  }

 private:
  // No system call was made, so no system code says why.
  inline static const TFileStatus kRefused = TFileStatus::Failed(0);

  bool Ask(const std::string& op, const std::string& path, const std::string* bytes) {
    return !before || before(op, path, bytes);
  }
  TFileStatus Tell(const std::string& op, const std::string& path, TFileStatus status) {
    if (after) after(op, path, static_cast<bool>(status));
    return status;
  }
};

class TDurabilityDriver {
 public:
  // pick(n): a number in [0, n). folder and scratch: empty folders (ending in '/') of the
  // driver's own.
  TDurabilityDriver(std::function<uint32_t(uint32_t)> pick, std::string folder,
                    std::string scratch, size_t capacity)
      : pick_([pick = std::move(pick)](uint32_t n) { return n ? pick(n) : 0; }),
        folder_(std::move(folder)),
        scratch_(std::move(scratch)),
        capacity_(capacity),
        history_(capacity),
        files_(history_, troubled_),
        ids_([this] { return ticks_ += 7919; }) {
    files_.SetFolder(folder_);
    troubled_.before = [this](const std::string& op, const std::string& path,
                              const std::string* bytes) { return Before(op, path, bytes); };
    troubled_.after = [this](const std::string& op, const std::string& path, bool ok) {
      After(op, path, ok);
    };
  }

  // Runs steps of random work; returns what went wrong first, or empty.
  std::string Run(int steps) {
    files_.Load();
    durable_ = StateOf(history_);
    for (int step = 0; step < steps && failure_.empty(); ++step) Step(step);
    return failure_;
  }

  int Crashes() const { return crashes_; }

 private:
  bool Chance(uint32_t percent) { return pick_(100) < percent; }

  std::string RandomText() {
    static const char kLetters[] = "ab \t\r\n/:tlr\\x";
    const uint32_t kind = pick_(10);
    size_t length = kind < 7 ? pick_(7) : kind < 9 ? 7 + pick_(60) : pick_(static_cast<uint32_t>(capacity_));
    std::string text;
    for (size_t i = 0; i < length; ++i) text += kLetters[pick_(sizeof kLetters - 1)];
    return TTextBuffer::NormalizeLineBreaks(text);
  }

  void Step(int step) {
    faults_ = Chance(30);
    Work();
    // What a start would give should the journal's next write stop right after this.
    if (!files_.Pending().empty()) since_.emplace_back(files_.Pending().size(), StateOf(history_));
    (void)step;
  }

  void Work() {
    const uint32_t what = pick_(100);
    Trace(Format("step %u (faults %d, lines %d)", what, faults_ ? 1 : 0, history_.Count()));
    const int lines = history_.Count();
    const int line = static_cast<int>(pick_(static_cast<uint32_t>(lines)));
    if (what < 48) {
      const std::string text = RandomText();
      const std::string exact = Chance(20) ? "\xE2\x86\x92 " + text : std::string();
      history_.AddClip(text, ids_, [](const std::string& t) { return static_cast<int>(t.size()) * 6; },
                       exact);
    } else if (what < 52) {
      if (lines > 0) history_.Delete(line);
    } else if (what < 60) {
      if (lines > 0) history_.SetKept(line, !history_.Kept(line));
    } else if (what < 70) {
      if (lines > 0) history_.MoveToTop(line);
    } else if (what < 72) {
      history_.Sort([](const std::string& a, const std::string& b) { return a < b; });
    } else if (what < 74) {
      history_.Clear();
    } else if (what < 86) {
      if (files_.Flush() && files_.Pending().empty()) Compare("after a flush");
    } else if (what < 95) {
      saving_ = true;
      unrecorded_ = false;
      try {
        files_.Save();
        saving_ = false;
        degraded_ = unrecorded_;
        if (!degraded_) Compare("after a save");
      } catch (const EFCreateError&) {
        // Refused by the disk: nothing may be lost all the same (the crashes tell).
        degraded_ = degraded_ || unrecorded_;
      }
      saving_ = false;
    } else if (what < 97) {
      // A stretch with saving suppressed, on a disk that behaves when it ends.
      files_.SetJournaling(false);
      if (history_.Count() > 0) history_.MoveToTop(static_cast<int>(pick_(static_cast<uint32_t>(history_.Count()))));
      faults_ = false;
      files_.SetJournaling(true);
    } else {
      faults_ = false;
      Crash("at a restart", std::nullopt);
    }
  }

  // Before a change to the disk: maybe the power goes first, maybe the change fails.
  bool Before(const std::string& op, const std::string& path, const std::string* bytes) {
    if (!failure_.empty()) return true;
    Trace("  " + op + " " + Name(path));
    const bool ofJournal = Name(path) == kClipJournalFile;
    if (Chance(12)) Crash("before " + op + " of " + Name(path), std::nullopt);
    if (op == "append" && bytes && Chance(15)) {
      // The power goes in the middle of the append: zeros where it goes, or part of it:
      // the changes whose entries it holds whole, or none.
      const std::string& pending = files_.Pending();
      const bool ofPending = !pending.empty() && bytes->size() >= pending.size() &&
                             bytes->compare(bytes->size() - pending.size(), pending.size(), pending) == 0;
      const size_t lead = bytes->size() - (ofPending ? pending.size() : 0);
      const THistoryState durable = durable_;
      std::string torn;
      if (Chance(30)) {
        torn.assign(1 + pick_(static_cast<uint32_t>(bytes->size() + 8)), '\0');
      } else if (ofPending && !since_.empty() && Chance(50)) {
        const auto& [size, state] = since_[pick_(static_cast<uint32_t>(since_.size()))];
        torn = bytes->substr(0, lead + size);
        durable_ = state;
      } else {
        const size_t whole = ofPending && !since_.empty() ? lead + since_.front().first : bytes->size();
        torn = bytes->substr(0, pick_(static_cast<uint32_t>(whole)));
      }
      Crash("in an append to " + Name(path), std::make_pair(path, torn));
      durable_ = durable;
    }
    const bool refused = faults_ && Chance(15);
    if (refused) Trace("    refused");
    // A save that cannot write its record in the journal is only as safe as the order of
    // its renames (the store first): a stop between them mixes old and new files, and
    // the journal no longer fits them until a save writes its record again.
    if (refused && saving_ && ofJournal && op != "remove") unrecorded_ = true;
    return !refused;
  }

  void After(const std::string& op, const std::string& path, bool ok) {
    if (!ok) Trace("    failed");
    if (!ok && saving_ && Name(path) == kClipJournalFile && op != "remove") unrecorded_ = true;
    if (!ok) return;
    // The journal took everything (a flush, a save's record, a new journal), or the last of
    // a save's files is in place: that is what a start gives from now on.
    if ((Name(path) == kClipJournalFile && (op == "append" || op == "replace")) ||
        (Name(path) == kClipListFile && op == "replace")) {
      durable_ = StateOf(history_);
      since_.clear();
    }
  }

  // The last things done, for a failure to show.
  void Trace(const std::string& what) {
    trace_.push_back(what);
    if (trace_.size() > 40) trace_.erase(trace_.begin());
  }
  void Fail(const std::string& what) {
    failure_ = what;
    if (getenv("QV_DURABILITY_TRACE"))
      for (const std::string& line : trace_) failure_ += "\n" + line;
  }

  static std::string Name(const std::string& path) {
    return std::filesystem::path(path).filename().string();
  }

  // A fresh start from a copy of the folder as it is now (plus a torn append).
  void Crash(const std::string& when,
             const std::optional<std::pair<std::string, std::string>>& torn) {
    ++crashes_;
    namespace fs = std::filesystem;
    fs::remove_all(scratch_);
    fs::create_directories(scratch_);
    for (const auto& entry : fs::directory_iterator(folder_))
      if (entry.is_regular_file()) fs::copy_file(entry.path(), scratch_ + Name(entry.path().string()));
    if (torn && !AppendToFileDurably(scratch_ + Name(torn->first), torn->second)) {
      Fail("the torn append " + when + " could not be made in the copy");
      return;
    }
    // See Before: what a start gives then is not checked, only that it starts.
    const bool unchecked = (saving_ && unrecorded_) || degraded_;
    TClipHistory restarted(capacity_);
    TClipFolder files(restarted);
    files.SetFolder(scratch_);
    try {
      files.Load();
    } catch (const Exception& e) {
      if (!unchecked) Fail("a start " + when + " failed: " + e.Message());
      return;
    }
    if (unchecked) return;
    const THistoryState state = StateOf(restarted);
    if (state != durable_) {
      Fail("a start " + when + " gave another history: " + Describe(state, durable_));
      return;
    }
    for (const std::string& note : files.Notes())
      if (note.find("damaged") != std::string::npos || note.find("does not fit") != std::string::npos)
        Fail("a start " + when + " said: " + note);
  }

  void Compare(const std::string& when) {
    const bool was = faults_;
    faults_ = false;
    durable_ = StateOf(history_);
    since_.clear();
    Crash(when, std::nullopt);
    faults_ = was;
  }

  std::function<uint32_t(uint32_t)> pick_;
  std::string folder_, scratch_;
  size_t capacity_;
  TTroubledFiles troubled_;
  TClipHistory history_;
  TClipFolder files_;
  uint32_t ticks_ = 1000000;
  TClipIdGenerator ids_;
  THistoryState durable_;
  // Since the durable state: the entries' size and the state after each step.
  std::vector<std::pair<size_t, THistoryState>> since_;
  bool faults_ = false;
  bool saving_ = false;      // inside a save
  bool unrecorded_ = false;  // whose record the journal refused
  bool degraded_ = false;    // a save like that came since the last one with its record
  std::string failure_;
  std::vector<std::string> trace_;
  int crashes_ = 0;
};

}  // namespace qv::test
