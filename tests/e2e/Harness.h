#pragma once
// Drives the real qvavad.exe from outside, the way a user and the desktop do:
// a fresh folder per test, the program started from a copy in it, its dialogs
// answered, the clipboard set and read, keys and clicks injected with SendInput,
// and a window of our own that receives what the program pastes.
//
// Every Wait... helper gives up after a timeout and then records a gtest failure
// at the caller's line that says what was awaited and which windows were there;
// it returns an empty value, so a test can ASSERT on it and stop.
//
// Note: EmptyClipboard, ReadFile and WriteFile share their names with Win32
// functions. Tests live in namespace qv::e2e, where ours are found first; inside
// this harness the Win32 ones are always called with "::".

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <source_location>
#include <string>
#include <vector>

namespace qv::e2e {

using Millis = std::chrono::milliseconds;
using Where = std::source_location;

// Long enough for a program start under Wine on a busy machine, short enough
// that a hang fails fast.
inline constexpr Millis kTimeout{5000};

inline constexpr char kExeName[] = "qvavad.exe";
inline constexpr char kMainClass[] = "TForm1";
inline constexpr char kMainCaption[] = "Quorvel Vavad";
// The application title: the exe name up to its first dot, letters after the first in lower case.
inline constexpr char kAppTitle[] = "qvavad";
inline constexpr char kDialogClass[] = "#32770";

// Clipboard formats that ask clipboard tools to leave the content alone.
inline constexpr char kExcludeFromMonitoring[] = "ExcludeClipboardContentFromMonitorProcessing";
inline constexpr char kViewerIgnore[] = "Clipboard Viewer Ignore";
inline constexpr char kCanIncludeInHistory[] = "CanIncludeInClipboardHistory";

// ---------------------------------------------------------------- waiting

// Dispatches every message waiting for the calling thread.
void PumpMessages();
// Keeps the calling thread's windows alive for `duration`.
void PumpFor(Millis duration);
// Polls `done` until it holds or `timeout` passes, pumping messages meanwhile.
// Silent: use it where "did not happen" is a valid outcome.
bool WaitUntil(const std::function<bool()>& done, Millis timeout = kTimeout);
// WaitUntil for assertions: ASSERT_TRUE(Eventually([&] { ... }, "the paste"));
::testing::AssertionResult Eventually(const std::function<bool()>& done, const std::string& what,
                                      Millis timeout = kTimeout);
// Waits for a kernel object, pumping messages meanwhile.
bool WaitForHandle(HANDLE handle, Millis timeout);

// ---------------------------------------------------------------- windows

std::string ErrorText(DWORD error);
// Folder of the running driver exe, with a trailing backslash.
std::string DriverFolder();
std::string WindowText(HWND window);
std::string WindowClass(HWND window);
std::vector<HWND> Children(HWND parent);
std::vector<HWND> TopWindows();
// The clip list: the widest list box of the program's main window (the slot labels beside
// it are narrower).
HWND FindClipList(HWND mainWindow);
// Sends the tray icon's callback message, as the shell does for a click on the icon, to
// every hidden utility window of the program (only the tray's answers).
void TrayNotice(DWORD processId, UINT mouseMessage);
DWORD WindowProcessId(HWND window);
RECT ScreenRect(HWND window);

// An empty className or caption matches any; processId 0 matches any process.
HWND FindTopWindow(const std::string& className, const std::string& caption, DWORD processId = 0);
HWND WaitForTopWindow(const std::string& className, const std::string& caption, DWORD processId = 0,
                      Millis timeout = kTimeout, Where where = Where::current());
// One line per top-level window (all of the process, or the visible ones of
// everybody), for failure messages.
std::string DescribeTopWindows(DWORD processId = 0);
// Makes `window` the foreground window and waits until it is.
bool BringToForeground(HWND window, Millis timeout = kTimeout, Where where = Where::current());

// ---------------------------------------------------------------- dialogs

// A visible top-level dialog (class "#32770") with this caption.
HWND FindDialog(const std::string& caption, DWORD processId = 0);
HWND WaitForDialog(const std::string& caption, Millis timeout = kTimeout, DWORD processId = 0,
                   Where where = Where::current());
// The dialog's static text (the message of a message box) in UTF-8, lines joined with "\n".
std::string DialogText(HWND dialog);
// Button captions as shown, accelerators included ("&Yes").
std::vector<std::string> DialogButtons(HWND dialog);
// Clicks the button whose caption is `buttonText`, exactly or without its
// accelerator marks ("Yes" finds "&Yes").
bool ClickDialogButton(HWND dialog, const std::string& buttonText, Where where = Where::current());
// Waits for the dialog, clicks the button and waits until the dialog is gone.
bool AnswerDialog(const std::string& caption, const std::string& buttonText,
                  Millis timeout = kTimeout, DWORD processId = 0, Where where = Where::current());

// ---------------------------------------------------------------- clipboard
// Each call opens and closes the clipboard, retrying for a moment while
// another program holds it.

struct ClipboardItem {
  UINT format = 0;
  std::string bytes;

  static ClipboardItem Text(const std::string& text);  // CF_TEXT, terminator added
  static ClipboardItem Named(const std::string& formatName, std::string bytes);
  static ClipboardItem NamedDword(const std::string& formatName, DWORD value);
};

UINT RegisteredFormat(const std::string& formatName);
// Replaces the clipboard content with all items at once (one change notice).
bool SetClipboardFormats(const std::vector<ClipboardItem>& items);
bool SetClipboardText(const std::string& text);
bool EmptyClipboard();
// CF_TEXT up to its terminator; nullopt when the clipboard holds no text.
std::optional<std::string> ClipboardText();
// The raw bytes of a format (the whole memory block); nullopt when absent.
std::optional<std::string> ClipboardBytes(UINT format);
std::optional<DWORD> ClipboardDword(const std::string& formatName);
DWORD ClipboardSequence();

// A clipboard viewer of this thread that takes the head of the chain and passes no change
// notice on, as faulty viewers of other programs do (it keeps the chain itself whole).
class SwallowingViewer {
 public:
  SwallowingViewer();
  ~SwallowingViewer();
  SwallowingViewer(const SwallowingViewer&) = delete;
  SwallowingViewer& operator=(const SwallowingViewer&) = delete;
  // Leaves the chain and joins it again: the head once more.
  void Rejoin();
  int Swallowed() const { return swallowed_; }

 private:
  static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
  HWND wnd_ = nullptr;
  HWND next_ = nullptr;
  int swallowed_ = 0;
};

// ---------------------------------------------------------------- input
// Injected with SendInput: the events go to the foreground window, like typing.

// Modifier keys held around a key press; combine with |.
inline constexpr unsigned kNoModifier = 0, kShift = 1, kCtrl = 2, kAlt = 4, kWin = 8;

bool PressKey(WORD vk, unsigned modifiers = kNoModifier);
// Types ANSI text; "\n" (or "\r\n") is the Enter key.
bool TypeKeys(const std::string& text);
bool MoveMouse(int x, int y);  // absolute screen coordinates
bool Click(int x, int y);
bool RightClick(int x, int y);
bool DoubleClick(int x, int y);

// ---------------------------------------------------------------- files

// A fresh folder under %TEMP%, removed with everything in it at the end. Names are UTF-8.
class TestFolder {
 public:
  TestFolder();
  ~TestFolder();
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;

  // Full long path, without a trailing backslash.
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const;
  std::optional<std::string> ReadFile(const std::string& name) const;
  bool WriteFile(const std::string& name, const std::string& bytes) const;
  bool Exists(const std::string& name) const;
  bool Remove(const std::string& name) const;
  bool MakeFolder(const std::string& name) const;

 private:
  std::string path_;
};

// ---------------------------------------------------------------- the program

// A copy of an exe from the driver's folder (qvavad.exe by default) in a test
// folder; its path is UTF-8. It may be started again after it ended. A program
// still running when this object goes is killed, and so is every program the
// driver started if the driver itself dies.
class Program {
 public:
  // into: a folder in the test folder for the copy, made when missing.
  explicit Program(const TestFolder& folder, const std::string& exeName = kExeName,
                   const std::string& into = "");
  // The exe as it already stands at exePath (a second start of the same copy).
  explicit Program(std::string exePath);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  const std::string& ExePath() const { return exePath_; }
  // An empty currentDirectory starts it in its own folder.
  bool Start(const std::string& arguments = "", const std::string& currentDirectory = "",
             Where where = Where::current());
  DWORD ProcessId() const { return processId_; }
  bool IsRunning() const;
  // nullopt while running or before the first start.
  std::optional<DWORD> ExitCode() const;

  HWND WaitForWindow(const std::string& className, const std::string& caption,
                     Millis timeout = kTimeout, Where where = Where::current());
  // The main window ("TForm1", "Quorvel Vavad"), visible or not.
  HWND MainWindow(Millis timeout = kTimeout, Where where = Where::current());
  HWND WaitForDialog(const std::string& caption, Millis timeout = kTimeout,
                     Where where = Where::current());
  bool AnswerDialog(const std::string& caption, const std::string& buttonText,
                    Millis timeout = kTimeout, Where where = Where::current());

  // Posts WM_CLOSE to the main window (or `window`) and waits for the exit;
  // the exit code, or nullopt with a failure recorded.
  std::optional<DWORD> Close(Millis timeout = kTimeout, Where where = Where::current());
  std::optional<DWORD> Close(HWND window, Millis timeout = kTimeout,
                             Where where = Where::current());
  std::optional<DWORD> WaitForExit(Millis timeout = kTimeout, Where where = Where::current());
  void Kill();

 private:
  void Release();

  std::string exePath_;
  HANDLE process_ = nullptr;
  DWORD processId_ = 0;
  HWND mainWindow_ = nullptr;
};

// ---------------------------------------------------------------- console programs

struct ConsoleResult {
  DWORD exitCode = 0;
  std::string out;  // standard output, bytes as written
  std::string err;  // standard error
};
// Runs a console program (an exe in a test folder) to its end with its output captured;
// nullopt, with a failure recorded, when it cannot start or does not end in time. An empty
// currentDirectory runs it in its own folder.
std::optional<ConsoleResult> RunConsole(const std::string& exePath, const std::string& arguments,
                                        const std::string& currentDirectory = "",
                                        Millis timeout = kTimeout, Where where = Where::current());

// ---------------------------------------------------------------- a paste target

// A top-level window of the driver's thread with a multi-line EDIT filling its
// upper part; mouse clicks on the strip below the edit are recorded. Only
// handled while the driver pumps messages (every Wait... helper does).
class TargetWindow {
 public:
  struct MouseEvent {
    UINT message;  // WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_RBUTTONUP...
    POINT client;
  };

  explicit TargetWindow(const std::string& caption = "qv e2e target");
  ~TargetWindow();
  TargetWindow(const TargetWindow&) = delete;
  TargetWindow& operator=(const TargetWindow&) = delete;

  HWND Handle() const { return window_; }
  HWND Edit() const { return edit_; }
  // Foreground window with the keyboard focus in the edit.
  bool BringToFront(Millis timeout = kTimeout, Where where = Where::current());
  std::string Text() const;
  void SetText(const std::string& text);
  // Screen point in the middle of the click strip.
  POINT ClickPoint() const;
  const std::vector<MouseEvent>& MouseEvents() const { return mouse_; }
  void ClearMouseEvents() { mouse_.clear(); }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND window_ = nullptr;
  HWND edit_ = nullptr;
  std::vector<MouseEvent> mouse_;
};

}  // namespace qv::e2e
