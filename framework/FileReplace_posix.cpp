#include <cstdio>

#include "framework/FileIO.h"

namespace qv {

bool ReplaceFileWith(const std::string& temporary, const std::string& target) {
  return std::rename(temporary.c_str(), target.c_str()) == 0;
}

}  // namespace qv
