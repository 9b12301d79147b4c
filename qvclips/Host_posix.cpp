#include <sys/stat.h>
#include <unistd.h>

#include <climits>

#include "framework/CodePage.h"
#include "framework/SysUtils.h"
#include "qvclips/Host.h"

namespace qv {

namespace {

std::string CurrentFolder() {
  char buffer[PATH_MAX];
  return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string(".");
}

bool HasMode(const std::string& path, mode_t kind) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && (info.st_mode & S_IFMT) == kind;
}

}  // namespace

TClipsHost SystemHost() {
  TClipsHost host;
  host.exeFolder = [] {
    char exe[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    return n > 0 ? ExtractFilePath(std::string(exe, static_cast<size_t>(n))) : std::string();
  };
  host.currentFolder = CurrentFolder;
  host.isFolder = [](const std::string& path) { return HasMode(path, S_IFDIR); };
  host.isFile = [](const std::string& path) { return HasMode(path, S_IFREG); };
  host.fullPath = [](const std::string& path) {
    return !path.empty() && path[0] == '/' ? path : CurrentFolder() + "/" + path;
  };
  host.separator = '/';
  host.toUtf8 = [](std::string_view text, unsigned codePage) {
    return AnsiToUtf8(text, codePage == 0 ? kCodePageWestern : codePage);
  };
  // The program runs on Windows only; no system here can hold its folder.
  host.programRunning = [](const std::string&) { return false; };
  host.codePageHelp = "1252 (the default), 28591 or 65001";
  return host;
}

}  // namespace qv
