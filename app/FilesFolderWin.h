#pragma once
// Which folder the program's files live in, as this system decides it; shared by the
// program and the clip tool, which links no window code, hence inline here.

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "app/FilesFolder.h"
#include "framework/FileIO.h"

namespace qv {

// The user's local application data, without a trailing separator; empty when unknown.
// The environment first: it is the same folder, and a test can point it elsewhere.
inline std::string LocalAppDataFolder() {
  std::wstring path(MAX_PATH, L'\0');
  DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", path.data(), static_cast<DWORD>(path.size()));
  if (n >= path.size()) {
    path.resize(n);
    n = GetEnvironmentVariableW(L"LOCALAPPDATA", path.data(), static_cast<DWORD>(path.size()));
  }
  if (n > 0 && n < path.size()) return Utf8Path(std::wstring_view(path.data(), n));
  wchar_t known[MAX_PATH] = {0};
  if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, known)))
    return Utf8Path(known);
  return std::string();
}

// Whether a file can be made in the folder (ending in a separator). Tried, not read from
// attributes or rights: a read-only attribute does not stop it, and rights come from
// many places.
inline bool CanCreateFilesIn(const std::string& folder) {
  const std::string probe =
      folder + "qvavad-probe-" + std::to_string(GetCurrentProcessId()) + ".tmp";
  const HANDLE file = CreateFileW(WidePath(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
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
  const bool made = CreateDirectoryW(WidePath(fallback).c_str(), nullptr) != 0;
  const DWORD a = GetFileAttributesW(WidePath(fallback).c_str());
  if (a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_DIRECTORY)) return chosen;
  return TFilesFolder{fallback, true, made};
}

}  // namespace qv
