// The clip history under any run of captures, recalls, sorts, clears and save-and-load
// round trips: against a plain list of (line, text) pairs while the store has room, and,
// in a small store that must keep making room, every line still finds its text. After
// every save, the files read back into a fresh history equal what was saved.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "app/ClipFolder.h"
#include "framework/SysUtils.h"

namespace {

int Width(const std::string& s) { return static_cast<int>(s.size()) * 6; }

const std::string& Folder() {
  static const std::string folder = [] {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("qv_fuzz_history_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    return dir.string() + "/";
  }();
  return folder;
}

void ExpectSameAfterReload(qv::TClipHistory& history) {
  {
    qv::TClipFolder files(history);
    files.SetFolder(Folder());
    files.Save();
  }
  qv::TClipHistory loaded(history.Store().Capacity());
  qv::TClipFolder files(loaded);
  files.SetFolder(Folder());
  files.Load();
  if (loaded.Lines() != history.Lines()) std::abort();
  for (int i = 0; i < history.Count(); ++i)
    if (loaded.TextOf(i) != history.TextOf(i)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qv::TClipHistory roomy;
  qv::TClipHistory tight(600);
  std::vector<std::pair<std::string, std::string>> reference;  // line, text; newest first
  int nextId = 1;
  size_t at = 0;
  while (at < size) {
    const uint8_t op = data[at++];
    switch (op % 5) {
      case 0: {  // a capture of the next few bytes
        const size_t length = std::min<size_t>(op / 5, size - at);
        const std::string text = qv::TTextBuffer::NormalizeLineBreaks(
            std::string(reinterpret_cast<const char*>(data + at), length));
        at += length;
        const std::string id = qv::Format("%013d", nextId++);
        const std::string display = qv::BuildDisplayText(text, Width);
        if (roomy.AddClip(text, id, display)) {
          reference.insert(reference.begin(), {qv::MakeListLine(display, id), text});
        } else if (text.find(":tlr:") == std::string::npos &&
                   text.find(":TLR:") == std::string::npos) {
          std::abort();  // only a text holding its own trailer line is refused here
        }
        tight.AddClip(text, id, display);
        break;
      }
      case 1: {  // a single recall
        if (at >= size) break;
        const uint8_t pick = data[at++];
        if (!reference.empty()) {
          const int i = pick % static_cast<int>(reference.size());
          roomy.MoveToTop(i);
          std::rotate(reference.begin(), reference.begin() + i, reference.begin() + i + 1);
          if (reference.size() > qv::kClipListLimit) reference.erase(reference.begin() + qv::kClipListLimit);
        }
        if (tight.Count() > 0) tight.MoveToTop(pick % tight.Count());
        break;
      }
      case 2: {  // Sort
        const auto before = [](const std::string& a, const std::string& b) { return a < b; };
        roomy.Sort(before);
        tight.Sort(before);
        std::stable_sort(reference.begin(), reference.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        break;
      }
      case 3:  // Clear Vavad, now and then
        if (op < 200) break;
        roomy.Clear();
        tight.Clear();
        reference.clear();
        break;
      default:
        ExpectSameAfterReload(roomy);
        ExpectSameAfterReload(tight);
        break;
    }
    if (roomy.Count() != static_cast<int>(reference.size())) std::abort();
    for (int i = 0; i < roomy.Count(); ++i) {
      const auto& [line, text] = reference[static_cast<size_t>(i)];
      if (roomy.Line(i) != line || roomy.TextOf(i) != text) std::abort();
    }
    for (int i = 0; i < tight.Count(); ++i)
      if (!tight.TextOf(i)) std::abort();  // eviction takes a clip's line with its text
  }
  return 0;
}
