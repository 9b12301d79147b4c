#pragma once
// Finding clips by what they hold: a clip matches a find text when its whole text holds
// every word of it, ASCII letter case not significant. The clip window filters its list
// with it as the user types, and qvclips search uses the same rule. A word matches whole
// characters only: in UTF-8 and single-byte text every byte match is one; in text of a
// double-byte code page the lead bytes tell where characters start.

#include <string>
#include <string_view>
#include <vector>

#include "app/ClipHistory.h"
#include "framework/LeadBytes.h"

namespace qv {

// The words of a find text: the runs between blanks (space, tab, line breaks).
std::vector<std::string> FindWords(std::string_view findText);

// How many clips a find shows, as a screen reader says it: "12 clips found", "1 clip found".
std::string FoundText(int count);

// Where needle occurs in text with ASCII letter case ignored; npos when nowhere. An empty
// needle is found at 0. With leads (text and needle in a double-byte code page) only where a
// character starts, and the second byte of a character is never folded.
size_t FindIgnoringCase(std::string_view text, std::string_view needle,
                        const TLeadBytes* leads = nullptr);

// Whether text holds every word, ASCII letter case ignored; true for no words.
bool HoldsEveryWord(std::string_view text, const std::vector<std::string>& words,
                    const TLeadBytes* leads = nullptr);

// One clip's text as a find searches it.
struct TFindText {
  std::string_view text;
  bool utf8 = false;  // an exact text; the others are in the ANSI code page
};

// The texts of the history's lines, top first: the exact text where there is one, else the
// store's text; empty for a line whose text is gone. Views into the history, valid until it
// changes.
std::vector<TFindText> FindTexts(const TClipHistory& history);

// A range over found lines: the texts of the given history lines in that order (UTF-8:
// exact texts as they are, the others converted), each followed by CR LF, lines whose
// text is gone left out. Empty for nothing.
std::string GatherRunExact(const TClipHistory& history, const std::vector<int>& lines,
                           const TAnsiToUtf8& convert);

// Finds as the user types: each call searches the texts for the new words, and only the
// previous matches when the new words narrow the previous ones (a letter more, a word more).
class TClipFinder {
 public:
  // leads: those of the ANSI code page when it is a double-byte one.
  explicit TClipFinder(const TLeadBytes& leads = {}) : leads_(leads) {}
  // New texts: the next Find searches all of them.
  void SetTexts(std::vector<TFindText> texts);
  // The indexes of the texts holding every word, in order. ansiWords are looked for in the
  // ANSI texts, utf8Words (the same words in UTF-8) in the exact ones. No words: every text.
  const std::vector<int>& Find(const std::vector<std::string>& ansiWords,
                               const std::vector<std::string>& utf8Words);
  // The words the last Find looked for (ANSI); none before the first.
  const std::vector<std::string>& Words() const { return words_; }

 private:
  TLeadBytes leads_;
  std::vector<TFindText> texts_;
  std::vector<std::string> words_;
  std::vector<int> found_;
  bool searched_ = false;
};

}  // namespace qv
