#include <cstdint>
#include <string>

#include "framework/SysUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  int v = 0;
  qv::TryStrToInt(std::string(reinterpret_cast<const char*>(data), size), v);
  return 0;
}
