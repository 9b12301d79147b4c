#include "settings/StartWithWindows.h"

#include <windows.h>

#include "framework/FileIO.h"
#include "framework/Registry.h"
#include "settings/SettingsRules.h"

namespace qv {

namespace {

// Whether the file is surely not there: a folder on its path is there and lacks the next
// part of it. A drive that is not plugged in, a share out of reach, refused access or a
// path that cannot be checked at all say nothing.
bool SurelyGone(const std::string& program) {
  if (GetFileAttributesW(WidePath(program).c_str()) != INVALID_FILE_ATTRIBUTES) return false;
  DWORD error = GetLastError();
  for (const std::string& folder : StartupProgramFolders(program)) {
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return false;
    const DWORD a = GetFileAttributesW(WidePath(folder).c_str());
    if (a != INVALID_FILE_ATTRIBUTES) return (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
    error = GetLastError();
  }
  return false;
}

}  // namespace

std::string StartupRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

bool TStartupEntry::On() const {
  const auto command = ReadUserRegString(StartupRunKey, kStartupValueName);
  return command && StartsThisExe(*command, exe_path_);
}

void TStartupEntry::Set(bool on) {
  const auto command = ReadUserRegString(StartupRunKey, kStartupValueName);
  if (on) {
    if (command != StartupCommand(exe_path_))
      WriteUserRegString(StartupRunKey, kStartupValueName, StartupCommand(exe_path_));
  } else if (command && StartsThisExe(*command, exe_path_)) {
    DeleteUserRegValue(StartupRunKey, kStartupValueName);
  }
}

void TStartupEntry::FollowMove() {
  const auto command = ReadUserRegString(StartupRunKey, kStartupValueName);
  if (!command || StartsThisExe(*command, exe_path_)) return;
  if (!SurelyGone(StartupProgram(*command))) return;
  WriteUserRegString(StartupRunKey, kStartupValueName, StartupCommand(exe_path_));
}

}  // namespace qv
