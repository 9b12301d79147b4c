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
bool Narrows(const std::vector<std::string>& newWords, const std::vector<std::string>& oldWords,
             const TLeadBytes* leads) {
  return std::all_of(oldWords.begin(), oldWords.end(), [&](const std::string& old) {
    return std::any_of(newWords.begin(), newWords.end(), [&](const std::string& word) {
      return FindIgnoringCase(word, old, leads) != std::string_view::npos;
    });
  });
}

// Whether the bytes at start are the folded needle's, ASCII letter case ignored.
bool MatchesAt(const char* start, std::string_view folded) {
  size_t i = 0;
  while (i < folded.size() && FoldCase(start[i]) == folded[i]) ++i;
  return i == folded.size();
}

// The same with the needle read as characters of a double-byte code page: a two-byte
// character is compared as it is (its second byte may look like a letter), and a needle
// that ends in half a character matches nothing.
bool MatchesCharactersAt(const char* start, std::string_view needle, std::string_view folded,
                         const TLeadBytes& leads) {
  for (size_t i = 0; i < needle.size(); ++i) {
    if (!leads[static_cast<unsigned char>(needle[i])]) {
      if (FoldCase(start[i]) != folded[i]) return false;
    } else if (i + 1 == needle.size() || start[i] != needle[i] || start[i + 1] != needle[i + 1]) {
      return false;
    } else {
      ++i;
    }
  }
  return true;
}

// Whether a character starts at `at`, given that one starts at `known` (at or before it).
// A byte that cannot be a lead byte ends a character; after the last such byte the bytes
// pair up, so the number of lead bytes just before `at` decides.
bool StartsCharacter(std::string_view text, size_t known, size_t at, const TLeadBytes& leads) {
  size_t from = at;
  while (from > known && leads[static_cast<unsigned char>(text[from - 1])]) --from;
  return (at - from) % 2 == 0;
}

}  // namespace

std::string FoundText(int count) {
  return std::to_string(count) + (count == 1 ? " clip found" : " clips found");
}

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

namespace {

// The first place in text where accept takes the needle, given folded; accept is asked only
// where the needle's rarest byte is, in either case.
template <typename Accept>
size_t FindFolded(std::string_view text, std::string_view folded, Accept accept) {
  size_t anchor = 0;
  for (size_t i = 1; i < folded.size(); ++i)
    if (Rarity(folded[i]) > Rarity(folded[anchor])) anchor = i;
  const char upper = folded[anchor];
  const char lower = (upper >= 'A' && upper <= 'Z') ? static_cast<char>(upper - 'A' + 'a') : upper;
  // Candidates are the places of the anchor character in either case, found with memchr
  // (much faster than a loop over every byte); each is then compared in full. Each of the
  // two searches only moves forward, so the text is read at most twice, and the places are
  // met in order, so the first match found is the first in the text.
  const char* const limit = text.data() + (text.size() - folded.size() + anchor + 1);
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
    if (accept(start)) return static_cast<size_t>(start - text.data());
    if (candidate == nextUpper)
      nextUpper = next(upper, candidate + 1);
    else
      nextLower = next(lower, candidate + 1);
  }
}

}  // namespace

size_t FindIgnoringCase(std::string_view text, std::string_view needle, const TLeadBytes* leads) {
  if (needle.empty()) return 0;
  if (needle.size() > text.size()) return std::string_view::npos;
  std::string folded(needle);
  for (char& c : folded) c = FoldCase(c);
  if (!leads)
    return FindFolded(text, folded, [&](const char* start) { return MatchesAt(start, folded); });
  size_t known = 0;  // where a character starts, at or before every later candidate
  return FindFolded(text, folded, [&](const char* start) {
    if (!MatchesCharactersAt(start, needle, folded, *leads)) return false;
    const size_t at = static_cast<size_t>(start - text.data());
    if (StartsCharacter(text, known, at, *leads)) return true;
    known = at + 1;  // at is a character's second byte
    return false;
  });
}

bool HoldsEveryWord(std::string_view text, const std::vector<std::string>& words,
                    const TLeadBytes* leads) {
  return std::all_of(words.begin(), words.end(), [text, leads](const std::string& word) {
    return FindIgnoringCase(text, word, leads) != std::string_view::npos;
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
  // The exact texts are UTF-8, where a byte match is always one of whole characters.
  const TLeadBytes* leads = leads_.Any() ? &leads_ : nullptr;
  const bool narrowing = searched_ && Narrows(ansiWords, words_, leads);
  std::vector<int> found;
  auto look = [&](int i) {
    const TFindText& t = texts_[static_cast<size_t>(i)];
    if (t.utf8 ? HoldsEveryWord(t.text, utf8Words) : HoldsEveryWord(t.text, ansiWords, leads))
      found.push_back(i);
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
