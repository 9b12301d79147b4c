#include "app/SingleInstance.h"

#include <cstdint>
#include <cstring>

#include "app/InstanceNameWin.h"

namespace qv {

namespace {

enum class TClaim { Claimed, Taken, Failed };

TClaim ClaimName(const std::string& name, SECURITY_ATTRIBUTES* security, UniqueKernelObject& held) {
  held.reset(CreateMutexW(security, FALSE, WidePath(name).c_str()));
  const DWORD error = GetLastError();
  // Refused: another account's object under this user's name, made to shut this user
  // out; it guards nothing of this user's.
  if (!held) return TClaim::Failed;
  if (error != ERROR_ALREADY_EXISTS) return TClaim::Claimed;
  if (OwnedByThisUser(held.get())) return TClaim::Taken;
  held.reset();
  return TClaim::Failed;
}

}  // namespace

TSingleInstance::TSingleInstance(const std::string& folder) : name_(InstanceNameOfFolder(folder)) {
  // The machine's name keeps a copy in another logon session out of the folder; the
  // session's name stands in where the machine's namespace is refused.
  TOwnObjectSecurity security;
  const TClaim machine =
      ClaimName(InstanceNameOfFolder(folder, true), security.Attributes(), global_mutex_);
  const TClaim session = ClaimName(name_, security.Attributes(), mutex_);
  // Without either object the folder cannot be guarded; recording alone beats not recording.
  first_ = machine != TClaim::Taken && session != TClaim::Taken;
  other_session_ = machine == TClaim::Taken && session == TClaim::Claimed;
}

UINT TSingleInstance::ShowMessage() {
  static const UINT message = RegisterWindowMessageA("QuorvelVavad.ShowClipWindow");
  return message;
}

void TSingleInstance::Publish(HWND mainWindow) {
  TOwnObjectSecurity security;
  window_record_.reset(CreateFileMappingW(INVALID_HANDLE_VALUE, security.Attributes(),
                                          PAGE_READWRITE, 0, sizeof(uint64_t),
                                          WidePath(name_ + ".Window").c_str()));
  if (!window_record_) return;
  if (void* view = MapViewOfFile(window_record_.get(), FILE_MAP_WRITE, 0, 0, sizeof(uint64_t))) {
    const uint64_t value = reinterpret_cast<uintptr_t>(mainWindow);
    std::memcpy(view, &value, sizeof value);
    UnmapViewOfFile(view);
  }
}

bool TSingleInstance::ShowRunning(DWORD waitMilliseconds) const {
  // A window of another session cannot be asked for anything.
  if (other_session_) return false;
  const DWORD start = GetTickCount();
  // The holder may still be starting: its window is published once it exists.
  for (;;) {
    UniqueKernelObject record(
        OpenFileMappingW(FILE_MAP_READ, FALSE, WidePath(name_ + ".Window").c_str()));
    // An elevated holder's record may be closed to this start.
    if (!record && GetLastError() == ERROR_ACCESS_DENIED) return false;
    uint64_t value = 0;
    if (record) {
      if (const void* view = MapViewOfFile(record.get(), FILE_MAP_READ, 0, 0, sizeof value)) {
        std::memcpy(&value, view, sizeof value);
        UnmapViewOfFile(view);
      }
    }
    const HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(value));
    if (window && IsWindow(window)) {
      DWORD holder = 0;
      GetWindowThreadProcessId(window, &holder);
      // This start was the user's own action, so it may hand the foreground on.
      AllowSetForegroundWindow(holder);
      // Refused when the holder runs with more rights than this start.
      return PostMessageA(window, ShowMessage(), 0, 0) != 0;
    }
    if (GetTickCount() - start >= waitMilliseconds) return false;
    Sleep(50);
  }
}

}  // namespace qv
