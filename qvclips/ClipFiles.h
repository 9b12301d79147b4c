#pragma once
// The two clip files of a folder as the clip tool sees them: the clips in list order with
// their texts, a check of whether the pair is sound, and the sound pair a repair writes.
// Reading goes through the program's own loader, journal and all, so both agree on what a
// clip is and on which clips there are.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/ClipFilter.h"
#include "app/ClipFolder.h"
#include "app/ClipHistory.h"

namespace qv {

class TClipPair {
 public:
  // folder ends with its separator. Loads the list, then the store, then the exact texts,
  // and replays the journal onto them, as the program's start would, changing nothing on
  // disk. Raises EFOpenError ("Cannot open file <path>") when either file cannot be read.
  explicit TClipPair(std::string folder);

  const std::string& Folder() const { return files_.Folder(); }
  std::string ListPath() const { return files_.ListPath(); }
  std::string StorePath() const { return files_.StorePath(); }
  std::string ExactPath() const { return files_.ExactPath(); }
  std::string JournalPath() const { return files_.JournalPath(); }
  const TClipHistory& History() const { return history_; }
  TClipHistory& History() { return history_; }
  TClipFolder& Files() { return files_; }
  const TClipFolder& Files() const { return files_; }
  const TClipStore& Store() const { return history_.Store(); }
  const std::string* ExactOf(std::string_view id) const { return history_.ExactTextOfId(id); }

 private:
  TClipHistory history_;
  TClipFolder files_;
};

// One line of the list.
struct TClip {
  int index;
  std::string label;                     // slot label, or line number past the 36th line
  std::string line;                      // the list line as stored
  std::optional<std::string> id;         // none: the line carries no id
  std::optional<std::string_view> text;  // none: no block has the id (a view into the store)
  const std::string* exact = nullptr;    // the exact text (UTF-8) where the clip has one
};
std::vector<TClip> ClipsOf(const TClipPair& pair);

// The line of text that holds offset at, without its break.
std::string_view LineAround(std::string_view text, size_t at);

struct TFinding {
  bool problem;  // false: worth knowing, but the program works with it as it is
  std::string text;
};
// The history the pair and the journal give, then the journal itself: changes it holds
// are not in the two files yet.
std::vector<TFinding> CheckClipPair(const TClipPair& pair);
inline bool IsSound(const std::vector<TFinding>& findings) {
  for (const TFinding& f : findings)
    if (f.problem) return false;
  return true;
}

// The pair a repair writes. List lines whose text is gone are dropped. Every block is kept.
// Lines outside any block are kept too, as blocks: a header line whose trailer is missing
// (a store cut short) gets its trailer, so its list line finds the text again; other
// lines get a block with a fresh id. Blank lines outside any block are dropped.
struct TRepairedPair {
  std::vector<std::string> list;
  std::string store;  // CR LF breaks, no break after the last line
  int droppedListLines = 0;
  int closedBlocks = 0;
  int wrappedRuns = 0;
  int droppedBlankRuns = 0;
  bool Changed() const {
    return droppedListLines + closedBlocks + wrappedRuns + droppedBlankRuns > 0;
  }
};
TRepairedPair RepairClipPair(const TClipPair& pair, TClipIdGenerator& ids);

}  // namespace qv
