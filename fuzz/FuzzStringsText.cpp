// SetText of any bytes, then Text() and SetText again, must give the same lines.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "framework/Strings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qv::TStringList first;
  first.SetText(std::string(reinterpret_cast<const char*>(data), size));
  const std::string text = first.Text();
  qv::TStringList second;
  second.SetText(text);
  if (second.Count() != first.Count() || second.Text() != text) std::abort();
  for (int i = 0; i < first.Count(); ++i) {
    const std::string line = first[i];
    if (line.find_first_of("\r\n") != std::string::npos || line != second[i]) std::abort();
  }
  return 0;
}
