#include "framework/WideText.h"

#include <windows.h>

#include "framework/CodePage.h"

namespace qv {

namespace {

std::wstring ToWide(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  const int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()),
                                    nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

}  // namespace

std::wstring Utf8ToWide(std::string_view text) { return ToWide(CP_UTF8, text); }
std::wstring AnsiToWide(std::string_view text) { return ToWide(CP_ACP, text); }
std::string AnsiToUtf8(std::string_view text) { return WideToUtf8(AnsiToWide(text)); }
std::wstring MessageToWide(std::string_view text) {
  return IsValidUtf8(text) ? Utf8ToWide(text) : AnsiToWide(text);
}

std::string WideToUtf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), n, nullptr, nullptr);
  return out;
}

TAnsiRendering WideToAnsi(std::wstring_view text) {
  if (text.empty()) return {std::string(), true};
  const int size = static_cast<int>(text.size());
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, nullptr, 0,
                                    "?", nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, out.data(), n, "?",
                      nullptr);
  // The round trip is the judge: it also catches what a code page maps one way only.
  const bool exact = AnsiToWide(out) == text;
  return {std::move(out), exact};
}

TLeadBytes LeadBytesOf(unsigned codePage) {
  TLeadBytes leads;
  CPINFO info;
  if (!GetCPInfo(codePage, &info) || info.MaxCharSize < 2) return leads;
  // Ranges as pairs of first and last byte, ended by a pair of zeros.
  for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2)
    leads.Add(info.LeadByte[i], info.LeadByte[i + 1]);
  return leads;
}

}  // namespace qv
