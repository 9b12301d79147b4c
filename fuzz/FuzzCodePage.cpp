// Clip texts are any bytes; what comes out must be UTF-8 whatever went in. Valid UTF-8 read
// as code page 65001 comes back unchanged, so that is the test.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "framework/CodePage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (unsigned codePage : {qv::kCodePageWestern, qv::kCodePageLatin1, qv::kCodePageUtf8}) {
    const std::string utf8 = qv::AnsiToUtf8(text, codePage);
    if (qv::AnsiToUtf8(utf8, qv::kCodePageUtf8) != utf8) std::abort();
  }
  return 0;
}
