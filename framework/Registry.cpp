#include "framework/Registry.h"

#include <windows.h>

#include <vector>

#include "framework/Handles.h"
#include "framework/SysUtils.h"
#include "framework/WideText.h"

namespace qv {

namespace {

[[noreturn]] void RefusedWrite(const std::string& keyPath) {
  throw EInOutError(MsgUnableToWrite("HKEY_CURRENT_USER\\" + keyPath));
}

}  // namespace

std::optional<std::string> ReadUserRegString(const std::string& keyPath, const std::string& name) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, Utf8ToWide(keyPath).c_str(), 0, KEY_QUERY_VALUE, &opened) !=
      ERROR_SUCCESS)
    return std::nullopt;
  const UniqueRegKey key(opened);
  const std::wstring wideName = Utf8ToWide(name);
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key.get(), wideName.c_str(), nullptr, &type, nullptr, &size) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return std::nullopt;
  std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
  if (RegQueryValueExW(key.get(), wideName.c_str(), nullptr, &type,
                       reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS)
    return std::nullopt;
  // A stored terminator, if any, is not part of the text.
  return WideToUtf8(buffer.data());
}

void WriteUserRegString(const std::string& keyPath, const std::string& name,
                        const std::string& value) {
  HKEY opened = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, Utf8ToWide(keyPath).c_str(), 0, nullptr,
                      REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &opened,
                      nullptr) != ERROR_SUCCESS)
    RefusedWrite(keyPath);
  const UniqueRegKey key(opened);
  const std::wstring text = Utf8ToWide(value);
  if (RegSetValueExW(key.get(), Utf8ToWide(name).c_str(), 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS)
    RefusedWrite(keyPath);
}

void DeleteUserRegValue(const std::string& keyPath, const std::string& name) {
  HKEY opened = nullptr;
  const LONG rc =
      RegOpenKeyExW(HKEY_CURRENT_USER, Utf8ToWide(keyPath).c_str(), 0, KEY_SET_VALUE, &opened);
  if (rc == ERROR_FILE_NOT_FOUND) return;
  if (rc != ERROR_SUCCESS) RefusedWrite(keyPath);
  const UniqueRegKey key(opened);
  const LONG deleted = RegDeleteValueW(key.get(), Utf8ToWide(name).c_str());
  if (deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND) RefusedWrite(keyPath);
}

}  // namespace qv
