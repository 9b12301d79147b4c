#include "framework/Win32Error.h"

#include <string>

namespace qv {

void RaiseWin32Error(const char* call, DWORD code) {
  char text[512] = {0};
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           code, 0, text, sizeof text, nullptr);
  while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' ')) text[--n] = 0;
  std::string message = std::string(call) + " failed: ";
  message += n ? text : "unknown error";
  message += " (error " + std::to_string(code) + ")";
  throw EWin32Error(call, code, message);
}

}  // namespace qv
