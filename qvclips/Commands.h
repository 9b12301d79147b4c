#pragma once
// The clip tool's commands over the two clip files of a folder. What differs between
// systems (where the tool lies, code pages, whether the program runs) comes in through
// TClipsHost, so that every command runs in-process in the tests.

#include <functional>
#include <ostream>
#include <string>
#include <string_view>

namespace qv {

inline constexpr int kExitOk = 0;
inline constexpr int kExitNotFound = 1;  // a check found problems, or nothing matched
inline constexpr int kExitError = 2;     // bad usage, or a file or folder error

struct TClipsHost {
  std::function<std::string()> exeFolder;      // the tool's own folder
  std::function<std::string()> currentFolder;
  // Where the program keeps its files when its own folder cannot be written; empty where
  // there is no such place.
  std::function<std::string()> fallbackFolder;
  std::function<bool(const std::string&)> isFolder;
  std::function<bool(const std::string&)> isFile;
  std::function<std::string(const std::string&)> fullPath;
  char separator = '/';
  // ANSI text in a code page (0: the system's) to UTF-8; raises EConvertError for a code
  // page it cannot convert.
  std::function<std::string(std::string_view, unsigned)> toUtf8;
  // A command-line argument in UTF-8, from what argv holds; unset where argv is UTF-8.
  std::function<std::string(const std::string&)> argumentToUtf8;
  // Whether the program holds the folder; always false where that cannot be known.
  std::function<bool(const std::string&)> programRunning;
  std::string codePageHelp;  // what --codepage accepts here
};

// argv[0] is the program's name. Output goes to out (show and export give clip texts byte
// for byte; list and search escape control characters), messages to err. Returns the exit
// code.
int RunClipsTool(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                 const TClipsHost& host);

}  // namespace qv
