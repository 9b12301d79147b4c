#include <sys/stat.h>

#include <cstdio>

#include "framework/FileIO.h"

namespace qv {

bool ReplaceFileWith(const std::string& temporary, const std::string& target) {
  return std::rename(temporary.c_str(), target.c_str()) == 0;
}

bool PathExists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

bool RenameFileTo(const std::string& from, const std::string& to) {
  // rename would replace what is there.
  if (PathExists(to)) return false;
  return std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace qv
