// The clip files under work and trouble drawn from the input: captures, recalls, sorts,
// clears, flushes and saves while writes, renames and deletes are refused and the power
// goes at any step; every start from a copy of the folder must give what was last made
// durable (see tests/host/DurabilityDriver.h).
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/host/DurabilityDriver.h"

namespace {

// In memory where there is such a folder: every write is pushed to the disk otherwise.
std::string Scratch(const char* name) {
  namespace fs = std::filesystem;
  const fs::path root = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
  return (root / (std::string("qv_fuzz_folder_") + name + "_" + std::to_string(getpid()))).string() + "/";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string folder = Scratch("live"), crash = Scratch("crash");
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  size_t at = 0;
  // Each choice takes the next two bytes; past the end of the input, the work stops.
  auto pick = [&](uint32_t n) -> uint32_t {
    uint32_t v = 0;
    for (int i = 0; i < 2; ++i) v = (v << 8) | (at < size ? data[at++] : 0);
    return v % n;
  };
  qv::test::TDurabilityDriver driver(pick, folder, crash, 3000);
  const std::string failure = driver.Run(static_cast<int>(size / 4));
  if (!failure.empty()) {
    std::fprintf(stderr, "%s\n", failure.c_str());
    std::abort();
  }
  return 0;
}
