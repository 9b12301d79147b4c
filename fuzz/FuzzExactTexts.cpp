// The exact-text file as found on disk: any bytes are read without a crash, only well-formed
// UTF-8 is taken, and what was taken is written and read back unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "app/ExactTexts.h"
#include "framework/CodePage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  qv::TExactTextMap texts;
  const qv::TExactTextsRead read = qv::ReadExactTexts(bytes, texts);
  if (texts.size() > read.blocks) std::abort();
  std::vector<std::pair<std::string, std::string>> blocks(texts.begin(), texts.end());
  for (const auto& [id, text] : blocks)
    if (!qv::IsValidUtf8(text)) std::abort();
  qv::TExactTextMap again;
  const qv::TExactTextsRead reread = qv::ReadExactTexts(qv::ExactTextsImage(blocks), again);
  if (reread.damaged || again != texts) std::abort();
  return 0;
}
