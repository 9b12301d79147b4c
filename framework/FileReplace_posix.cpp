#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "framework/FileIO.h"
#include "framework/SysUtils.h"

namespace qv {

namespace {

TFileStatus Status(bool done) {
  return done ? TFileStatus() : TFileStatus::Failed(static_cast<unsigned long>(errno));
}

}  // namespace

std::string SystemErrorText(unsigned long error) { return std::strerror(static_cast<int>(error)); }

TFileStatus ReplaceFileWith(const std::string& temporary, const std::string& target) {
  return Status(std::rename(temporary.c_str(), target.c_str()) == 0);
}

bool PathExists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

TFileStatus RenameFileTo(const std::string& from, const std::string& to) {
  // rename would replace what is there.
  if (PathExists(to)) return TFileStatus::Failed(EEXIST);
  return Status(std::rename(from.c_str(), to.c_str()) == 0);
}

std::vector<std::string> FileNamesIn(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return names;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    struct stat info;
    if (stat((folder + name).c_str(), &info) == 0 && S_ISREG(info.st_mode)) names.push_back(name);
  }
  closedir(dir);
  return names;
}

bool FileModifiedTime(const std::string& path, int64_t& time) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return false;
  time = static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  return true;
}

}  // namespace qv
