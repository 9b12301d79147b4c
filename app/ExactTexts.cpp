#include "app/ExactTexts.h"

#include "app/ClipStore.h"
#include "framework/CodePage.h"
#include "framework/SysUtils.h"

namespace qv {

std::string ExactTextsImage(const std::vector<std::pair<std::string, std::string>>& blocks) {
  std::string image;
  for (const auto& [id, text] : blocks) {
    image.append(kExactMarker).append(id).append(" ").append(std::to_string(text.size()));
    image.append("\r\n").append(text).append("\r\n");
  }
  return image;
}

TExactTextsRead ReadExactTexts(std::string_view bytes, TExactTextMap& texts) {
  TExactTextsRead read;
  size_t at = 0;
  while (at < bytes.size()) {
    const size_t lineEnd = bytes.find("\r\n", at);
    const std::string_view header =
        bytes.substr(at, lineEnd == std::string_view::npos ? std::string_view::npos : lineEnd - at);
    const size_t idEnd = kExactMarker.size() + kClipIdLength;
    size_t length = 0;
    bool ok = lineEnd != std::string_view::npos && header.size() > idEnd + 1 &&
              header.substr(0, kExactMarker.size()) == kExactMarker && header[idEnd] == ' ' &&
              header.size() - idEnd - 1 <= 9;
    for (size_t i = idEnd + 1; ok && i < header.size(); ++i) {
      ok = header[i] >= '0' && header[i] <= '9';
      length = length * 10 + static_cast<size_t>(header[i] - '0');
    }
    const size_t textAt = lineEnd + 2;
    if (!ok || bytes.size() - textAt < length + 2 || bytes.substr(textAt + length, 2) != "\r\n") {
      read.damaged = true;
      break;
    }
    const std::string_view text = bytes.substr(textAt, length);
    if (IsValidUtf8(text)) {
      texts.emplace(UpperCase(std::string(header.substr(kExactMarker.size(), kClipIdLength))),
                    std::string(text));
      ++read.blocks;
    } else {
      read.damaged = true;
    }
    at = textAt + length + 2;
  }
  return read;
}

}  // namespace qv
