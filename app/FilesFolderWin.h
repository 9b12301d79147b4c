#pragma once
// Which folder the program's files live in, as this system decides it; shared by the
// program and the clip tool, which links no window code, hence inline here.

#include <windows.h>

#include <shlobj.h>

#include <string>

#include "app/ClipStore.h"
#include "app/FilesFolder.h"
#include "app/InstanceNameWin.h"
#include "framework/FileIO.h"
#include "framework/Handles.h"

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
inline TFolderProbe ProbeFolder(const std::string& folder) {
  const std::string probe =
      folder + "qvavad-probe-" + std::to_string(GetCurrentProcessId()) + ".tmp";
  const UniqueFile file(CreateFileW(WidePath(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  if (file) return TFolderProbe::Writable;  // and it goes as it is closed
  switch (GetLastError()) {
    case ERROR_FILE_EXISTS:
      return TFolderProbe::Writable;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_NETWORK_ACCESS_DENIED:
      return TFolderProbe::Refused;
    default:
      return TFolderProbe::Failed;
  }
}

inline bool HoldsClipFiles(const std::string& folder) {
  return PathExists(folder + kClipListFile) || PathExists(folder + kClipStoreFile);
}

struct TFilesFolder {
  std::string Folder;          // with a trailing separator
  bool FellBack = false;       // in the fallback folder
  std::string Notice;          // what this start tells the user about it; empty: nothing
  std::string Record;          // the fallback folder's record of the folders that use it
  std::string ExeFolder;       // as the record names it
};

// The executable's folder unless KeepFilesInFallback says otherwise; the fallback folder
// is made when missing, and when that cannot be made either, the executable's folder
// stays, and saving there reports its failure. The user is told once when the
// files are kept elsewhere than at the last start, and when this start made the
// fallback folder.
inline TFilesFolder ChooseFilesFolder(const std::string& exeFolder,
                                      TFolderProbe (*probe)(const std::string&) = ProbeFolder) {
  TFilesFolder chosen;
  chosen.Folder = exeFolder;
  const std::string fallback = FallbackFilesFolder(LocalAppDataFolder());
  chosen.ExeFolder = CanonicalFolder(exeFolder);
  TFolderFacts facts;
  facts.ExeFolder = probe(exeFolder);
  facts.ExeFolderHoldsClips = HoldsClipFiles(exeFolder);
  if (!fallback.empty()) {
    chosen.Record = fallback + kFolderRecordFile;
    std::string record;
    facts.LastStartUsedFallback =
        ReadWholeFile(chosen.Record, record) && RecordListsFolder(record, chosen.ExeFolder);
    facts.FallbackHoldsClips = HoldsClipFiles(fallback);
  }
  bool made = false;
  if (!fallback.empty() && KeepFilesInFallback(facts)) {
    made = CreateDirectoryW(WidePath(fallback).c_str(), nullptr) != 0;
    const DWORD a = GetFileAttributesW(WidePath(fallback).c_str());
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)) {
      chosen.Folder = fallback;
      chosen.FellBack = true;
    }
  }
  const std::string& last = facts.LastStartUsedFallback ? fallback : exeFolder;
  const bool clipsLeft =
      facts.LastStartUsedFallback ? facts.FallbackHoldsClips : facts.ExeFolderHoldsClips;
  if (clipsLeft && CanonicalFolder(last) != CanonicalFolder(chosen.Folder))
    chosen.Notice = FilesFolderChangedNotice(last, chosen.Folder);
  else if (made)
    chosen.Notice = FallbackFolderNotice(exeFolder, chosen.Folder);
  return chosen;
}

// Done by the start that records: the next start knows where this one kept the files.
// The record is written only when it changes, and only made in a fallback folder in use.
// A record not written leaves the next start to go by the folders alone, which may then
// not find the clips kept in the fallback folder: the result says so.
inline TFileStatus RememberFilesFolder(const TFilesFolder& files) {
  if (files.Record.empty()) return TFileStatus();
  std::string record;
  if (!ReadWholeFile(files.Record, record) && !files.FellBack) return TFileStatus();
  const std::string changed = RecordWithFolder(record, files.ExeFolder, files.FellBack);
  if (changed == record) return TFileStatus();
  return WriteFileAtomically(files.Record, changed);
}

}  // namespace qv
