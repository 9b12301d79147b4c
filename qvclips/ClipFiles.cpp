#include "qvclips/ClipFiles.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>
#include <utility>

#include "app/RecallRules.h"
#include "framework/FileIO.h"
#include "framework/SysUtils.h"

namespace qv {

namespace {

constexpr size_t kKeyLineLength = kHeaderMarker.size() + kClipIdLength;


// "/:hdr:\" (any letter case) and 13 characters: a line that can open a block.
bool IsHeaderLine(std::string_view line) {
  return line.size() == kKeyLineLength &&
         UpperCase(std::string(line.substr(0, kHeaderMarker.size()))) ==
             UpperCase(std::string(kHeaderMarker));
}

bool IsBlank(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) <= 32; });
}

std::string_view FirstLine(std::string_view text) { return text.substr(0, text.find('\r')); }

// A run of lines outside any block, cut before each header line in it: a clip cut short is
// one piece from its header line on, whatever lies above it is another.
std::vector<std::string_view> LoosePieces(std::string_view run) {
  std::vector<std::string_view> pieces;
  size_t from = 0;
  for (size_t p = 0; p < run.size();) {
    const size_t end = std::min(run.find('\r', p), run.size());
    if (p > from && IsHeaderLine(run.substr(p, end - p))) {
      pieces.push_back(run.substr(from, p - 2 - from));
      from = p;
    }
    p = end + 2;
  }
  pieces.push_back(run.substr(from));
  return pieces;
}

// Gives out line numbers (from 1) of offsets met in increasing order, counting each
// stretch of the text once.
class TLineCounter {
 public:
  explicit TLineCounter(std::string_view text) : text_(text) {}
  size_t LineOf(size_t offset) {
    line_ += static_cast<size_t>(
        std::count(text_.begin() + static_cast<std::ptrdiff_t>(counted_),
                   text_.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
    counted_ = offset;
    return line_ + 1;
  }

 private:
  std::string_view text_;
  size_t counted_ = 0;
  size_t line_ = 0;
};

// "vqclips.qvl line 4" or "vqclips.qvl lines 4-6".
std::string StoreLines(size_t from, size_t to) {
  return std::string(kClipStoreFile) + (from == to ? " line " : " lines ") + std::to_string(from) +
         (from == to ? "" : "-" + std::to_string(to));
}

// Enough for any clock; only a generator stuck on a tiny tick count gets near it.
constexpr int kMaxFreshIdRounds = 100;

}  // namespace

TClipPair::TClipPair(std::string folder) : files_(history_) {
  files_.SetFolder(std::move(folder));
  // The tool needs both files: a folder without them is no clip history.
  if (!PathExists(ListPath())) throw EFOpenError(MsgCannotOpenFile(ListPath()));
  files_.Load(TClipFolder::TMode::ReadOnly);
}

std::vector<TClip> ClipsOf(const TClipPair& pair) {
  std::vector<TClip> clips;
  const TClipHistory& history = pair.History();
  clips.reserve(static_cast<size_t>(history.Count()));
  for (int i = 0; i < history.Count(); ++i) {
    TClip clip{i, LineLabel(i), history.Line(i), std::nullopt, std::nullopt};
    clip.id = ListLineId(clip.line);
    if (clip.id) clip.text = pair.Store().TextOf(*clip.id);
    if (clip.text) clip.exact = pair.ExactOf(*clip.id);
    clips.push_back(std::move(clip));
  }
  return clips;
}

std::string_view LineAround(std::string_view text, size_t at) {
  const size_t before = at == 0 ? std::string_view::npos : text.find_last_of("\r\n", at - 1);
  const size_t from = before == std::string_view::npos ? 0 : before + 1;
  const size_t to = std::min(text.find_first_of("\r\n", at), text.size());
  return text.substr(from, to - from);
}

std::vector<TFinding> CheckClipPair(const TClipPair& pair) {
  std::vector<TFinding> findings;
  std::unordered_set<std::string> listed;
  for (const TClip& clip : ClipsOf(pair)) {
    const std::string where =
        clip.index < 36 ? Format("%s line %d (slot %s)", kClipListFile, clip.index + 1,
                                 clip.label.c_str())
                        : Format("%s line %d", kClipListFile, clip.index + 1);
    if (!clip.id) {
      findings.push_back({true, where + ": no clip id"});
      continue;
    }
    listed.insert(UpperCase(*clip.id));
    if (!clip.text)
      findings.push_back(
          {true, where + ": clip " + *clip.id + " has no text in " + kClipStoreFile});
  }

  const std::string_view text = pair.Store().Buffer().View();
  TLineCounter lines(text);
  std::unordered_set<std::string> seen;
  for (const TStoreSegment& segment : pair.Store().Segments()) {
    const size_t first = lines.LineOf(segment.offset);
    const std::string at = StoreLines(first, first);
    if (segment.key.empty()) {
      const std::string_view run = text.substr(segment.offset, segment.length);
      for (const std::string_view piece : LoosePieces(run)) {
        const size_t from = lines.LineOf(static_cast<size_t>(piece.data() - text.data()));
        const size_t to = from + static_cast<size_t>(std::count(piece.begin(), piece.end(), '\n'));
        const std::string range = StoreLines(from, to);
        const std::string_view head = FirstLine(piece);
        if (IsHeaderLine(head))
          findings.push_back({true, StoreLines(from, from) + ": clip " +
                                        std::string(head.substr(kHeaderMarker.size())) +
                                        " has a header line but no trailer line"});
        else if (IsBlank(piece))
          findings.push_back({true, range + ": blank lines outside any clip"});
        else
          findings.push_back({true, range + ": text outside any clip"});
      }
    } else if (!seen.insert(segment.key).second) {
      findings.push_back({false, at + ": clip " + segment.key +
                                     " repeats the id of a newer clip, whose text every lookup finds"});
    } else if (!listed.count(segment.key)) {
      findings.push_back({false, at + ": clip " + segment.key +
                                     " has no list line (the program keeps the texts of clips "
                                     "its list let go)"});
    }
  }
  if (pair.Store().Size() > kStoreCapacity)
    findings.push_back({true, std::string(kClipStoreFile) + ": " +
                                  std::to_string(pair.Store().Size()) +
                                  " characters, over the limit of " + std::to_string(kStoreCapacity)});
  if (pair.Files().ExactTextsDamaged())
    findings.push_back({true, std::string(kExactTextFile) +
                                  ": damaged; the clips whose exact texts it cannot give paste "
                                  "their text from " + kClipStoreFile});
  std::vector<std::string> orphans = pair.Files().OrphanExactTexts();
  std::sort(orphans.begin(), orphans.end());
  for (const std::string& id : orphans)
    findings.push_back({false, std::string(kExactTextFile) + ": the exact text of clip " + id +
                                   " has no clip text in " + kClipStoreFile +
                                   " (the program drops it at its next save)"});

  const TClipFolder::TReplay& replay = pair.Files().Replay();
  const std::string name = kClipJournalFile;
  if (replay.unread)
    findings.push_back({true, name + ": cannot be read"});
  if (replay.replayed > 0)
    findings.push_back({true, name + ": " + std::to_string(replay.replayed) +
                                  " change(s) not saved in the two files yet; the program's "
                                  "next start puts them there"});
  if (replay.damaged)
    findings.push_back({true, name + ": damaged at byte " + std::to_string(replay.readUpTo) +
                                  "; the changes from there on cannot be read"});
  else if (replay.foreign)
    findings.push_back({true, name + ": does not fit the two files (they were changed after it "
                                     "was written); the program keeps it aside unreplayed"});
  else if (replay.cutShort)
    findings.push_back({false, name + ": its last change was cut short at byte " +
                                   std::to_string(replay.readUpTo) +
                                   " (a write the program did not finish) and is left out"});
  if (replay.finishedSave)
    findings.push_back({true, "a save was stopped half-way; the program's next start finishes "
                              "it from the files it left"});
  return findings;
}

TRepairedPair RepairClipPair(const TClipPair& pair, TClipIdGenerator& ids) {
  TRepairedPair out;
  const TClipStore& store = pair.Store();
  const std::string_view text = store.Buffer().View();
  const std::vector<TStoreSegment> segments = store.Segments();
  std::unordered_set<std::string> taken;  // upper case: every block's id and those given out
  for (const TStoreSegment& segment : segments)
    if (!segment.key.empty()) taken.insert(segment.key);

  auto append = [&out](std::string_view piece) {
    if (!out.store.empty()) out.store.append("\r\n");
    out.store.append(piece);
  };
  for (const TStoreSegment& segment : segments) {
    const std::string_view run = text.substr(segment.offset, segment.length);
    if (!segment.key.empty()) {
      append(run);
      continue;
    }
    for (const std::string_view piece : LoosePieces(run)) {
      if (IsBlank(piece)) {
        ++out.droppedBlankRuns;
        continue;
      }
      // Every line outside the blocks stands where a block may begin, and none of them
      // found its trailer below: so a trailer put after the piece ends exactly this block.
      const std::string_view head = FirstLine(piece);
      if (IsHeaderLine(head)) {
        const std::string id(head.substr(kHeaderMarker.size()));
        if (taken.insert(UpperCase(id)).second) {
          append(std::string(piece) + "\r\n" + TrailerKey(id));
          ++out.closedBlocks;
          continue;
        }
      }
      std::string id = NextUniqueClipId(ids, store, piece);
      for (int round = 1; round < kMaxFreshIdRounds && taken.count(UpperCase(id)); ++round)
        id = NextUniqueClipId(ids, store, piece);
      taken.insert(UpperCase(id));
      append(MakeBlock(id, piece));
      ++out.wrappedRuns;
    }
  }

  TClipStore repaired;
  repaired.SetText(out.store);
  const TClipHistory& history = pair.History();
  for (int i = 0; i < history.Count(); ++i) {
    const std::string line = history.Line(i);
    if (repaired.Locate(line))
      out.list.push_back(line);
    else
      ++out.droppedListLines;
  }
  return out;
}

}  // namespace qv
