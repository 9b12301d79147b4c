#pragma once
// The folder's instance name as Windows sees the folder; shared by the program and the
// clip tool, which links no window code, hence inline here.

#include <windows.h>

#include <string>

#include "app/InstanceName.h"
#include "framework/FileIO.h"

namespace qv {

// The folder as the file system names it: long names, one letter case, backslashes, no
// trailing separator.
inline std::string CanonicalFolder(const std::string& folder) {
  std::wstring path = WidePath(folder);
  if (DWORD n = GetLongPathNameW(path.c_str(), nullptr, 0)) {
    std::wstring longer(n, L'\0');
    n = GetLongPathNameW(path.c_str(), longer.data(), n);
    if (n > 0 && n < longer.size()) path.assign(longer, 0, n);
  }
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  if (!path.empty()) CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
  return Utf8Path(path);
}

inline std::string InstanceNameOfFolder(const std::string& folder, bool global = false) {
  return InstanceObjectName(CanonicalFolder(folder), global);
}

}  // namespace qv
