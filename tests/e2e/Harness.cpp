#include "tests/e2e/Harness.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>

#include "framework/Handles.h"

namespace qv::e2e {

namespace {

using Clock = std::chrono::steady_clock;

std::string Quote(const std::string& s) { return "\"" + s + "\""; }

// Paths and messages are UTF-8 here, as in the program: a folder's name may hold what the
// ANSI code page cannot.
std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), n, nullptr, nullptr);
  return out;
}

std::string Describe(const std::string& className, const std::string& caption) {
  std::string out = className.empty() ? std::string("a window") : "a " + Quote(className);
  if (!caption.empty()) out += " titled " + Quote(caption);
  return out;
}

void Fail(const Where& where, const std::string& message) {
  ADD_FAILURE_AT(where.file_name(), static_cast<int>(where.line())) << message;
}

std::string StripAccelerators(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;  // "&&" is a literal "&"
    out += text[i];
  }
  return out;
}

// Window enumeration callbacks must be stdcall on 32-bit Windows: a named
// CALLBACK function, not a lambda.
BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
  return TRUE;
}

// Programs are put in a job that ends them when its last handle closes, which
// at the latest is when the driver process ends, however it ends.
HANDLE ProgramJob() {
  static HANDLE job = [] {
    HANDLE h = CreateJobObjectA(nullptr, nullptr);
    if (h) {
      JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
      limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
      SetInformationJobObject(h, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    }
    return h;
  }();
  return job;
}

class ClipboardLock {
 public:
  // Another program (the one under test, or Wine's clipboard bridge) may hold
  // the clipboard for a moment.
  ClipboardLock() {
    const auto end = Clock::now() + Millis(2000);
    while (!(open_ = OpenClipboard(nullptr) != FALSE) && Clock::now() < end) Sleep(10);
  }
  ~ClipboardLock() {
    if (open_) CloseClipboard();
  }
  ClipboardLock(const ClipboardLock&) = delete;
  ClipboardLock& operator=(const ClipboardLock&) = delete;
  explicit operator bool() const { return open_; }

 private:
  bool open_ = false;
};

bool IsExtendedKey(WORD vk) {
  switch (vk) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_INSERT:
    case VK_DELETE:
    case VK_RCONTROL:
    case VK_RMENU:
    case VK_LWIN:
    case VK_RWIN:
    case VK_APPS:
    case VK_DIVIDE:
    case VK_NUMLOCK:
      return true;
    default:
      return false;
  }
}

INPUT Key(WORD vk, bool down) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = (down ? 0 : KEYEVENTF_KEYUP) | (IsExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
  return in;
}

constexpr struct {
  unsigned flag;
  WORD vk;
} kModifierKeys[] = {{kCtrl, VK_CONTROL}, {kAlt, VK_MENU}, {kShift, VK_SHIFT}, {kWin, VK_LWIN}};

void AddPress(std::vector<INPUT>& inputs, WORD vk, unsigned modifiers) {
  for (const auto& m : kModifierKeys)
    if (modifiers & m.flag) inputs.push_back(Key(m.vk, true));
  inputs.push_back(Key(vk, true));
  inputs.push_back(Key(vk, false));
  for (auto m = std::rbegin(kModifierKeys); m != std::rend(kModifierKeys); ++m)
    if (modifiers & m->flag) inputs.push_back(Key(m->vk, false));
}

bool Send(std::vector<INPUT>& inputs) {
  if (inputs.empty()) return true;
  return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

// Absolute coordinates are 0..65535 over the virtual desktop; this rounds up so
// that scaling back down lands exactly on the asked pixel.
INPUT MouseAt(int x, int y) {
  const LONGLONG left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const LONGLONG top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const LONGLONG width = std::max(1, GetSystemMetrics(SM_CXVIRTUALSCREEN));
  const LONGLONG height = std::max(1, GetSystemMetrics(SM_CYVIRTUALSCREEN));
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = static_cast<LONG>(((x - left) * 65536 + width - 1) / width);
  in.mi.dy = static_cast<LONG>(((y - top) * 65536 + height - 1) / height);
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
  return in;
}

INPUT Button(DWORD flag) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flag;
  return in;
}

bool DeleteTree(const std::wstring& path) {
  WIN32_FIND_DATAW found;
  if (const qv::UniqueFind search(FindFirstFileW((path + L"\\*").c_str(), &found)); search) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring full = path + L"\\" + name;
      SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);  // tests make files read-only
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        DeleteTree(full);
      else
        DeleteFileW(full.c_str());
    } while (FindNextFileW(search.get(), &found));
  }
  return RemoveDirectoryW(path.c_str()) != FALSE;
}

}  // namespace

// ---------------------------------------------------------------- waiting

void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // leave it for the loop that wants it
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void PumpFor(Millis duration) {
  const auto end = Clock::now() + duration;
  WaitUntil([&] { return Clock::now() >= end; }, duration + Millis(1000));
}

bool WaitUntil(const std::function<bool()>& done, Millis timeout) {
  const auto end = Clock::now() + timeout;
  for (;;) {
    PumpMessages();
    if (done()) return true;
    if (Clock::now() >= end) return false;
    MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

::testing::AssertionResult Eventually(const std::function<bool()>& done, const std::string& what,
                                      Millis timeout) {
  if (WaitUntil(done, timeout)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "timed out after " << timeout.count() << " ms waiting for " << what;
}

bool WaitForHandle(HANDLE handle, Millis timeout) {
  return WaitUntil([&] { return WaitForSingleObject(handle, 0) == WAIT_OBJECT_0; }, timeout);
}

// ---------------------------------------------------------------- windows

std::string ErrorText(DWORD error) {
  char* buffer = nullptr;
  const DWORD n = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
  std::string text = n ? std::string(buffer, n) : std::string();
  LocalFree(buffer);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
    text.pop_back();
  return "error " + std::to_string(error) + (text.empty() ? "" : " (" + text + ")");
}

std::string DriverFolder() {
  char path[MAX_PATH * 2];
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string s(path, n);
  return s.substr(0, s.find_last_of("\\/") + 1);
}

std::string WindowText(HWND window) {
  // WM_GETTEXT, not GetWindowText: that one does not ask windows of other
  // processes, so it misses what an EDIT holds. The timeout keeps a hung
  // program from hanging the driver.
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length))
    return {};
  std::string text(length + 1, '\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, 2000, &copied))
    return {};
  text.resize(std::min<size_t>(copied, length));
  return text;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> out;
  EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&out));
  return out;
}

std::vector<HWND> TopWindows() {
  std::vector<HWND> out;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&out));
  return out;
}

HWND FindClipList(HWND mainWindow) {
  HWND widest = nullptr;
  int widestWidth = 0;
  for (HWND child : Children(mainWindow)) {
    const RECT r = ScreenRect(child);
    if (_stricmp(WindowClass(child).c_str(), "ListBox") == 0 && r.right - r.left > widestWidth) {
      widest = child;
      widestWidth = r.right - r.left;
    }
  }
  return widest;
}

void TrayNotice(DWORD processId, UINT mouseMessage) {
  for (HWND wnd : TopWindows())
    if (WindowProcessId(wnd) == processId && WindowClass(wnd) == "QvUtilWindow")
      PostMessageA(wnd, 0xB054, 0, mouseMessage);
}

std::string WindowClass(HWND window) {
  char name[256];
  const int n = GetClassNameA(window, name, sizeof name);
  return std::string(name, n > 0 ? n : 0);
}

DWORD WindowProcessId(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid;
}

RECT ScreenRect(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

HWND FindTopWindow(const std::string& className, const std::string& caption, DWORD processId) {
  for (HWND w : TopWindows()) {
    if (processId && WindowProcessId(w) != processId) continue;
    if (!className.empty() && WindowClass(w) != className) continue;
    if (!caption.empty() && WindowText(w) != caption) continue;
    return w;
  }
  return nullptr;
}

HWND WaitForTopWindow(const std::string& className, const std::string& caption, DWORD processId,
                      Millis timeout, Where where) {
  HWND found = nullptr;
  if (WaitUntil([&] { return (found = FindTopWindow(className, caption, processId)); }, timeout))
    return found;
  Fail(where, "timed out after " + std::to_string(timeout.count()) + " ms waiting for " +
                  Describe(className, caption) + "; top-level windows:\n" +
                  DescribeTopWindows(processId));
  return nullptr;
}

std::string DescribeTopWindows(DWORD processId) {
  std::string out;
  for (HWND w : TopWindows()) {
    const DWORD pid = WindowProcessId(w);
    const bool visible = IsWindowVisible(w);
    if (processId ? pid != processId : !visible) continue;
    out += "  " + Quote(WindowClass(w)) + " " + Quote(WindowText(w)) + " process " +
           std::to_string(pid) + (visible ? "" : " (hidden)") + "\n";
    if (WindowClass(w) == kDialogClass) out += "    text: " + Quote(DialogText(w)) + "\n";
  }
  return out.empty() ? "  (none)\n" : out;
}

bool BringToForeground(HWND window, Millis timeout, Where where) {
  auto inFront = [&] { return GetForegroundWindow() == window; };
  if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
  if (!SetForegroundWindow(window) || !WaitUntil(inFront, Millis(300))) {
    // Windows lets the process that received the last input take the
    // foreground; a harmless key release makes that us.
    std::vector<INPUT> nudge{Key(VK_MENU, true), Key(VK_MENU, false)};
    Send(nudge);
    PumpMessages();
    SetForegroundWindow(window);
  }
  if (WaitUntil(inFront, timeout)) return true;
  HWND now = GetForegroundWindow();
  Fail(where, "could not bring " + Describe(WindowClass(window), WindowText(window)) +
                  " to the foreground; it is " +
                  (now ? Describe(WindowClass(now), WindowText(now)) : std::string("nobody's")));
  return false;
}

// ---------------------------------------------------------------- dialogs

HWND FindDialog(const std::string& caption, DWORD processId) {
  for (HWND w : TopWindows()) {
    if (processId && WindowProcessId(w) != processId) continue;
    if (IsWindowVisible(w) && WindowClass(w) == kDialogClass && WindowText(w) == caption) return w;
  }
  return nullptr;
}

HWND WaitForDialog(const std::string& caption, Millis timeout, DWORD processId, Where where) {
  HWND found = nullptr;
  if (WaitUntil([&] { return (found = FindDialog(caption, processId)); }, timeout)) return found;
  Fail(where, "timed out after " + std::to_string(timeout.count()) + " ms waiting for the dialog " +
                  Quote(caption) + "; top-level windows:\n" + DescribeTopWindows(processId));
  return nullptr;
}

namespace {

// WindowText through the wide message, as UTF-8.
std::string WindowTextUtf8(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length))
    return {};
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, 2000, &copied))
    return {};
  text.resize(std::min<size_t>(copied, length));
  return Utf8(text);
}

}  // namespace

std::string DialogText(HWND dialog) {
  std::string out;
  for (HWND child : Children(dialog)) {
    if (GetParent(child) != dialog || _stricmp(WindowClass(child).c_str(), "Static") != 0) continue;
    switch (GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK) {
      case SS_ICON:
      case SS_BITMAP:
      case SS_ENHMETAFILE:
        continue;
    }
    const std::string text = WindowTextUtf8(child);
    if (text.empty()) continue;
    if (!out.empty()) out += "\n";
    out += text;
  }
  return out;
}

std::vector<std::string> DialogButtons(HWND dialog) {
  std::vector<std::string> out;
  for (HWND child : Children(dialog))
    if (_stricmp(WindowClass(child).c_str(), "Button") == 0) out.push_back(WindowText(child));
  return out;
}

bool ClickDialogButton(HWND dialog, const std::string& buttonText, Where where) {
  HWND button = nullptr;
  for (HWND child : Children(dialog)) {
    if (_stricmp(WindowClass(child).c_str(), "Button") != 0) continue;
    const std::string text = WindowText(child);
    if (text == buttonText) {
      button = child;
      break;
    }
    if (!button && StripAccelerators(text) == StripAccelerators(buttonText)) button = child;
  }
  if (!button || !IsWindowEnabled(button)) {
    std::string shown;
    for (const std::string& b : DialogButtons(dialog)) shown += " " + Quote(b);
    Fail(where, "the dialog " + Quote(WindowText(dialog)) + " has no enabled button " +
                    Quote(buttonText) + "; its buttons:" + shown);
    return false;
  }
  // What a click does, without needing the dialog in front: the dialog hears
  // BN_CLICKED from that button.
  const WPARAM command = MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED);
  return PostMessageA(dialog, WM_COMMAND, command, reinterpret_cast<LPARAM>(button)) != FALSE;
}

bool AnswerDialog(const std::string& caption, const std::string& buttonText, Millis timeout,
                  DWORD processId, Where where) {
  HWND dialog = WaitForDialog(caption, timeout, processId, where);
  if (!dialog || !ClickDialogButton(dialog, buttonText, where)) return false;
  if (WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, timeout))
    return true;
  Fail(where,
       "the dialog " + Quote(caption) + " is still open after clicking " + Quote(buttonText));
  return false;
}

// ---------------------------------------------------------------- clipboard

ClipboardItem ClipboardItem::Text(const std::string& text) { return {CF_TEXT, text + '\0'}; }

ClipboardItem ClipboardItem::Named(const std::string& formatName, std::string bytes) {
  return {RegisteredFormat(formatName), std::move(bytes)};
}

ClipboardItem ClipboardItem::NamedDword(const std::string& formatName, DWORD value) {
  return {RegisteredFormat(formatName),
          std::string(reinterpret_cast<const char*>(&value), sizeof value)};
}

UINT RegisteredFormat(const std::string& formatName) {
  return RegisterClipboardFormatA(formatName.c_str());
}

SwallowingViewer::SwallowingViewer() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = &SwallowingViewer::Proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "QvE2eSwallowingViewer";
  RegisterClassA(&wc);
  wnd_ = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                         wc.hInstance, nullptr);
  SetWindowLongPtrA(wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  next_ = SetClipboardViewer(wnd_);
}

SwallowingViewer::~SwallowingViewer() {
  ChangeClipboardChain(wnd_, next_);
  DestroyWindow(wnd_);
}

void SwallowingViewer::Rejoin() {
  ChangeClipboardChain(wnd_, next_);
  next_ = SetClipboardViewer(wnd_);
}

LRESULT CALLBACK SwallowingViewer::Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* me = reinterpret_cast<SwallowingViewer*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
  if (me && msg == WM_DRAWCLIPBOARD) {
    ++me->swallowed_;
    return 0;
  }
  if (me && msg == WM_CHANGECBCHAIN) {
    if (reinterpret_cast<HWND>(wParam) == me->next_)
      me->next_ = reinterpret_cast<HWND>(lParam);
    else if (me->next_)
      SendMessageA(me->next_, msg, wParam, lParam);
    return 0;
  }
  return DefWindowProcA(wnd, msg, wParam, lParam);
}

bool SetClipboardFormats(const std::vector<ClipboardItem>& items) {
  ClipboardLock lock;
  if (!lock || !::EmptyClipboard()) return false;
  for (const ClipboardItem& item : items) {
    // Zero-sized blocks are refused by some systems; a marker format needs no content.
    qv::UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, std::max<size_t>(item.bytes.size(), 1)));
    if (!memory) return false;
    void* p = GlobalLock(memory.get());
    std::memset(p, 0, std::max<size_t>(item.bytes.size(), 1));
    std::memcpy(p, item.bytes.data(), item.bytes.size());
    GlobalUnlock(memory.get());
    if (!SetClipboardData(item.format, memory.get())) return false;
    memory.release();  // the clipboard's now
  }
  return true;
}

bool SetClipboardText(const std::string& text) {
  return SetClipboardFormats({ClipboardItem::Text(text)});
}

bool EmptyClipboard() {
  ClipboardLock lock;
  return lock && ::EmptyClipboard();
}

std::optional<std::string> ClipboardBytes(UINT format) {
  // With a window manager, Wine's bridge to the X clipboard may take the content over for
  // a moment right after a change; a format that is offered but not yet handed over is
  // asked for again.
  const auto end = Clock::now() + Millis(2000);
  for (;;) {
    {
      ClipboardLock lock;
      if (!lock || !IsClipboardFormatAvailable(format)) return std::nullopt;
      if (HANDLE memory = GetClipboardData(format)) {
        const char* p = static_cast<const char*>(GlobalLock(memory));
        if (!p) return std::nullopt;
        std::string bytes(p, GlobalSize(memory));
        GlobalUnlock(memory);
        return bytes;
      }
    }
    if (Clock::now() > end) return std::nullopt;
    Sleep(20);
  }
}

std::optional<std::string> ClipboardText() {
  auto bytes = ClipboardBytes(CF_TEXT);
  if (bytes) bytes->resize(std::strlen(bytes->c_str()));
  return bytes;
}

std::optional<DWORD> ClipboardDword(const std::string& formatName) {
  auto bytes = ClipboardBytes(RegisteredFormat(formatName));
  if (!bytes || bytes->size() < sizeof(DWORD)) return std::nullopt;
  DWORD value;
  std::memcpy(&value, bytes->data(), sizeof value);
  return value;
}

DWORD ClipboardSequence() { return GetClipboardSequenceNumber(); }

// ---------------------------------------------------------------- input

bool PressKey(WORD vk, unsigned modifiers) {
  std::vector<INPUT> inputs;
  AddPress(inputs, vk, modifiers);
  return Send(inputs);
}

bool TypeKeys(const std::string& text) {
  std::vector<INPUT> inputs;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (c == '\n' || c == '\r') {
      AddPress(inputs, VK_RETURN, kNoModifier);
      continue;
    }
    const SHORT scan = VkKeyScanA(c);
    if (scan != -1) {
      const unsigned shifts = HIBYTE(scan);
      AddPress(
          inputs, LOBYTE(scan),
          ((shifts & 1) ? kShift : 0) | ((shifts & 2) ? kCtrl : 0) | ((shifts & 4) ? kAlt : 0));
      continue;
    }
    // No key for it on this keyboard: send the character itself.
    wchar_t wide = 0;
    MultiByteToWideChar(CP_ACP, 0, &c, 1, &wide, 1);
    for (DWORD up : {0UL, static_cast<unsigned long>(KEYEVENTF_KEYUP)}) {
      INPUT in{};
      in.type = INPUT_KEYBOARD;
      in.ki.wScan = wide;
      in.ki.dwFlags = KEYEVENTF_UNICODE | up;
      inputs.push_back(in);
    }
  }
  return Send(inputs);
}

bool MoveMouse(int x, int y) {
  std::vector<INPUT> inputs{MouseAt(x, y)};
  return Send(inputs);
}

bool Click(int x, int y) {
  std::vector<INPUT> inputs{MouseAt(x, y), Button(MOUSEEVENTF_LEFTDOWN),
                            Button(MOUSEEVENTF_LEFTUP)};
  return Send(inputs);
}

bool RightClick(int x, int y) {
  std::vector<INPUT> inputs{MouseAt(x, y), Button(MOUSEEVENTF_RIGHTDOWN),
                            Button(MOUSEEVENTF_RIGHTUP)};
  return Send(inputs);
}

bool DoubleClick(int x, int y) {
  std::vector<INPUT> inputs{MouseAt(x, y), Button(MOUSEEVENTF_LEFTDOWN), Button(MOUSEEVENTF_LEFTUP),
                            Button(MOUSEEVENTF_LEFTDOWN), Button(MOUSEEVENTF_LEFTUP)};
  return Send(inputs);
}

// ---------------------------------------------------------------- files

TestFolder::TestFolder() {
  static std::atomic<unsigned> counter{0};
  char temp[MAX_PATH + 1];
  const DWORD n = GetTempPathA(sizeof temp, temp);
  std::string base(temp, n);
  if (!base.empty() && base.back() == '\\') base.pop_back();
  for (;;) {
    const std::string path = base + "\\qv-e2e-" + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(++counter) + "-" + std::to_string(GetTickCount());
    if (CreateDirectoryA(path.c_str(), nullptr)) {
      // The program sees its own folder through GetModuleFileName; compare
      // like with like, whatever short names %TEMP% used.
      char full[MAX_PATH * 2];
      const DWORD m = GetLongPathNameA(path.c_str(), full, sizeof full);
      path_ = (m > 0 && m < sizeof full) ? std::string(full, m) : path;
      return;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
      ADD_FAILURE() << "cannot create the test folder " << path << ": "
                    << ErrorText(GetLastError());
      path_ = path;
      return;
    }
  }
}

TestFolder::~TestFolder() {
  // A program that has just been killed may still hold its exe for a moment.
  if (!WaitUntil([&] { return DeleteTree(Wide(path_)); }, Millis(3000)))
    ADD_FAILURE() << "cannot remove the test folder " << path_ << ": " << ErrorText(GetLastError());
}

std::string TestFolder::File(const std::string& name) const { return path_ + "\\" + name; }

std::optional<std::string> TestFolder::ReadFile(const std::string& name) const {
  const qv::UniqueFile file(CreateFileW(Wide(File(name)).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) && got > 0)
    bytes.append(buffer, got);
  if (!ok) return std::nullopt;
  return bytes;
}

bool TestFolder::WriteFile(const std::string& name, const std::string& bytes) const {
  HANDLE file = CreateFileW(Wide(File(name)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok =
      ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
      written == bytes.size();
  return CloseHandle(file) && ok;
}

bool TestFolder::Exists(const std::string& name) const {
  return GetFileAttributesW(Wide(File(name)).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool TestFolder::Remove(const std::string& name) const {
  SetFileAttributesW(Wide(File(name)).c_str(), FILE_ATTRIBUTE_NORMAL);
  return DeleteFileW(Wide(File(name)).c_str()) != FALSE;
}

bool TestFolder::MakeFolder(const std::string& name) const {
  return CreateDirectoryW(Wide(File(name)).c_str(), nullptr) != FALSE;
}

// ---------------------------------------------------------------- the program

namespace {

// Wine now and then refuses a start with "Internal error" while it is busy starting
// another process; a moment later the same start goes through.
BOOL CreateProcessRetrying(const std::string& exe, const std::string& commandLine, BOOL inherit,
                           DWORD flags, const std::string& directory, STARTUPINFOW* startup,
                           PROCESS_INFORMATION* info) {
  for (int attempt = 0;; ++attempt) {
    std::wstring line = Wide(commandLine);
    if (CreateProcessW(Wide(exe).c_str(), line.data(), nullptr, nullptr, inherit, flags, nullptr,
                       Wide(directory).c_str(), startup, info))
      return TRUE;
    if (GetLastError() != ERROR_INTERNAL_ERROR || attempt == 4) return FALSE;
    Sleep(200);
  }
}

}  // namespace

Program::Program(const TestFolder& folder, const std::string& exeName, const std::string& into)
    : exePath_(folder.File(into.empty() ? exeName : into + "\\" + exeName)) {
  if (!into.empty()) folder.MakeFolder(into);
  const std::string source = DriverFolder() + exeName;
  if (!CopyFileW(Wide(source).c_str(), Wide(exePath_).c_str(), FALSE))
    ADD_FAILURE() << "cannot copy " << source << " to " << exePath_ << ": "
                  << ErrorText(GetLastError());
}

Program::Program(std::string exePath) : exePath_(std::move(exePath)) {}

Program::~Program() {
  if (IsRunning()) Kill();
  Release();
}

void Program::Release() {
  if (process_) CloseHandle(process_);
  process_ = nullptr;
  processId_ = 0;
  mainWindow_ = nullptr;
}

bool Program::Start(const std::string& arguments, const std::string& currentDirectory,
                    Where where) {
  if (IsRunning()) {
    Fail(where, exePath_ + " is already running");
    return false;
  }
  Release();
  std::string commandLine = Quote(exePath_) + (arguments.empty() ? "" : " " + arguments);
  const std::string folder = exePath_.substr(0, exePath_.find_last_of('\\'));
  const std::string& directory = currentDirectory.empty() ? folder : currentDirectory;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  // Suspended until it is in the job, so not even its first instant escapes it.
  // No console: a console child would write into the driver's output.
  if (!CreateProcessRetrying(exePath_, commandLine, FALSE, CREATE_SUSPENDED | CREATE_NO_WINDOW,
                             directory, &startup, &info)) {
    Fail(where,
         "cannot start " + commandLine + " in " + directory + ": " + ErrorText(GetLastError()));
    return false;
  }
  if (HANDLE job = ProgramJob()) AssignProcessToJobObject(job, info.hProcess);
  ResumeThread(info.hThread);
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  processId_ = info.dwProcessId;
  return true;
}

bool Program::IsRunning() const {
  return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> Program::ExitCode() const {
  DWORD code = 0;
  if (!process_ || IsRunning() || !GetExitCodeProcess(process_, &code)) return std::nullopt;
  return code;
}

HWND Program::WaitForWindow(const std::string& className, const std::string& caption,
                            Millis timeout, Where where) {
  if (!process_) {
    Fail(where, exePath_ + " was not started");
    return nullptr;
  }
  HWND found = nullptr;
  auto done = [&] {
    found = FindTopWindow(className, caption, processId_);
    return found || !IsRunning();
  };
  if (WaitUntil(done, timeout) && found) return found;
  const auto code = ExitCode();
  Fail(where, code ? "the program ended with exit code " + std::to_string(*code) +
                         " while waiting for " + Describe(className, caption)
                   : "timed out after " + std::to_string(timeout.count()) + " ms waiting for " +
                         Describe(className, caption) + "; the program's windows:\n" +
                         DescribeTopWindows(processId_));
  return nullptr;
}

HWND Program::MainWindow(Millis timeout, Where where) {
  if (!mainWindow_ || !IsWindow(mainWindow_))
    mainWindow_ = WaitForWindow(kMainClass, kMainCaption, timeout, where);
  return mainWindow_;
}

HWND Program::WaitForDialog(const std::string& caption, Millis timeout, Where where) {
  if (!process_) {
    Fail(where, exePath_ + " was not started");
    return nullptr;
  }
  return e2e::WaitForDialog(caption, timeout, processId_, where);
}

bool Program::AnswerDialog(const std::string& caption, const std::string& buttonText,
                           Millis timeout, Where where) {
  if (!process_) {
    Fail(where, exePath_ + " was not started");
    return false;
  }
  return e2e::AnswerDialog(caption, buttonText, timeout, processId_, where);
}

std::optional<DWORD> Program::Close(Millis timeout, Where where) {
  HWND window = MainWindow(timeout, where);
  if (!window) return std::nullopt;
  return Close(window, timeout, where);
}

std::optional<DWORD> Program::Close(HWND window, Millis timeout, Where where) {
  if (!PostMessageA(window, WM_CLOSE, 0, 0)) {
    Fail(where, "cannot post WM_CLOSE: " + ErrorText(GetLastError()));
    return std::nullopt;
  }
  return WaitForExit(timeout, where);
}

std::optional<DWORD> Program::WaitForExit(Millis timeout, Where where) {
  if (!process_) {
    Fail(where, exePath_ + " was not started");
    return std::nullopt;
  }
  if (WaitForHandle(process_, timeout)) return ExitCode();
  Fail(where, "the program is still running after " + std::to_string(timeout.count()) +
                  " ms; its windows:\n" + DescribeTopWindows(processId_));
  return std::nullopt;
}

void Program::Kill() {
  if (!IsRunning()) return;
  TerminateProcess(process_, 0xDEAD);
  WaitForSingleObject(process_, 5000);
}

// ---------------------------------------------------------------- console programs

namespace {

// The read end of a pipe whose write end a child inherits.
struct OutputPipe {
  HANDLE read = nullptr;
  HANDLE write = nullptr;
  std::string bytes;
  std::thread reader;

  bool Open() {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    if (!CreatePipe(&read, &write, &inherit, 0)) return false;
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    return true;
  }
  // Drains the pipe on a thread of its own, so that a child filling one pipe never
  // waits on a reader busy with the other.
  void StartReading() {
    reader = std::thread([this] {
      char chunk[65536];
      DWORD got = 0;
      while (::ReadFile(read, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    });
  }
  void CloseWrite() {
    if (write) CloseHandle(write);
    write = nullptr;
  }
  ~OutputPipe() {
    CloseWrite();
    if (reader.joinable()) reader.join();
    if (read) CloseHandle(read);
  }
};

}  // namespace

std::optional<ConsoleResult> RunConsole(const std::string& exePath, const std::string& arguments,
                                        const std::string& currentDirectory, Millis timeout,
                                        Where where) {
  OutputPipe out, err;
  if (!out.Open() || !err.Open()) {
    Fail(where, "cannot make pipes: " + ErrorText(GetLastError()));
    return std::nullopt;
  }
  std::string commandLine = Quote(exePath) + (arguments.empty() ? "" : " " + arguments);
  const std::string folder = exePath.substr(0, exePath.find_last_of('\\'));
  const std::string& directory = currentDirectory.empty() ? folder : currentDirectory;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullptr;
  startup.hStdOutput = out.write;
  startup.hStdError = err.write;
  PROCESS_INFORMATION info{};
  if (!CreateProcessRetrying(exePath, commandLine, TRUE, CREATE_SUSPENDED | CREATE_NO_WINDOW,
                             directory, &startup, &info)) {
    Fail(where, "cannot start " + commandLine + " in " + directory + ": " + ErrorText(GetLastError()));
    return std::nullopt;
  }
  if (HANDLE job = ProgramJob()) AssignProcessToJobObject(job, info.hProcess);
  ResumeThread(info.hThread);
  CloseHandle(info.hThread);
  // Only the child holds the write ends now: the readers end when it does.
  out.CloseWrite();
  err.CloseWrite();
  out.StartReading();
  err.StartReading();
  ConsoleResult result;
  const bool ended = WaitForHandle(info.hProcess, timeout);
  if (!ended) TerminateProcess(info.hProcess, 0xDEAD);
  GetExitCodeProcess(info.hProcess, &result.exitCode);
  CloseHandle(info.hProcess);
  out.reader.join();
  err.reader.join();
  if (!ended) {
    Fail(where, commandLine + " did not end within " + std::to_string(timeout.count()) + " ms");
    return std::nullopt;
  }
  result.out = std::move(out.bytes);
  result.err = std::move(err.bytes);
  return result;
}

// ---------------------------------------------------------------- a paste target

namespace {
constexpr char kTargetClass[] = "QvE2eTarget";
constexpr int kStripHeight = 60;
}  // namespace

TargetWindow::TargetWindow(const std::string& caption) {
  static const ATOM registered = [] {
    WNDCLASSA wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &TargetWindow::Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kTargetClass;
    return RegisterClassA(&wc);
  }();
  if (!registered) {
    ADD_FAILURE() << "cannot register the target window class: " << ErrorText(GetLastError());
    return;
  }
  window_ = CreateWindowExA(0, kTargetClass, caption.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100,
                            100, 480, 320, nullptr, nullptr, GetModuleHandleA(nullptr), this);
  if (!window_) {
    ADD_FAILURE() << "cannot create the target window: " << ErrorText(GetLastError());
    return;
  }
  RECT client;
  GetClientRect(window_, &client);
  edit_ = CreateWindowExA(
      WS_EX_CLIENTEDGE, "EDIT", "",
      WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, 0, 0,
      client.right, client.bottom - kStripHeight, window_, nullptr, GetModuleHandleA(nullptr),
      nullptr);
  PumpMessages();
}

TargetWindow::~TargetWindow() {
  if (window_) DestroyWindow(window_);
  PumpMessages();
}

LRESULT CALLBACK TargetWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self =
        static_cast<TargetWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TargetWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  switch (message) {
    case WM_SETFOCUS:
      if (self && self->edit_) SetFocus(self->edit_);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      if (self) {
        self->mouse_.push_back(
            {message, {static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))}});
      }
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

bool TargetWindow::BringToFront(Millis timeout, Where where) {
  if (!window_ || !BringToForeground(window_, timeout, where)) return false;
  SetFocus(edit_);
  if (WaitUntil([&] { return GetFocus() == edit_; }, timeout)) return true;
  Fail(where, "the target window is in front but its edit has no keyboard focus");
  return false;
}

std::string TargetWindow::Text() const { return WindowText(edit_); }

void TargetWindow::SetText(const std::string& text) { SetWindowTextA(edit_, text.c_str()); }

POINT TargetWindow::ClickPoint() const {
  RECT client;
  GetClientRect(window_, &client);
  POINT p{client.right / 2, client.bottom - kStripHeight / 2};
  ClientToScreen(window_, &p);
  return p;
}

}  // namespace qv::e2e
