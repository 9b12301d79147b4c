#include <windows.h>

#include "framework/FileIO.h"
#include "framework/Handles.h"
#include "framework/SysUtils.h"

namespace qv {

namespace {

TFileStatus Status(BOOL done) { return done ? TFileStatus() : TFileStatus::Failed(GetLastError()); }

}  // namespace

std::string SystemErrorText(unsigned long error) {
  char text[512] = {0};
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           error, 0, text, sizeof text, nullptr);
  while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' ')) --n;
  return std::string(text, n);
}

TFileStatus ReplaceFileWith(const std::string& temporary, const std::string& target) {
  return Status(MoveFileExW(WidePath(temporary).c_str(), WidePath(target).c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
}

bool PathExists(const std::string& path) {
  return GetFileAttributesW(WidePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

TFileStatus RenameFileTo(const std::string& from, const std::string& to) {
  return Status(MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(), MOVEFILE_WRITE_THROUGH));
}

std::vector<std::string> FileNamesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found;
  const UniqueFind search(FindFirstFileW(WidePath(folder + "*").c_str(), &found));
  if (!search) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      names.push_back(Utf8Path(found.cFileName));
  } while (FindNextFileW(search.get(), &found));
  return names;
}

std::string ExecutablePath() {
  // A path longer than MAX_PATH fills the buffer: then again with more room.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return std::string();
    if (n < path.size()) return Utf8Path(std::wstring_view(path.data(), n));
    path.resize(path.size() * 2);
  }
}

bool FileModifiedTime(const std::string& path, int64_t& time) {
  WIN32_FILE_ATTRIBUTE_DATA info;
  if (!GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &info)) return false;
  time = static_cast<int64_t>((static_cast<uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                              info.ftLastWriteTime.dwLowDateTime);
  return true;
}

}  // namespace qv
