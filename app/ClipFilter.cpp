#include "app/ClipFilter.h"

#include <algorithm>
#include <cstring>

#include "app/ClipHistory.h"

namespace qv {

namespace {

char FoldCase(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Whether every old word lies inside one of the new words: then every text holding the new
// words holds the old ones too, and only the old matches need a look.
bool Narrows(const std::vector<std::string>& newWords, const std::vector<std::string>& oldWords) {
  return std::all_of(oldWords.begin(), oldWords.end(), [&](const std::string& old) {
    return std::any_of(newWords.begin(), newWords.end(), [&](const std::string& word) {
      return FindIgnoringCase(word, old) != std::string_view::npos;
    });
  });
}

}  // namespace

std::vector<std::string> FindWords(std::string_view findText) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < findText.size()) {
    while (i < findText.size() && IsBlank(findText[i])) ++i;
    const size_t from = i;
    while (i < findText.size() && !IsBlank(findText[i])) ++i;
    if (i > from) words.emplace_back(findText.substr(from, i - from));
  }
  return words;
}

// How rare a character is in ordinary text: the needle is looked for by its rarest one, so
// that few places need a full comparison. Letters by their frequency in English, the rest in
// the middle.
int Rarity(char c) {
  static constexpr std::string_view kLettersByFrequency = "ETAOINSHRDLCUMWFGYPBVKJXQZ";
  const size_t at = kLettersByFrequency.find(FoldCase(c));
  return at == std::string_view::npos ? 13 : static_cast<int>(at);
}

size_t FindIgnoringCase(std::string_view text, std::string_view needle) {
  if (needle.empty()) return 0;
  if (needle.size() > text.size()) return std::string_view::npos;
  std::string folded(needle);
  for (char& c : folded) c = FoldCase(c);
  size_t anchor = 0;
  for (size_t i = 1; i < folded.size(); ++i)
    if (Rarity(folded[i]) > Rarity(folded[anchor])) anchor = i;
  const char upper = folded[anchor];
  const char lower = (upper >= 'A' && upper <= 'Z') ? static_cast<char>(upper - 'A' + 'a') : upper;
  // Candidates are the places of the anchor character in either case, found with memchr
  // (much faster than a loop over every byte); each is then compared in full. Each of the
  // two searches only moves forward, so the text is read at most twice, and the places are
  // met in order, so the first match found is the first in the text.
  const char* const limit = text.data() + (text.size() - needle.size() + anchor + 1);
  auto next = [limit](char c, const char* from) {
    const void* hit = std::memchr(from, c, static_cast<size_t>(limit - from));
    return hit ? static_cast<const char*>(hit) : limit;
  };
  const char* const first = text.data() + anchor;
  const char* nextUpper = next(upper, first);
  const char* nextLower = lower == upper ? limit : next(lower, first);
  for (;;) {
    const char* candidate = std::min(nextUpper, nextLower);
    if (candidate == limit) return std::string_view::npos;
    const char* start = candidate - anchor;
    size_t i = 0;
    while (i < folded.size() && FoldCase(start[i]) == folded[i]) ++i;
    if (i == folded.size()) return static_cast<size_t>(start - text.data());
    if (candidate == nextUpper)
      nextUpper = next(upper, candidate + 1);
    else
      nextLower = next(lower, candidate + 1);
  }
}

bool HoldsEveryWord(std::string_view text, const std::vector<std::string>& words) {
  return std::all_of(words.begin(), words.end(), [text](const std::string& word) {
    return FindIgnoringCase(text, word) != std::string_view::npos;
  });
}

std::vector<TFindText> FindTexts(const TClipHistory& history) {
  std::vector<TFindText> texts;
  texts.reserve(static_cast<size_t>(history.Count()));
  for (int i = 0; i < history.Count(); ++i) {
    TFindText found;
    if (const auto id = history.IdOf(i)) {
      if (const std::string* exact = history.ExactTextOfId(*id))
        found = {*exact, true};
      else if (const auto text = history.Store().TextOf(*id))
        found.text = *text;
    }
    texts.push_back(found);
  }
  return texts;
}

std::string GatherRunExact(const TClipHistory& history, const std::vector<int>& lines,
                           const TAnsiToUtf8& convert) {
  std::string text;
  for (int i : lines) {
    if (i < 0 || i >= history.Count()) continue;
    const auto id = history.IdOf(i);
    if (!id || !history.Store().TextOf(*id)) continue;
    text += history.GatherExact(i, false, convert);
    text += "\r\n";
  }
  return text;
}

void TClipFinder::SetTexts(std::vector<TFindText> texts) {
  texts_ = std::move(texts);
  searched_ = false;
}

const std::vector<int>& TClipFinder::Find(const std::vector<std::string>& ansiWords,
                                          const std::vector<std::string>& utf8Words) {
  const bool narrowing = searched_ && Narrows(ansiWords, words_);
  std::vector<int> found;
  auto look = [&](int i) {
    const TFindText& t = texts_[static_cast<size_t>(i)];
    if (HoldsEveryWord(t.text, t.utf8 ? utf8Words : ansiWords)) found.push_back(i);
  };
  if (narrowing) {
    for (int i : found_) look(i);
  } else {
    found.reserve(texts_.size());
    for (int i = 0; i < static_cast<int>(texts_.size()); ++i) look(i);
  }
  found_ = std::move(found);
  words_ = ansiWords;
  searched_ = true;
  return found_;
}

}  // namespace qv
