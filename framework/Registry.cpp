#include "framework/Registry.h"

#include <windows.h>

#include <vector>

#include "framework/Handles.h"
#include "framework/SysUtils.h"

namespace qv {

namespace {

[[noreturn]] void RefusedWrite(const std::string& keyPath) {
  throw EInOutError(MsgUnableToWrite("HKEY_CURRENT_USER\\" + keyPath));
}

}  // namespace

std::optional<std::string> ReadUserRegString(const std::string& keyPath, const std::string& name) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_QUERY_VALUE, &opened) !=
      ERROR_SUCCESS)
    return std::nullopt;
  const UniqueRegKey key(opened);
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return std::nullopt;
  std::vector<char> buffer(size + 1, '\0');
  if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type,
                       reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS)
    return std::nullopt;
  // A stored terminator, if any, is not part of the text.
  return std::string(buffer.data());
}

void WriteUserRegString(const std::string& keyPath, const std::string& name,
                        const std::string& value) {
  HKEY opened = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE, nullptr, &opened, nullptr) != ERROR_SUCCESS)
    RefusedWrite(keyPath);
  const UniqueRegKey key(opened);
  if (RegSetValueExA(key.get(), name.c_str(), 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>(value.size() + 1)) != ERROR_SUCCESS)
    RefusedWrite(keyPath);
}

void DeleteUserRegValue(const std::string& keyPath, const std::string& name) {
  HKEY opened = nullptr;
  const LONG rc = RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_SET_VALUE, &opened);
  if (rc == ERROR_FILE_NOT_FOUND) return;
  if (rc != ERROR_SUCCESS) RefusedWrite(keyPath);
  const UniqueRegKey key(opened);
  const LONG deleted = RegDeleteValueA(key.get(), name.c_str());
  if (deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND) RefusedWrite(keyPath);
}

}  // namespace qv
