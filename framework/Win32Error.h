#pragma once
// One way to fail for calls to the system: the call's name and GetLastError's code in an
// EWin32Error, with the system's own text for the code.

#include <windows.h>

#include "framework/SysUtils.h"

namespace qv {

// "<call> failed: <system text> (error <code>)".
[[noreturn]] void RaiseWin32Error(const char* call, DWORD code);
[[noreturn]] inline void RaiseLastWin32Error(const char* call) { RaiseWin32Error(call, GetLastError()); }

// The result when it is not null, zero or false; otherwise raises for the call.
template <class T>
T Win32Check(T result, const char* call) {
  if (!result) RaiseLastWin32Error(call);
  return result;
}

}  // namespace qv
