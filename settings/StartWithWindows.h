#pragma once
// "Start with Windows": a value under the user's Run key that starts this exe. The
// registry is the truth; nothing about it is kept anywhere else.

#include <string>

namespace qv {

// Below HKEY_CURRENT_USER. Tests point it at a key of their own.
extern std::string StartupRunKey;

class TStartupEntry {
 public:
  explicit TStartupEntry(std::string exePath) : exe_path_(std::move(exePath)) {}

  // The value is there and starts this exe.
  bool On() const;
  // On writes the value for this exe. Off removes it only when it starts this exe: a
  // value that starts another copy is that copy's. A refusal raises "Unable to write to %s".
  void Set(bool on);
  // At start: a value that starts an exe surely gone (its drive is there, the exe is not)
  // now starts this one: the program was moved. A value that starts another copy that
  // still exists is left to it, and so is one whose exe cannot be looked for now (a
  // drive not plugged in, a share out of reach, a %VARIABLE% in its path).
  void FollowMove();

 private:
  std::string exe_path_;
};

}  // namespace qv
