#include "framework/SysUtils.h"

#include <cctype>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <ctime>

namespace qv {

std::string WithSystemReason(const std::string& message, unsigned long error) {
  std::string reason = error ? SystemErrorText(error) : std::string();
  if (!reason.empty() && reason.back() == '.') reason.pop_back();
  return reason.empty() ? message : message + " (" + reason + ")";
}

std::string MsgCannotOpenFile(const std::string& path) { return "Cannot open file " + path; }
std::string MsgCannotCreateFile(const std::string& path) { return "Cannot create file " + path; }
std::string MsgInvalidInteger(const std::string& text) {
  return "'" + text + "' is not a valid integer value";
}
std::string MsgListIndexError(int index) {
  return "List index out of bounds (" + std::to_string(index) + ")";
}
std::string MsgUnableToInsertLine() { return "Unable to insert a line"; }
std::string MsgUnableToWrite(const std::string& path) { return "Unable to write to " + path; }
std::string MsgCannotOpenClipboard() { return "Cannot open clipboard"; }
std::string MsgCannotWriteClipboard() { return "Cannot write to clipboard"; }
std::string MsgInvalidCast() { return "Invalid class typecast"; }

bool TryStrToInt(const std::string& text, int& value) {
  size_t i = 0;
  const size_t n = text.size();
  while (i < n && text[i] == ' ') ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  int base = 10;
  if (i < n && text[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= n) return false;
  // Accumulate as unsigned: hexadecimal may spell the full 32-bit pattern.
  unsigned long long acc = 0;
  const unsigned long long limit = base == 16 ? 0xFFFFFFFFull : 0x80000000ull;
  for (; i < n; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      return false;
    acc = acc * base + digit;
    if (acc > limit) return false;
  }
  if (base == 10) {
    if (!negative && acc > INT_MAX) return false;
    value = negative ? static_cast<int>(-static_cast<long long>(acc)) : static_cast<int>(acc);
  } else {
    // Negated as a bit pattern: "-$80000000" is INT_MIN, which an int cannot negate.
    const unsigned pattern = static_cast<unsigned>(acc);
    value = static_cast<int>(negative ? 0u - pattern : pattern);
  }
  return true;
}

int StrToInt(const std::string& text) {
  int value = 0;
  if (!TryStrToInt(text, value)) throw EConvertError(MsgInvalidInteger(text));
  return value;
}

int StrToIntDef(const std::string& text, int fallback) {
  int value = 0;
  return TryStrToInt(text, value) ? value : fallback;
}

std::string IntToStr(long long value) { return std::to_string(value); }

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string out;
  if (n > 0) {
    out.resize(static_cast<size_t>(n) + 1);
    std::vsnprintf(out.data(), out.size(), format, args);
    out.resize(static_cast<size_t>(n));
  }
  va_end(args);
  return out;
}

std::string UpperCase(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

std::string LowerCase(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

static int FoldAscii(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c; }

int CompareText(const std::string& a, const std::string& b) {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    const int d = FoldAscii(static_cast<unsigned char>(a[i])) -
                  FoldAscii(static_cast<unsigned char>(b[i]));
    if (d != 0) return d;
  }
  return static_cast<int>(a.size()) - static_cast<int>(b.size());
}

bool SameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() && CompareText(a, b) == 0;
}

std::string Trim(const std::string& text) {
  size_t b = 0, e = text.size();
  while (b < e && static_cast<unsigned char>(text[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
  return text.substr(b, e - b);
}

std::string ExtractFilePath(const std::string& path) {
  const size_t cut = path.find_last_of("\\/:");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string ExtractFileName(const std::string& path) {
  const size_t cut = path.find_last_of("\\/:");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

double TruncateToSeconds(double dateTime) {
  // Round to the nearest millisecond first so a value that is a whole second
  // stored as x.999999 does not fall back a second.
  const double ms = std::floor(dateTime * 86400000.0 + 0.5);
  return std::floor(ms / 1000.0) / 86400.0;
}

double NowSeconds() {
  const std::time_t t = std::time(nullptr);
  std::tm local{};
#if defined(_WIN32)
  localtime_s(&local, &t);
#else
  localtime_r(&t, &local);
#endif
  // Days from 1899-12-30 to the local civil date, then the seconds of the day.
  int y = local.tm_year + 1900, m = local.tm_mon + 1;
  const int d = local.tm_mday;
  if (m <= 2) {
    y -= 1;
    m += 12;
  }
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yoe = y - era * 400;
  const long long doy = (153 * (m - 3) + 2) / 5 + d - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const long long daysFromEpoch = era * 146097 + doe - 719468;  // days since 1970-01-01
  const long long days = daysFromEpoch + 25569;                 // 1970-01-01 is day 25569
  const int secs = local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
  return static_cast<double>(days) + secs / 86400.0;
}

}  // namespace qv
