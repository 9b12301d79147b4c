// Finds a clip's text from a list line in an arbitrary store and checks it against a
// plain line-by-line reading of the same rules; then adds the input as a clip and checks
// that its own list line finds it again.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "app/ClipStore.h"

namespace {

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines(1);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.emplace_back();
    } else {
      lines.back() += text[i];
    }
  }
  if (lines.back().empty()) lines.pop_back();  // a last empty line is not a line
  return lines;
}

bool SameFolded(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto fold = [](char c) { return (c >= 'a' && c <= 'z') ? char(c - 32) : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

std::optional<std::string> ReferenceLocate(const std::string& store, const std::string& list) {
  const size_t marker = list.rfind("/:hdr:\\");
  if (marker == std::string::npos || list.size() - marker - 7 < 13) return std::nullopt;
  const std::string id = list.substr(marker + 7, 13);
  const std::vector<std::string> lines = SplitLines(store);
  size_t h = 0;
  while (h < lines.size() && !SameFolded(lines[h], "/:hdr:\\" + id)) ++h;
  if (h == lines.size()) return std::nullopt;
  size_t t = h + 1;
  while (t < lines.size() && !SameFolded(lines[t], "/:tlr:\\" + id)) ++t;
  if (t >= lines.size()) return std::nullopt;
  std::string text;
  for (size_t i = h + 1; i < t; ++i) text += (i > h + 1 ? "\r\n" : "") + lines[i];
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t split = input.find('\0');
  const std::string storeText = input.substr(0, split);
  const std::string listLine = split == std::string::npos ? "" : input.substr(split + 1);

  qv::TTextBuffer store;
  store.SetText(storeText);
  if (qv::LocateClipText(store, listLine) != ReferenceLocate(storeText, listLine)) std::abort();

  // The input as a clip on top of that store, under the list line's id when it has one.
  qv::TClipStore clips;
  clips.AddClip(storeText, "0000000000000");
  // Real ids are digits and '-'; any id works as long as it holds no line break and no
  // marker of its own.
  std::string id = qv::ListLineId(listLine).value_or("0000000000001");
  if (id.find_first_of("\r\n/") != std::string::npos) id = "0000000000001";
  if (!clips.AddClip(storeText, id)) return 0;
  const std::string mine = qv::MakeListLine(
      qv::BuildDisplayText(storeText, [](const std::string& s) { return int(s.size()) * 5; }), id);
  const std::optional<std::string> found = clips.Locate(mine);
  // Only a whole line equal to the id's trailer key inside the text may end it early.
  bool trailerInside = false;
  for (const std::string& line : SplitLines(storeText))
    trailerInside = trailerInside || SameFolded(line, "/:tlr:\\" + id);
  if (!found) std::abort();
  if (!trailerInside && *found != qv::TTextBuffer::NormalizeLineBreaks(storeText)) std::abort();
  if (!clips.HasHeaderKey(id)) std::abort();
  return 0;
}
