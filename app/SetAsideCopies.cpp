#include "app/SetAsideCopies.h"

#include <algorithm>
#include <cstdint>

#include "app/ClipFileSystem.h"
#include "app/ClipFolder.h"
#include "app/ClipJournal.h"
#include "app/ClipStore.h"
#include "app/ExactTexts.h"
#include "framework/SysUtils.h"

namespace qv {

namespace {

enum class TCopyOf { None, List, Store, Exact, Journal };

TCopyOf CopyOf(std::string_view name) {
  const std::pair<const char*, TCopyOf> files[] = {{kClipListFile, TCopyOf::List},
                                                   {kClipStoreFile, TCopyOf::Store},
                                                   {kExactTextFile, TCopyOf::Exact},
                                                   {kClipJournalFile, TCopyOf::Journal}};
  for (const auto& [file, kind] : files) {
    const std::string prefix = std::string(file) + ".bak";
    if (name.size() < prefix.size() || name.substr(0, prefix.size()) != prefix) continue;
    const std::string_view number = name.substr(prefix.size());
    if (std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
      return kind;
  }
  return TCopyOf::None;
}

bool Zero(std::string& bytes, size_t at, size_t length) {
  std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), length, '\0');
  return length > 0;
}

bool ScrubList(std::string& bytes, const TGoneTexts& gone) {
  bool changed = false;
  for (size_t at = 0; at < bytes.size();) {
    size_t end = bytes.find_first_of("\r\n", at);
    if (end == std::string::npos) end = bytes.size();
    if (gone.ShowsGone(std::string_view(bytes).substr(at, end - at))) changed |= Zero(bytes, at, end - at);
    at = end + (bytes.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return changed;
}

bool ScrubStore(std::string& bytes, const TGoneTexts& gone) {
  bool changed = false;
  for (const TStoreSegment& segment : SplitStore(bytes)) {
    if (segment.key.empty()) continue;
    const std::string_view block = std::string_view(bytes).substr(segment.offset, segment.length);
    const std::string_view text = BlockText(block);
    if (gone.Holds(text))
      changed |= Zero(bytes, segment.offset + static_cast<size_t>(text.data() - block.data()),
                      text.size());
  }
  return changed;
}

bool ScrubExact(std::string& bytes, const TGoneTexts& gone) {
  bool changed = false;
  for (size_t at = bytes.find(kExactMarker); at != std::string::npos;
       at = bytes.find(kExactMarker, at)) {
    // The header: the marker, the id, a space, the text's length, CR LF.
    size_t p = at + kExactMarker.size() + kClipIdLength;
    uint64_t length = 0;
    bool digits = p < bytes.size() && bytes[p] == ' ';
    size_t q = p + 1;
    for (; digits && q < bytes.size() && bytes[q] >= '0' && bytes[q] <= '9' && q - p <= 10; ++q)
      length = length * 10 + static_cast<uint64_t>(bytes[q] - '0');
    if (!digits || q == p + 1 || bytes.compare(q, 2, "\r\n") != 0 ||
        length > bytes.size() - std::min(bytes.size(), q + 2)) {
      ++at;  // no header here: the next one may follow
      continue;
    }
    const size_t text = q + 2;
    if (gone.Holds(std::string_view(bytes).substr(text, static_cast<size_t>(length))))
      changed |= Zero(bytes, text, static_cast<size_t>(length));
    at = text + static_cast<size_t>(length);
  }
  return changed;
}

}  // namespace

bool IsSetAsideCopy(const std::string& name) { return CopyOf(name) != TCopyOf::None; }

TFileStatus SetAside(TFileSystem& files, const std::string& path, std::string* keptAs) {
  auto asideName = [&path](int n) { return path + ".bak" + (n ? std::to_string(n) : ""); };
  std::string aside = asideName(0);
  for (int n = 1; files.Exists(aside) && n < 100; ++n) aside = asideName(n);
  TFileStatus done;
  if (!files.Exists(aside)) {
    done = files.RenameNew(path, aside);
  } else {
    // Every name is taken: the copy last written longest ago goes. Equal times: the lowest
    // number.
    int64_t oldest = 0;
    for (int n = 0; n < 100; ++n) {
      int64_t time = 0;
      if (files.ModifiedTime(asideName(n), time) && (n == 0 || time < oldest)) {
        oldest = time;
        aside = asideName(n);
      }
    }
    done = files.Replace(path, aside);
  }
  if (done && keptAs) *keptAs = aside;
  if (!done && !files.Exists(path)) return TFileStatus();  // nothing there to keep
  return done;
}

std::string_view TGoneTexts::Own(std::string_view text) {
  if (const auto found = set_.find(text); found != set_.end()) return *found;
  return *set_.insert(texts_.emplace_back(text)).first;
}

void TGoneTexts::Add(std::string_view text) {
  if (!text.empty()) Own(text);
}

void TGoneTexts::AddClip(std::string_view id, std::string_view text) {
  if (text.empty()) return;
  clips_.emplace(UpperCase(std::string(id)), Own(text));
}

bool TGoneTexts::ShowsGone(std::string_view line) const {
  if (Holds(line)) return true;
  const auto id = ListLineId(line);
  if (!id) return false;
  // What a line shows is its text's first line that is not blank, perhaps cut, perhaps
  // with "..." after it.
  const std::string_view display = ListLineDisplay(line);
  const std::string_view cut =
      display.size() >= kDisplaySuffix.size() && display.substr(display.size() - kDisplaySuffix.size()) == kDisplaySuffix
          ? display.substr(0, display.size() - kDisplaySuffix.size())
          : display;
  const auto [from, to] = clips_.equal_range(UpperCase(*id));
  for (auto clip = from; clip != to; ++clip)
    if (clip->second.find(display) != std::string_view::npos ||
        clip->second.find(cut) != std::string_view::npos)
      return true;
  return false;
}

void TGoneTexts::Reserve(size_t more) {
  set_.reserve(set_.size() + more);
  clips_.reserve(clips_.size() + more);
}

void TGoneTexts::Clear() {
  clips_.clear();
  set_.clear();
  texts_.clear();
}

bool ScrubCopy(std::string_view name, std::string& bytes, const TGoneTexts& gone) {
  if (gone.Empty()) return false;
  switch (CopyOf(name)) {
    case TCopyOf::List: return ScrubList(bytes, gone);
    case TCopyOf::Store: return ScrubStore(bytes, gone);
    case TCopyOf::Exact: return ScrubExact(bytes, gone);
    case TCopyOf::Journal:
      return ScrubJournal(bytes, [&gone](std::string_view field) { return gone.Holds(field); });
    case TCopyOf::None: return false;
  }
  return false;
}

void ScrubSetAsideCopies(TFileSystem& files, const std::string& folder, const TGoneTexts& gone) {
  if (gone.Empty()) return;
  for (const std::string& name : files.Names(folder)) {
    if (CopyOf(name) == TCopyOf::None) continue;
    const std::string path = folder + name;
    std::string bytes;
    if (!files.Read(path, bytes, nullptr, nullptr) || !ScrubCopy(name, bytes, gone)) continue;
    std::string temporary;
    if (files.WriteTemporary(path, bytes, temporary) && !files.Replace(temporary, path))
      files.Remove(temporary);
  }
}

}  // namespace qv
