#pragma once
// 8-bit text in a Windows code page to UTF-8, for systems that have no code-page tables of
// their own. Windows itself converts with its own tables.

#include <cstdint>
#include <string>
#include <string_view>

namespace qv {

inline constexpr unsigned kCodePageWestern = 1252;
inline constexpr unsigned kCodePageLatin1 = 28591;
inline constexpr unsigned kCodePageUtf8 = 65001;

// 1252 (Western European), 28591 (ISO 8859-1) and 65001 (UTF-8).
bool IsBuiltInCodePage(unsigned codePage);
// Raises EConvertError for a code page that is not built in. The five bytes 1252 leaves
// undefined become the control characters of the same number, as Windows converts them;
// bytes of 65001 text that are not UTF-8 become U+FFFD, so the result is always UTF-8.
std::string AnsiToUtf8(std::string_view text, unsigned codePage = kCodePageWestern);
void AppendUtf8(std::string& out, uint32_t codePoint);
// Whether the bytes are well-formed UTF-8 (no overlong forms, surrogates or values past
// U+10FFFF).
bool IsValidUtf8(std::string_view text);
// The length of the well-formed UTF-8 sequence at text[at], 0 when none starts there.
size_t Utf8SequenceAt(std::string_view text, size_t at);
// UTF-8 to UTF-16 and back, for the file names of Windows, which its wide calls take. What
// is not well-formed (a byte that starts no sequence, a lone surrogate) becomes U+FFFD,
// as Windows converts it.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace qv
