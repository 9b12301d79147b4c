// StrToInt and its two siblings against a reference parse of the documented rules:
// leading blanks, an optional sign, "$" or "0x" / "0X" for hexadecimal, then digits
// and nothing else. Decimal must fit an int; hexadecimal may spell any 32-bit
// pattern, which a minus sign negates.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "framework/SysUtils.h"

namespace {

std::optional<int> Reference(const std::string& text) {
  size_t i = text.find_first_not_of(' ');
  if (i == std::string::npos) return std::nullopt;
  const bool negative = text[i] == '-';
  if (text[i] == '+' || text[i] == '-') ++i;
  const char* digits = "0123456789";
  int base = 10;
  if (text.compare(i, 1, "$") == 0) {
    base = 16, i += 1;
  } else if (text.compare(i, 2, "0x") == 0 || text.compare(i, 2, "0X") == 0) {
    base = 16, i += 2;
  }
  if (base == 16) digits = "0123456789abcdefABCDEF";
  std::string body = text.substr(i);
  if (body.empty() || body.find_first_not_of(digits) != std::string::npos) return std::nullopt;
  // Leading zeros add nothing; past 10 decimal or 8 hexadecimal digits it cannot fit.
  body.erase(0, body.find_first_not_of('0'));
  if (body.size() > (base == 10 ? 10u : 8u)) return std::nullopt;
  const long long magnitude = body.empty() ? 0 : std::strtoll(body.c_str(), nullptr, base);
  if (base == 10) {
    const long long v = negative ? -magnitude : magnitude;
    if (v < INT32_MIN || v > INT32_MAX) return std::nullopt;
    return static_cast<int>(v);
  }
  const auto pattern = static_cast<std::uint32_t>(magnitude);
  return static_cast<int>(negative ? 0u - pattern : pattern);
}

void Check(const std::string& text) {
  const std::optional<int> expected = Reference(text);
  int value = 0;
  if (qv::TryStrToInt(text, value) != expected.has_value()) std::abort();
  if (expected && value != *expected) std::abort();
  if (qv::StrToIntDef(text, 12345) != expected.value_or(12345)) std::abort();
  try {
    if (qv::StrToInt(text) != expected.value_or(0) || !expected) std::abort();
  } catch (const qv::EConvertError& e) {
    // The message is a C string: a NUL in the text ends it there.
    const std::string message = "'" + text + "' is not a valid integer value";
    if (expected || std::string(e.what()) != message.c_str()) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Check(std::string(reinterpret_cast<const char*>(data), size));
  // A number spelled from the first bytes: random text seldom reaches the range edges.
  if (size >= 9) {
    std::int64_t n;
    std::memcpy(&n, data, sizeof n);
    const char* prefix[] = {"", "$", "0x", "0X"};
    const std::uint64_t magnitude = n < 0 ? 0 - static_cast<std::uint64_t>(n) : n;
    char spelled[32];
    std::snprintf(spelled, sizeof spelled, (data[8] & 3) ? "%s%s%llx" : "%s%s%llu",
                  n < 0 ? "-" : "", prefix[data[8] & 3],
                  static_cast<unsigned long long>(magnitude));
    Check(spelled);
  }
  return 0;
}
