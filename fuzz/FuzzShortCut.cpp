#include <cstdint>
#include <cstdlib>
#include <string>

#include "framework/ShortCuts.h"

// Any text either names nothing or gives a value whose own text reads back to it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const qv::TShortCut value = qv::TextToShortCut(text);
  if (value != 0) {
    const std::string canonical = qv::ShortCutToText(value);
    if (canonical.empty() || qv::TextToShortCut(canonical) != value) std::abort();
  }
  return 0;
}
