#pragma once
// Copies of the clip files and the journal kept aside ("<name>.bak", ".bak1" ...): a file
// that was there but could not be read, or a journal that did not fit, is kept whole
// rather than overwritten, so that no clip is lost unseen. What the user deletes does not
// live on in them: after the save that takes a deleted or cleared clip out of the files,
// the copies lose it too.

#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "app/ClipFileSystem.h"

namespace qv {

// Keeps the file at path as "<path>.bak" (or .bak1 ... .bak99; when every name is taken, in
// place of the copy written longest ago, so that keeping a file aside never fails for ever).
// Fails when it could not be kept; no file there is no failure. Its new name goes to keptAs.
TFileStatus SetAside(TFileSystem& files, const std::string& path, std::string* keptAs = nullptr);

// What deletes and clears took from the history since the files last lost it: clip texts
// (with their ids), exact texts and list lines.
class TGoneTexts {
 public:
  void Add(std::string_view text);
  // A clip's text with its id: a copy's list line of the id that shows this text goes too,
  // though the history let that line go before.
  void AddClip(std::string_view id, std::string_view text);
  bool Holds(std::string_view text) const { return !set_.empty() && set_.count(text) > 0; }
  // Whether a list line is one that went, or shows the text of a clip that went.
  bool ShowsGone(std::string_view line) const;
  bool Empty() const { return set_.empty(); }
  // Room for this many more texts, taken at once (a clear adds every clip's).
  void Reserve(size_t more);
  void Clear();

 private:
  std::string_view Own(std::string_view text);
  std::deque<std::string> texts_;  // a deque: the views below stay valid as it grows
  std::unordered_set<std::string_view> set_;
  std::unordered_multimap<std::string, std::string_view> clips_;  // by upper-case id
};

// Whether a file name is that of a copy of a clip file or the journal set aside.
bool IsSetAsideCopy(const std::string& name);

// Overwrites with zero bytes, in the bytes of the copy named name, every clip text, exact
// text and list line that gone holds, each where the file's own framing puts one (a text
// that only lies inside another clip's text is that clip's, and stays). The framing is kept
// (a journal's entries get their checks anew), so the copy still reads. True when anything
// changed; copies of no clip file are left as they are.
bool ScrubCopy(std::string_view name, std::string& bytes, const TGoneTexts& gone);

// Every copy set aside in folder (ending in its separator) scrubbed of gone and put back in
// one step. A copy that cannot be read or written is left as it is.
void ScrubSetAsideCopies(TFileSystem& files, const std::string& folder, const TGoneTexts& gone);

}  // namespace qv
