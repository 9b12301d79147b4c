// Proves the end-to-end harness itself against the real (Wine) desktop, so that
// a failing scenario points at the program and not at the harness.

#include <gtest/gtest-spi.h>

#include <atomic>
#include <thread>

#include "tests/e2e/Harness.h"

namespace qv::e2e {
namespace {

// ---------------------------------------------------------------- a child program
// The driver exe doubles as a stand-in program when started with --qv-child=MODE:
// it notes its current directory in child.txt beside itself, shows a window of
// class "QvE2eChild" and ends with exit code 7 when that window is closed, or
// ignores WM_CLOSE in mode "stubborn".

constexpr char kChildClass[] = "QvE2eChild";
constexpr DWORD kChildExitCode = 7;

std::string ChildMode() {
  const std::string commandLine = GetCommandLineA();
  const std::string flag = "--qv-child=";
  const size_t at = commandLine.find(flag);
  if (at == std::string::npos) return {};
  const size_t start = at + flag.size();
  return commandLine.substr(start, commandLine.find(' ', start) - start);
}

std::string ChildArguments(const std::string& mode) {
  return "--gtest_also_run_disabled_tests --gtest_filter=HarnessChild.DISABLED_Main --qv-child=" +
         mode;
}

LRESULT CALLBACK ChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  static const bool stubborn = ChildMode() == "stubborn";
  if (message == WM_CLOSE && stubborn) return 0;
  if (message == WM_DESTROY) PostQuitMessage(static_cast<int>(kChildExitCode));
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST(HarnessChild, DISABLED_Main) {
  if (ChildMode().empty()) GTEST_SKIP() << "only run as a child program";
  char directory[MAX_PATH];
  const DWORD n = GetCurrentDirectoryA(sizeof directory, directory);
  const std::string exe = DriverFolder();
  HANDLE file = CreateFileA((exe + "child.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  // Unchecked here: the parent reads the file back, and a write that failed shows there.
  (void)WriteFile(file, directory, n, &written, nullptr);
  CloseHandle(file);

  WNDCLASSA wc{};
  wc.lpfnWndProc = ChildProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kChildClass;
  RegisterClassA(&wc);
  CreateWindowExA(0, kChildClass, "qv e2e child", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                  nullptr, wc.hInstance, nullptr);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  ExitProcess(static_cast<UINT>(msg.wParam));
}

std::string DriverExeName() {
  char path[MAX_PATH * 2];
  const std::string full(path, GetModuleFileNameA(nullptr, path, sizeof path));
  return full.substr(full.find_last_of('\\') + 1);
}

// ---------------------------------------------------------------- a dialog of our own

// MessageBoxA on its own thread, as another program would show it. Whatever
// the test does, the box is gone and the thread joined at the end.
BOOL CALLBACK DismissBox(HWND window, LPARAM) {
  for (WPARAM id : {IDCANCEL, IDNO, IDOK}) PostMessageA(window, WM_COMMAND, id, 0);
  return TRUE;
}

class ThreadedMessageBox {
 public:
  ThreadedMessageBox(std::string text, std::string caption, UINT type)
      : thread_([this, text = std::move(text), caption = std::move(caption), type] {
          threadId_ = GetCurrentThreadId();
          result_ = MessageBoxA(nullptr, text.c_str(), caption.c_str(), type);
        }) {}
  ~ThreadedMessageBox() {
    // Dismiss a box the test left open: any of its buttons ends it.
    WaitUntil(
        [&] {
          if (result_ != 0) return true;
          EnumThreadWindows(threadId_, DismissBox, 0);
          return false;
        },
        Millis(3000));
    if (result_ != 0)
      thread_.join();
    else
      thread_.detach();
  }
  int Result() const { return result_; }
  bool Ended(Millis timeout = kTimeout) {
    return WaitUntil([&] { return result_ != 0; }, timeout);
  }

 private:
  std::atomic<int> result_{0};
  std::atomic<DWORD> threadId_{0};
  std::thread thread_;
};

// ---------------------------------------------------------------- folders

TEST(TestFolderTest, IsFreshUnderTempAndGoesWithItsContent) {
  std::string path;
  {
    TestFolder folder;
    TestFolder other;
    path = folder.Path();
    EXPECT_NE(folder.Path(), other.Path());
    char temp[MAX_PATH + 1];
    char longTemp[MAX_PATH * 2];
    GetLongPathNameA(std::string(temp, GetTempPathA(sizeof temp, temp)).c_str(), longTemp,
                     sizeof longTemp);
    EXPECT_EQ(path.rfind(longTemp, 0), 0u) << path << " is not under " << longTemp;
    EXPECT_NE(path.back(), '\\');
    EXPECT_EQ(folder.File("Lb1.qvl"), path + "\\Lb1.qvl");

    // Bytes come back exactly: CR LF, a NUL, high ANSI characters.
    const std::string bytes = std::string("one\r\ntwo\0three\xe9\xff", 16);
    EXPECT_FALSE(folder.ReadFile("a.qvl"));
    EXPECT_FALSE(folder.Exists("a.qvl"));
    ASSERT_TRUE(folder.WriteFile("a.qvl", bytes));
    EXPECT_TRUE(folder.Exists("a.qvl"));
    EXPECT_EQ(folder.ReadFile("a.qvl"), bytes);
    ASSERT_TRUE(folder.WriteFile("a.qvl", ""));
    EXPECT_EQ(folder.ReadFile("a.qvl"), "");
    EXPECT_TRUE(folder.Remove("a.qvl"));
    EXPECT_FALSE(folder.Exists("a.qvl"));

    // What tests leave behind must not stop the clean-up: a read-only file
    // (to make saving fail) and a sub-folder with content.
    ASSERT_TRUE(folder.WriteFile("locked.qvl", "x"));
    SetFileAttributesA(folder.File("locked.qvl").c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(CreateDirectoryA(folder.File("sub").c_str(), nullptr));
    ASSERT_TRUE(folder.WriteFile("sub\\inner.txt", "x"));
  }
  EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES) << path << " still exists";
}

// ---------------------------------------------------------------- clipboard

TEST(ClipboardTest, TextRoundTripsAndEmptying) {
  const std::string text = "first line\r\nsecond line \xe4\xf6\xfc \t end";
  const DWORD before = ClipboardSequence();
  ASSERT_TRUE(SetClipboardText(text));
  EXPECT_NE(ClipboardSequence(), before);
  EXPECT_EQ(ClipboardText(), text);

  ASSERT_TRUE(SetClipboardText(""));
  EXPECT_EQ(ClipboardText(), "");

  ASSERT_TRUE(EmptyClipboard());
  EXPECT_EQ(ClipboardText(), std::nullopt);
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
}

TEST(ClipboardTest, ExtraFormatsArriveWithTheirValues) {
  ASSERT_TRUE(SetClipboardFormats({ClipboardItem::Text("secret"),
                                   ClipboardItem::NamedDword(kCanIncludeInHistory, 0),
                                   ClipboardItem::Named(kExcludeFromMonitoring, ""),
                                   ClipboardItem::Named(kViewerIgnore, "x")}));
  EXPECT_EQ(ClipboardText(), "secret");
  EXPECT_EQ(ClipboardDword(kCanIncludeInHistory), 0u);
  EXPECT_TRUE(IsClipboardFormatAvailable(RegisteredFormat(kExcludeFromMonitoring)));
  ASSERT_TRUE(ClipboardBytes(RegisteredFormat(kViewerIgnore)));
  EXPECT_EQ(ClipboardBytes(RegisteredFormat(kViewerIgnore))->front(), 'x');

  // The next content replaces all of them.
  ASSERT_TRUE(SetClipboardFormats({ClipboardItem::NamedDword(kCanIncludeInHistory, 1)}));
  EXPECT_EQ(ClipboardDword(kCanIncludeInHistory), 1u);
  EXPECT_EQ(ClipboardText(), std::nullopt);
  EXPECT_FALSE(IsClipboardFormatAvailable(RegisteredFormat(kExcludeFromMonitoring)));
}

TEST(ClipboardTest, WaitsWhileAnotherHolderHasItOpen) {
  std::atomic<bool> held{false};
  std::thread holder([&] {
    if (!OpenClipboard(nullptr)) return;
    held = true;
    Sleep(300);
    CloseClipboard();
  });
  ASSERT_TRUE(WaitUntil([&] { return held.load(); }, Millis(2000)));
  EXPECT_TRUE(SetClipboardText("after the wait"));
  holder.join();
  EXPECT_EQ(ClipboardText(), "after the wait");
}

// ---------------------------------------------------------------- dialogs

TEST(DialogTest, FindsAMessageBoxReadsItAndAnswersByButtonText) {
  for (const auto& [button, expected] : {std::pair{"Yes", IDYES}, std::pair{"&No", IDNO}}) {
    SCOPED_TRACE(button);
    ThreadedMessageBox box("Proceed with the check?\nSecond line.", "Harness Confirm",
                           MB_YESNO | MB_ICONQUESTION);
    HWND dialog = WaitForDialog("Harness Confirm", kTimeout, GetCurrentProcessId());
    ASSERT_TRUE(dialog);
    EXPECT_EQ(DialogText(dialog), "Proceed with the check?\nSecond line.");
    const auto buttons = DialogButtons(dialog);
    EXPECT_NE(std::find(buttons.begin(), buttons.end(), "&Yes"), buttons.end());
    EXPECT_NE(std::find(buttons.begin(), buttons.end(), "&No"), buttons.end());

    ASSERT_TRUE(AnswerDialog("Harness Confirm", button));
    ASSERT_TRUE(box.Ended());
    EXPECT_EQ(box.Result(), expected);
    EXPECT_FALSE(FindDialog("Harness Confirm"));
  }
}

TEST(DialogTest, FailuresSayWhatWasAwaitedAndWhatIsThere) {
  EXPECT_NONFATAL_FAILURE(WaitForDialog("No Such Dialog", Millis(100)),
                          "waiting for the dialog \"No Such Dialog\"");
  EXPECT_NONFATAL_FAILURE(WaitForTopWindow("NoSuchClass", "", 0, Millis(100)), "\"NoSuchClass\"");

  ThreadedMessageBox box("Just OK.", "Harness Info", MB_OK);
  ASSERT_TRUE(WaitForDialog("Harness Info"));
  // The message lists the buttons there are, accelerators and all.
  EXPECT_NONFATAL_FAILURE(AnswerDialog("Harness Info", "Cancel"), "its buttons: \"OK\"");
  EXPECT_TRUE(AnswerDialog("Harness Info", "OK"));
  EXPECT_TRUE(box.Ended());
  EXPECT_EQ(box.Result(), IDOK);
}

// ---------------------------------------------------------------- input

TEST(InputTest, KeysReachTheForegroundTargetWindow) {
  TargetWindow target;
  ASSERT_TRUE(target.BringToFront());

  ASSERT_TRUE(TypeKeys("Hello, Wine: 42 (ok)!\nNext"));
  EXPECT_TRUE(Eventually([&] { return target.Text() == "Hello, Wine: 42 (ok)!\r\nNext"; },
                         "the typed text"))
      << "got " << target.Text();

  // Modifiers and extended keys: Shift+Home selects the line, typing replaces
  // it; Ctrl+V pastes, as the program's paste will.
  ASSERT_TRUE(PressKey(VK_HOME, kShift));
  ASSERT_TRUE(TypeKeys("x"));
  EXPECT_TRUE(Eventually([&] { return target.Text() == "Hello, Wine: 42 (ok)!\r\nx"; },
                         "the replaced line"))
      << "got " << target.Text();
  target.SetText("");
  ASSERT_TRUE(SetClipboardText("pasted\r\ntext"));
  ASSERT_TRUE(PressKey('V', kCtrl));
  EXPECT_TRUE(Eventually([&] { return target.Text() == "pasted\r\ntext"; }, "the paste"))
      << "got " << target.Text();
}

TEST(InputTest, ClicksLandOnTheAskedScreenPoint) {
  TargetWindow target;
  ASSERT_TRUE(target.BringToFront());
  const POINT at = target.ClickPoint();
  POINT client = at;
  ScreenToClient(target.Handle(), &client);
  auto seen = [&](UINT message) {
    for (const auto& e : target.MouseEvents())
      if (e.message == message && e.client.x == client.x && e.client.y == client.y) return true;
    return false;
  };

  ASSERT_TRUE(Click(at.x, at.y));
  EXPECT_TRUE(Eventually([&] { return seen(WM_LBUTTONUP); }, "the click"));
  POINT cursor;
  GetCursorPos(&cursor);
  EXPECT_EQ(cursor.x, at.x);
  EXPECT_EQ(cursor.y, at.y);

  ASSERT_TRUE(RightClick(at.x, at.y));
  EXPECT_TRUE(Eventually([&] { return seen(WM_RBUTTONUP); }, "the right click"));

  target.ClearMouseEvents();
  PumpFor(Millis(600));  // so the next click does not pair with the last one
  ASSERT_TRUE(DoubleClick(at.x, at.y));
  EXPECT_TRUE(Eventually([&] { return seen(WM_LBUTTONDBLCLK); }, "the double click"));
}

// ---------------------------------------------------------------- starting programs

TEST(ProgramTest, StartsInItsFolderOrAnotherAndReportsTheExitCodeOfAClose) {
  TestFolder folder;
  TestFolder elsewhere;
  Program child(folder, DriverExeName());
  EXPECT_FALSE(child.ExitCode());

  ASSERT_TRUE(child.Start(ChildArguments("window")));
  HWND window = child.WaitForWindow(kChildClass, "qv e2e child");
  ASSERT_TRUE(window);
  EXPECT_TRUE(child.IsRunning());
  EXPECT_EQ(WindowProcessId(window), child.ProcessId());
  EXPECT_EQ(folder.ReadFile("child.txt"), folder.Path());
  EXPECT_EQ(child.Close(window), kChildExitCode);
  EXPECT_FALSE(child.IsRunning());
  EXPECT_EQ(child.ExitCode(), kChildExitCode);

  // Started again, from another current directory.
  ASSERT_TRUE(child.Start(ChildArguments("window"), elsewhere.Path()));
  window = child.WaitForWindow(kChildClass, "qv e2e child");
  ASSERT_TRUE(window);
  EXPECT_EQ(folder.ReadFile("child.txt"), elsewhere.Path());
  EXPECT_EQ(child.Close(window), kChildExitCode);
}

TEST(ProgramTest, AProgramThatWillNotCloseIsKilledAtTheEnd) {
  TestFolder folder;
  HANDLE watch = nullptr;
  {
    Program child(folder, DriverExeName());
    ASSERT_TRUE(child.Start(ChildArguments("stubborn")));
    HWND window = child.WaitForWindow(kChildClass, "qv e2e child");
    ASSERT_TRUE(window);
    watch = OpenProcess(SYNCHRONIZE, FALSE, child.ProcessId());
    ASSERT_TRUE(watch);
    EXPECT_NONFATAL_FAILURE(child.Close(window, Millis(300)), "still running after 300 ms");
    EXPECT_TRUE(child.IsRunning());
    EXPECT_NONFATAL_FAILURE(child.WaitForWindow("NoSuchClass", "", Millis(100)),
                            "\"QvE2eChild\" \"qv e2e child\"");
  }
  EXPECT_EQ(WaitForSingleObject(watch, 0), WAIT_OBJECT_0) << "the child outlived its Program";
  CloseHandle(watch);
}

// ---------------------------------------------------------------- qvavad.exe

// The first thing qvavad.exe shows: the placeholder's box, or the real program's
// start-up error box or main window.
}  // namespace
}  // namespace qv::e2e
