#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include <climits>

#include "app/FilesFolderWin.h"
#include "app/InstanceNameWin.h"
#include "framework/FileIO.h"
#include "framework/SysUtils.h"
#include "qvclips/Host.h"

namespace qv {

namespace {

DWORD Attributes(const std::string& path) { return GetFileAttributesW(WidePath(path).c_str()); }

std::string ToUtf8(std::string_view text, unsigned codePage) {
  if (codePage == 0) codePage = GetACP();
  if (!IsValidCodePage(codePage))
    throw EConvertError(Format("Code page %u is not installed", codePage));
  if (text.empty()) return std::string();
  if (text.size() > static_cast<size_t>(INT_MAX / 2)) throw EConvertError("Text too long");
  const int length = static_cast<int>(text.size());
  const int wide = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
  if (wide == 0) throw EConvertError(Format("Cannot convert from code page %u", codePage));
  std::wstring utf16(static_cast<size_t>(wide), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), length, utf16.data(), wide);
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, utf8.data(), bytes, nullptr, nullptr);
  return utf8;
}

std::string WideTo(UINT codePage, const wchar_t* text) {
  const int bytes = WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 1) return std::string();
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(codePage, 0, text, -1, out.data(), bytes, nullptr, nullptr);
  out.pop_back();  // the terminating zero
  return out;
}

// argv holds the arguments in the ANSI code page, which loses what it cannot hold; the
// wide command line has them whole. So the argument is taken from there: the last one whose
// ANSI form is what argv holds; failing that, argv's text converted.
std::string ArgumentToUtf8(const std::string& ansi) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::string utf8 = ToUtf8(ansi, 0);
  for (int i = count - 1; wide && i > 0; --i) {
    if (WideTo(CP_ACP, wide[i]) != ansi) continue;
    utf8 = WideTo(CP_UTF8, wide[i]);
    break;
  }
  if (wide) LocalFree(wide);
  return utf8;
}

}  // namespace

TClipsHost SystemHost() {
  TClipsHost host;
  host.exeFolder = [] { return ExtractFilePath(ExecutablePath()); };
  host.currentFolder = [] {
    std::wstring folder(GetCurrentDirectoryW(0, nullptr), L'\0');
    folder.resize(GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data()));
    return Utf8Path(folder);
  };
  host.fallbackFolder = [] { return FallbackFilesFolder(LocalAppDataFolder()); };
  host.isFolder = [](const std::string& path) {
    const DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
  };
  host.isFile = [](const std::string& path) {
    const DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
  };
  host.fullPath = [](const std::string& path) {
    const std::wstring wide = WidePath(path);
    std::wstring full(GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr), L'\0');
    if (full.empty()) return path;
    full.resize(
        GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr));
    return Utf8Path(full);
  };
  host.separator = '\\';
  host.toUtf8 = ToUtf8;
  host.argumentToUtf8 = ArgumentToUtf8;
  // The running program holds an object named after its user and folder, in the
  // machine's namespace, in its session's, or both.
  host.programRunning = FolderHeldByThisUser;
  host.codePageHelp = "any code page Windows has (default: the system's ANSI code page)";
  return host;
}

}  // namespace qv
