// qvclips: the clip history of Quorvel Vavad from the command line.

#include <iostream>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <shellapi.h>

#include "framework/FileIO.h"
#endif

#include "qvclips/Host.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv, argv + argc);
#if defined(_WIN32)
  // Clip texts go out byte for byte: no CR added before each LF.
  _setmode(_fileno(stdout), _O_BINARY);
  // Paths are UTF-8 inside, and the folder given may hold what the ANSI code page cannot:
  // it is taken from the wide command line. The other arguments stay ANSI, as the texts
  // they are looked for in are.
  int count = 0;
  if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
    for (int i = 1; i < count && count == argc; ++i) {
      const std::string arg = qv::Utf8Path(wide[i]);
      if (arg.rfind("--dir=", 0) == 0)
        args[i] = arg;
      else if (args[i - 1] == "--dir")
        args[i] = arg;
    }
    LocalFree(wide);
  }
#endif
  std::vector<const char*> pointers;
  for (const std::string& arg : args) pointers.push_back(arg.c_str());
  return qv::RunClipsTool(argc, pointers.data(), std::cout, std::cerr, qv::SystemHost());
}
