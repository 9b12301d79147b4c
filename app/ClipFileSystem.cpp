#include "app/ClipFileSystem.h"

#include <algorithm>

namespace qv {

TFileStatus TFileSystem::Read(const std::string& path, std::string& bytes,
                              size_t (*leadFor)(size_t), size_t* leadUsed) {
  return ReadWholeFile(path, bytes, leadFor, leadUsed);
}
bool TFileSystem::Exists(const std::string& path) { return PathExists(path); }
TFileStatus TFileSystem::WriteTemporary(const std::string& path, const std::string& bytes,
                                        std::string& temporary) {
  return WriteTemporaryFile(path, bytes, temporary);
}
TFileStatus TFileSystem::Replace(const std::string& from, const std::string& to) {
  return ReplaceFileWith(from, to);
}
TFileStatus TFileSystem::RenameNew(const std::string& from, const std::string& to) {
  return RenameFileTo(from, to);
}
TFileStatus TFileSystem::Append(const std::string& path, const std::string& bytes) {
  return AppendToFileDurably(path, bytes);
}
TFileStatus TFileSystem::Remove(const std::string& path) { return RemoveFile(path); }
bool TFileSystem::ModifiedTime(const std::string& path, int64_t& time) {
  return FileModifiedTime(path, time);
}
std::vector<std::string> TFileSystem::Names(const std::string& folder) {
  return FileNamesIn(folder);
}

TFileSystem& RealFileSystem() {
  static TFileSystem files;
  return files;
}

void SweepTemporaries(TFileSystem& files, const std::string& folder,
                      const std::vector<std::string>& names,
                      const std::vector<std::string>& keep) {
  for (const std::string& found : files.Names(folder)) {
    if (std::find(keep.begin(), keep.end(), folder + found) != keep.end()) continue;
    for (const std::string& name : names)
      if (IsTemporaryFileOf(found, name)) {
        files.Remove(folder + found);
        break;
      }
  }
}

}  // namespace qv
