#include "app/SingleInstance.h"

#include <cstdint>
#include <cstring>

#include "app/InstanceNameWin.h"

namespace qv {

namespace {

enum class TClaim { Claimed, Taken, Failed };

TClaim ClaimName(const std::string& name, UniqueKernelObject& held) {
  held.reset(CreateMutexA(nullptr, FALSE, name.c_str()));
  const DWORD error = GetLastError();
  if (held) return error == ERROR_ALREADY_EXISTS ? TClaim::Taken : TClaim::Claimed;
  // Access denied: the name is there, held by a copy with more rights (an elevated one).
  return error == ERROR_ACCESS_DENIED ? TClaim::Taken : TClaim::Failed;
}

}  // namespace

TSingleInstance::TSingleInstance(const std::string& folder) : name_(InstanceNameOfFolder(folder)) {
  // The machine's name keeps a copy in another logon session out of the folder; the
  // session's name is what older versions hold, and stands in where the machine's
  // namespace is refused.
  const TClaim machine = ClaimName(InstanceNameOfFolder(folder, true), global_mutex_);
  const TClaim session = ClaimName(name_, mutex_);
  // Without either object the folder cannot be guarded; recording alone beats not recording.
  first_ = machine != TClaim::Taken && session != TClaim::Taken;
}

UINT TSingleInstance::ShowMessage() {
  static const UINT message = RegisterWindowMessageA("QuorvelVavad.ShowClipWindow");
  return message;
}

void TSingleInstance::Publish(HWND mainWindow) {
  window_record_.reset(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                          sizeof(uint64_t), (name_ + ".Window").c_str()));
  if (!window_record_) return;
  if (void* view = MapViewOfFile(window_record_.get(), FILE_MAP_WRITE, 0, 0, sizeof(uint64_t))) {
    const uint64_t value = reinterpret_cast<uintptr_t>(mainWindow);
    std::memcpy(view, &value, sizeof value);
    UnmapViewOfFile(view);
  }
}

bool TSingleInstance::ShowRunning(DWORD waitMilliseconds) const {
  const DWORD start = GetTickCount();
  // The holder may still be starting: its window is published once it exists.
  for (;;) {
    UniqueKernelObject record(OpenFileMappingA(FILE_MAP_READ, FALSE, (name_ + ".Window").c_str()));
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
      return PostMessageA(window, ShowMessage(), 0, 0) != 0;
    }
    if (GetTickCount() - start >= waitMilliseconds) return false;
    Sleep(50);
  }
}

}  // namespace qv
