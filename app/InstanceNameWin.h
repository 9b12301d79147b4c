#pragma once
// The folder's instance name as Windows sees the folder; shared by the program and the
// clip tool, which links no window code, hence inline here.

#include <windows.h>

#include <string>

#include "app/InstanceName.h"

namespace qv {

// The folder as the file system names it: long names, one letter case, backslashes, no
// trailing separator.
inline std::string CanonicalFolder(const std::string& folder) {
  std::string path = folder;
  if (DWORD n = GetLongPathNameA(folder.c_str(), nullptr, 0)) {
    path.assign(n, '\0');
    n = GetLongPathNameA(folder.c_str(), path.data(), n);
    path.resize(n);
  }
  while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  for (char& c : path)
    if (c == '/') c = '\\';
  if (!path.empty()) CharUpperBuffA(path.data(), static_cast<DWORD>(path.size()));
  return path;
}

inline std::string InstanceNameOfFolder(const std::string& folder, bool global = false) {
  return InstanceObjectName(CanonicalFolder(folder), global);
}

}  // namespace qv
