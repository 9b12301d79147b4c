// The clip store read from outside text (a store file as found on disk): its block index
// against a plain line-by-line reading of the same rules, every lookup against that
// reading, and captures that must make room in a small store without ever leaving the
// index and the text apart.
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

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return s;
}

bool IsKeyLine(const std::string& line, const char* marker) {
  return line.size() == 20 && Upper(line.substr(0, 7)) == Upper(marker);
}

// Block starts by the rule, with a plain scan for each trailer: the newest block of each
// id and its text.
std::optional<std::string> ReferenceLocate(const std::vector<std::string>& lines,
                                           const std::string& id) {
  size_t i = 0;
  while (i < lines.size()) {
    if (IsKeyLine(lines[i], "/:hdr:\\")) {
      const std::string key = Upper(lines[i].substr(7));
      size_t t = i + 1;
      while (t < lines.size() && !(IsKeyLine(lines[t], "/:tlr:\\") && Upper(lines[t].substr(7)) == key))
        ++t;
      if (t < lines.size()) {
        if (key == Upper(id)) {
          std::string text;
          for (size_t k = i + 1; k < t; ++k) text += (k > i + 1 ? "\r\n" : "") + lines[k];
          return text;
        }
        i = t + 1;
        continue;
      }
    }
    ++i;
  }
  return std::nullopt;
}

void CheckIndex(const qv::TClipStore& store) {
  qv::TClipStore fresh;
  fresh.SetText(store.Text());
  const auto a = store.Segments(), b = fresh.Segments();
  if (a.size() != b.size()) std::abort();
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].offset != b[i].offset || a[i].length != b[i].length || a[i].key != b[i].key)
      std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t split = input.find('\0');
  const std::string storeText = input.substr(0, split);
  const std::string listLine = split == std::string::npos ? "" : input.substr(split + 1);

  qv::TClipStore store;
  store.SetText(storeText);
  const std::vector<std::string> lines = SplitLines(storeText);
  const std::optional<std::string> id = qv::ListLineId(listLine);
  const std::optional<std::string> expected = id ? ReferenceLocate(lines, *id) : std::nullopt;
  if (store.Locate(listLine) != expected) std::abort();
  for (const qv::TStoreSegment& s : store.Segments())
    if (!s.key.empty() && store.Locate(qv::MakeListLine("", s.key)) != ReferenceLocate(lines, s.key))
      std::abort();

  // Captures into a store too small for all of them: pieces of the input as clip texts,
  // every other clip listed.
  qv::TClipStore small(600);
  small.SetText(storeText.substr(0, 600));
  std::vector<std::string> listed;
  auto isListed = [&](const std::string& key) {
    for (const std::string& l : listed)
      if (l == key) return true;
    return false;
  };
  for (size_t at = 0, n = 0; at < storeText.size() && n < 40; at += 97, ++n) {
    const std::string text = storeText.substr(at, 150);
    char idText[16];
    std::snprintf(idText, sizeof idText, "%013zu", n);
    std::vector<std::string> evicted;
    const bool added = small.AddClip(text, idText, isListed, &evicted);
    if (small.Size() > small.Capacity() && added) std::abort();
    if (added && small.Locate(qv::MakeListLine("", idText)) !=
                     qv::TTextBuffer::NormalizeLineBreaks(text))
      std::abort();
    if (added && n % 2) listed.push_back(idText);
    CheckIndex(small);
  }
  return 0;
}
