#include "framework/CodePage.h"

#include <cstring>

#include "framework/SysUtils.h"

namespace qv {

namespace {

// 0x80..0x9F of code page 1252; the rest of the page is Latin-1.
constexpr uint16_t kWestern80[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr uint32_t kReplacement = 0xFFFD;

}  // namespace

size_t Utf8SequenceAt(std::string_view s, size_t p) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char b = byte(p);
  size_t n;
  unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
  if (b < 0x80) return 1;
  if (b >= 0xC2 && b <= 0xDF) {
    n = 2;
  } else if (b >= 0xE0 && b <= 0xEF) {
    n = 3;
    if (b == 0xE0) lo = 0xA0;        // no overlong forms
    if (b == 0xED) hi = 0x9F;        // no surrogates
  } else if (b >= 0xF0 && b <= 0xF4) {
    n = 4;
    if (b == 0xF0) lo = 0x90;
    if (b == 0xF4) hi = 0x8F;        // nothing past U+10FFFF
  } else {
    return 0;
  }
  if (p + n > s.size() || byte(p + 1) < lo || byte(p + 1) > hi) return 0;
  for (size_t i = 2; i < n; ++i)
    if ((byte(p + i) & 0xC0) != 0x80) return 0;
  return n;
}

bool IsBuiltInCodePage(unsigned codePage) {
  return codePage == kCodePageWestern || codePage == kCodePageLatin1 || codePage == kCodePageUtf8;
}

void AppendUtf8(std::string& out, uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string AnsiToUtf8(std::string_view text, unsigned codePage) {
  if (!IsBuiltInCodePage(codePage))
    throw EConvertError(Format("Code page %u is not supported here (1252, 28591, 65001)", codePage));
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (size_t p = 0; p < text.size();) {
    const unsigned char b = static_cast<unsigned char>(text[p]);
    if (b < 0x80) {
      // Most text is ASCII: a run of it in one append.
      size_t end = p + 1;
      while (end < text.size() && static_cast<unsigned char>(text[end]) < 0x80) ++end;
      out.append(text.substr(p, end - p));
      p = end;
    } else if (codePage == kCodePageUtf8) {
      const size_t n = Utf8SequenceAt(text, p);
      if (n == 0) {
        AppendUtf8(out, kReplacement);
        ++p;
      } else {
        out.append(text.substr(p, n));
        p += n;
      }
    } else {
      AppendUtf8(out, codePage == kCodePageWestern && b < 0xA0 ? kWestern80[b - 0x80] : b);
      ++p;
    }
  }
  return out;
}

bool IsValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    // Most text is ASCII: eight bytes at a time while none has its top bit.
    uint64_t word;
    while (i + 8 <= text.size() && (std::memcpy(&word, text.data() + i, 8), word & 0x8080808080808080u) == 0)
      i += 8;
    if (i >= text.size()) break;
    const auto b = static_cast<unsigned char>(text[i]);
    size_t length;
    uint32_t c;
    if (b < 0x80) {
      ++i;
      continue;
    } else if (b >= 0xC2 && b <= 0xDF) {
      length = 2;
      c = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      length = 3;
      c = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      length = 4;
      c = b & 0x07;
    } else {
      return false;
    }
    if (i + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      c = (c << 6) | (next & 0x3F);
    }
    const uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < smallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t p = 0; p < text.size();) {
    const size_t n = Utf8SequenceAt(text, p);
    if (n == 0) {
      out += static_cast<char16_t>(kReplacement);
      ++p;
      continue;
    }
    const auto byte = [&](size_t i) {
      return static_cast<uint32_t>(static_cast<unsigned char>(text[p + i]));
    };
    uint32_t c = n == 1 ? byte(0) : byte(0) & (0x7F >> n);
    for (size_t i = 1; i < n; ++i) c = (c << 6) | (byte(i) & 0x3F);
    if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
    p += n;
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = kReplacement;
    }
    AppendUtf8(out, c);
  }
  return out;
}

}  // namespace qv
