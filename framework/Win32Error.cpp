#include "framework/Win32Error.h"

#include <string>

namespace qv {

void RaiseWin32Error(const char* call, DWORD code) {
  const std::string text = SystemErrorText(code);
  std::string message = std::string(call) + " failed: ";
  message += text.empty() ? "unknown error" : text;
  message += " (error " + std::to_string(code) + ")";
  throw EWin32Error(call, code, message);
}

}  // namespace qv
