#include "settings/StartWithWindows.h"

#include <windows.h>

#include "framework/FileIO.h"
#include "framework/Registry.h"
#include "settings/SettingsRules.h"

namespace qv {

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
  const std::string other = StartupProgram(*command);
  if (!other.empty() && GetFileAttributesW(WidePath(other).c_str()) != INVALID_FILE_ATTRIBUTES)
    return;
  WriteUserRegString(StartupRunKey, kStartupValueName, StartupCommand(exe_path_));
}

}  // namespace qv
