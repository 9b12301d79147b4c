#pragma once
// One recorder per folder: two programs writing the same clip files would each overwrite
// the other's clips when they quit. The first start holds a name made from the user and
// the folder; a later start of the same user finds it taken, asks the running one to
// bring its clip window up, and leaves without touching any file.

#include <windows.h>

#include <string>

#include "framework/Handles.h"

namespace qv {

class TSingleInstance {
 public:
  // folder: where the clip files live (the executable's folder).
  explicit TSingleInstance(const std::string& folder);

  // Whether this process holds the folder, or another copy of this user got there first.
  bool First() const { return first_; }
  // Done by the holder once its main window exists, so that a later start can reach it.
  void Publish(HWND mainWindow);
  // Done by a later start: asks the holder to show its clip window. False when it cannot
  // be reached: it runs in another logon session, or with other rights (elevated), or
  // its window did not turn up within the wait.
  bool ShowRunning(DWORD waitMilliseconds = 10000) const;
  // What the holder's main window receives for that.
  static UINT ShowMessage();

 private:
  std::string name_;
  UniqueKernelObject mutex_;
  UniqueKernelObject global_mutex_;
  UniqueKernelObject window_record_;
  bool first_ = false;
  // The holder is in another logon session: the machine's name is taken, the session's
  // was free.
  bool other_session_ = false;
};

}  // namespace qv
