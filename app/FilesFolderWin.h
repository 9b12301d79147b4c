#pragma once
// Which folder the program's files live in, as this system decides it; shared by the
// program and the clip tool, which links no window code, hence inline here.

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "app/FilesFolder.h"

namespace qv {

// The user's local application data, without a trailing separator; empty when unknown.
// The environment first: it is the same folder, and a test can point it elsewhere.
inline std::string LocalAppDataFolder() {
  char path[MAX_PATH * 2] = {0};
  const DWORD n = GetEnvironmentVariableA("LOCALAPPDATA", path, sizeof path);
  if (n > 0 && n < sizeof path) return std::string(path, n);
  if (SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path)))
    return path;
  return std::string();
}

// Whether a file can be made in the folder (ending in a separator). Tried, not read from
// attributes or rights: a read-only attribute does not stop it, and rights come from
// many places.
inline bool CanCreateFilesIn(const std::string& folder) {
  const std::string probe =
      folder + "qvavad-probe-" + std::to_string(GetCurrentProcessId()) + ".tmp";
  const HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_EXISTS;
  CloseHandle(file);  // and so it goes
  return true;
}

struct TFilesFolder {
  std::string Folder;          // with a trailing separator
  bool FellBack = false;       // the executable's folder could not be written
  bool NewlyMade = false;      // this start made the fallback folder: the user is told
};

// The executable's folder while it can be written (the portable use); else the fallback
// folder, made when missing. When that cannot be made either, the executable's folder
// stays, and saving there reports its failure as before.
inline TFilesFolder ChooseFilesFolder(const std::string& exeFolder) {
  TFilesFolder chosen{exeFolder};
  if (CanCreateFilesIn(exeFolder)) return chosen;
  const std::string fallback = FallbackFilesFolder(LocalAppDataFolder());
  if (fallback.empty()) return chosen;
  const bool made = CreateDirectoryA(fallback.c_str(), nullptr) != 0;
  const DWORD a = GetFileAttributesA(fallback.c_str());
  if (a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_DIRECTORY)) return chosen;
  return TFilesFolder{fallback, true, made};
}

}  // namespace qv
