#pragma once
// Where a recall pastes: the window that was in front when the clip window came
// up, brought back in front, and sent exactly Ctrl+V only while it is there. And the
// other way: the clip window brought in front of that window when the hot key asks.

#include <windows.h>

namespace qv {

// The foreground window, or null when that is the clip window itself.
HWND PasteTargetAtShow(HWND clipWindow);
// The program takes the foreground from the window in front, for the clip window the hot
// key brings up (application: the program's application window).
void TakeForeground(HWND application);
// Puts window above every other window of the desktop, without leaving it topmost.
void RaiseAboveAll(HWND window);
// Asks for the window to come back in front; nothing for null or a window that is gone.
void BringBackToFront(HWND target);
// True when the foreground window is target or a window of target's thread.
bool IsInFront(HWND target);
// True when target's process runs with higher rights than this one (an elevated window):
// the system drops the keys this program sends it. A process whose rights cannot even be
// read counts as higher.
bool RunsAbove(HWND target);
// What the user is told when the paste cannot reach such a window.
inline constexpr char kElevatedTargetNotice[] =
    "The window you were working in runs as administrator: press Ctrl+V there.";
// Ctrl+V in one SendInput batch, Shift, Alt and Windows keys still held let up first.
void SendExactCtrlV();

}  // namespace qv
