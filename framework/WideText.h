#pragma once
// Text between the forms' 8-bit strings and the clipboard's and the screen's UTF-16: exact
// texts travel as UTF-8, the clip files hold the system's ANSI code page.

#include <string>
#include <string_view>

#include "framework/LeadBytes.h"

namespace qv {

std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);
// The system's ANSI code page, both ways.
std::wstring AnsiToWide(std::string_view text);
std::string AnsiToUtf8(std::string_view text);
// A message as the wide calls show it. Messages are UTF-8 (the paths in them are); one
// that is not well-formed UTF-8 holds ANSI text (a control's, the settings file's).
std::wstring MessageToWide(std::string_view text);

struct TAnsiRendering {
  std::string text;
  bool exact;  // converting back gives the same text: nothing was lost
};
// The text in the ANSI code page; a character the code page lacks becomes "?", never a
// look-alike of another letter.
TAnsiRendering WideToAnsi(std::wstring_view text);

// The lead bytes of a code page (0: the system's ANSI one); none for a single-byte one.
TLeadBytes LeadBytesOf(unsigned codePage);

}  // namespace qv
