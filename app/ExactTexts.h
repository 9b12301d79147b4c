#pragma once
// The exact texts of clips whose text the ANSI code page cannot hold, kept beside the two
// clip files in "vqclips.qvu" (the two files stay as other programs read them). UTF-8,
// one block per clip, each a header line and the text, its length given up front so that
// no text can end a block early:
//
//   /:utf:\<13-character id> <length of the text in bytes>   (CR LF)
//   <the text: exactly that many bytes of UTF-8>               (CR LF)

#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace qv {

inline constexpr char kExactTextFile[] = "vqclips.qvu";
inline constexpr std::string_view kExactMarker = "/:utf:\\";

// By upper-case clip id.
using TExactTextMap = std::unordered_map<std::string, std::string>;

// The file's bytes for these (id, text) blocks, in the order given.
std::string ExactTextsImage(const std::vector<std::pair<std::string, std::string>>& blocks);

struct TExactTextsRead {
  size_t blocks = 0;     // whole, well-formed blocks taken
  bool damaged = false;  // something was not: a bad header, a cut, bad UTF-8
};
// Takes every whole block with well-formed UTF-8 into texts (a later block of an id does
// not replace an earlier one). Reading stops at a header it cannot read or a block cut
// short; a block with bad UTF-8 is left out and reading goes on after it.
TExactTextsRead ReadExactTexts(std::string_view bytes, TExactTextMap& texts);

}  // namespace qv
