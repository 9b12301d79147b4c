#include "app/PasteTarget.h"

#include <vector>

#include "app/RecallRules.h"
#include "framework/Handles.h"

namespace qv {

HWND PasteTargetAtShow(HWND clipWindow) {
  HWND foreground = GetForegroundWindow();
  return foreground == clipWindow ? nullptr : foreground;
}

void TakeForeground(HWND application) {
  // The system lets only the thread in front hand the foreground on. Joined to that
  // thread's input for the call, this one counts as it; parted at once, so the other
  // program's keyboard state stays its own.
  const DWORD own = GetCurrentThreadId();
  const DWORD foreground = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
  AttachThreadInput(foreground, own, TRUE);
  SetForegroundWindow(application);
  AttachThreadInput(foreground, own, FALSE);
}

void RaiseAboveAll(HWND window) {
  // Made topmost it goes above every window, even where the foreground was refused; made
  // ordinary again at once it stays at the top of the ordinary windows, so later windows
  // of other programs can still come over it.
  SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void BringBackToFront(HWND target) {
  if (!target || !IsWindow(target)) return;
  if (IsIconic(target)) ShowWindow(target, SW_RESTORE);
  // The program was in front until a moment ago, so the system lets it hand the
  // activation on. (Joining thread input here would leave nobody in front when
  // the threads part again.)
  SetForegroundWindow(target);
}

bool IsInFront(HWND target) {
  if (!target || !IsWindow(target)) return false;
  HWND foreground = GetForegroundWindow();
  if (!foreground) return false;
  return foreground == target ||
         GetWindowThreadProcessId(foreground, nullptr) == GetWindowThreadProcessId(target, nullptr);
}

namespace {

// The integrity level of a process (its mandatory label's last sub-authority); -1 when it
// cannot be read.
long IntegrityOf(HANDLE process) {
  HANDLE raw = nullptr;
  if (!OpenProcessToken(process, TOKEN_QUERY, &raw)) return -1;
  const UniqueKernelObject token(raw);
  DWORD size = 0;
  GetTokenInformation(token.get(), TokenIntegrityLevel, nullptr, 0, &size);
  if (size == 0) return -1;
  std::vector<BYTE> buffer(size);
  if (!GetTokenInformation(token.get(), TokenIntegrityLevel, buffer.data(), size, &size)) return -1;
  const auto* label = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(buffer.data());
  const UCHAR count = *GetSidSubAuthorityCount(label->Label.Sid);
  if (count == 0) return -1;
  return static_cast<long>(*GetSidSubAuthority(label->Label.Sid, count - 1u));
}

}  // namespace

bool RunsAbove(HWND target) {
  if (!target || !IsWindow(target)) return false;
  DWORD pid = 0;
  GetWindowThreadProcessId(target, &pid);
  if (pid == GetCurrentProcessId()) return false;
  const long own = IntegrityOf(GetCurrentProcess());
  const UniqueKernelObject process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  // A process this one may not even ask about is above it.
  if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
  const long theirs = IntegrityOf(process.get());
  return theirs < 0 ? own >= 0 : theirs > own;
}

void SendExactCtrlV() {
  // Down for the keyboard now, or for this thread when it read the slot key.
  const auto down = [](int vk) { return GetAsyncKeyState(vk) < 0 || GetKeyState(vk) < 0; };
  std::vector<std::uint8_t> held;
  const int sides[][3] = {
      {VK_SHIFT, VK_LSHIFT, VK_RSHIFT}, {VK_MENU, VK_LMENU, VK_RMENU}, {0, VK_LWIN, VK_RWIN}};
  for (const auto& side : sides) {
    const bool left = down(side[1]), right = down(side[2]);
    if (left || (side[0] && !right && down(side[0])))
      held.push_back(static_cast<std::uint8_t>(side[1]));
    if (right) held.push_back(static_cast<std::uint8_t>(side[2]));
  }
  std::vector<INPUT> inputs;
  for (const TKeyStroke& stroke : ExactCtrlVStrokes(held)) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = stroke.Vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(stroke.Vk, MAPVK_VK_TO_VSC));
    if (stroke.Up) in.ki.dwFlags |= KEYEVENTF_KEYUP;
    if (stroke.Vk == VK_RMENU || stroke.Vk == VK_LWIN || stroke.Vk == VK_RWIN)
      in.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
    inputs.push_back(in);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

}  // namespace qv
