// The real qvavad.exe, started in a folder of its own and driven from outside:
// its clip files, what it records from the clipboard, and how it ends.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/e2e/Harness.h"

namespace qv::e2e {
namespace {

const std::string kMarker = std::string(70, ' ') + "/:hdr:\\";

// Enumeration callbacks are stdcall on 32-bit Windows, so they are named functions.
BOOL CALLBACK CollectWindow(HWND window, LPARAM data) {
  reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
  return TRUE;
}

std::string ClassOf(HWND window) {
  char cls[32] = {0};
  GetClassNameA(window, cls, sizeof cls);
  return cls;
}

// The clip list: the LISTBOX child of the main window 233 pixels wide.
HWND FindClipList(HWND mainWindow) {
  std::vector<HWND> children;
  EnumChildWindows(mainWindow, CollectWindow, reinterpret_cast<LPARAM>(&children));
  for (HWND child : children) {
    RECT r;
    GetWindowRect(child, &r);
    if (lstrcmpiA(ClassOf(child).c_str(), "ListBox") == 0 && r.right - r.left == 233) return child;
  }
  return nullptr;
}

// Sends the tray icon's callback message, as the shell does for a click on the
// icon, to every hidden utility window of the program (only the tray's answers).
void TrayNotice(DWORD processId, UINT mouseMessage) {
  std::vector<HWND> windows;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
  for (HWND wnd : windows)
    if (WindowProcessId(wnd) == processId && ClassOf(wnd) == "QvUtilWindow")
      PostMessageA(wnd, 0xB054, 0, mouseMessage);
}

HWND FindPopupMenu(DWORD processId) {
  HWND found = nullptr;
  WaitUntil([&] {
    found = FindTopWindow("#32768", "", processId);
    return found && IsWindowVisible(found);
  });
  return found;
}

// Opens the tray menu and picks the item that many places down.
void PickTrayMenuItem(Program& program, int position) {
  TrayNotice(program.ProcessId(), WM_RBUTTONDOWN);
  TrayNotice(program.ProcessId(), WM_RBUTTONUP);
  ASSERT_TRUE(FindPopupMenu(program.ProcessId())) << DescribeTopWindows();
  for (int i = 0; i < position; ++i) ASSERT_TRUE(PressKey(VK_DOWN));
  ASSERT_TRUE(PressKey(VK_RETURN));
}

class ClipHistory : public ::testing::Test {
 protected:
  // Starts the program from another current folder: its files must still be
  // the ones beside the exe.
  void StartWithFiles(const std::string& list, const std::string& store) {
    ASSERT_TRUE(folder.WriteFile("Lb1.qvl", list));
    ASSERT_TRUE(folder.WriteFile("vqclips.qvl", store));
    ASSERT_TRUE(EmptyClipboard());
    ASSERT_TRUE(program.Start("", elsewhere.Path()));
    main = program.MainWindow();
    ASSERT_TRUE(main);
    clipList = FindClipList(main);
    ASSERT_TRUE(clipList);
    // The window exists before its files are loaded; the list then fills.
    const int expected = static_cast<int>(std::count(list.begin(), list.end(), '\n'));
    ASSERT_TRUE(Eventually([&] { return ClipCount() == expected; }, "the loaded list", kTimeout));
  }
  // The first activation hands the hot key over to the settings' choice and hides
  // the window; seen from outside, the program then holds that key.
  void WaitForFirstActivation(UINT modifiers, UINT vk) {
    ASSERT_TRUE(Eventually(
        [&] {
          if (RegisterHotKey(nullptr, 0x5151, modifiers, vk)) {
            UnregisterHotKey(nullptr, 0x5151);
            return false;
          }
          return true;
        },
        "the program to take its hot key", kTimeout));
    ASSERT_TRUE(Eventually([&] { return !IsWindowVisible(main); }, "the window to hide", kTimeout));
  }
  int ClipCount() { return static_cast<int>(SendMessageA(clipList, LB_GETCOUNT, 0, 0)); }
  // Copies a text and waits until it is in the list.
  void CopyAndWait(const std::string& text) {
    const int before = ClipCount();
    ASSERT_TRUE(SetClipboardText(text));
    ASSERT_TRUE(Eventually([&] { return ClipCount() == before + 1; }, "the clip '" + text + "'",
                           kTimeout));
  }
  std::string ListFile() { return folder.ReadFile("Lb1.qvl").value_or("<missing>"); }
  std::string StoreFile() { return folder.ReadFile("vqclips.qvl").value_or("<missing>"); }

  TestFolder folder;
  TestFolder elsewhere;
  Program program{folder};
  HWND main = nullptr;
  HWND clipList = nullptr;
};

TEST_F(ClipHistory, FirstRunReportsTheMissingListAndQuitLeavesEmptyFilesBesideTheExe) {
  ASSERT_TRUE(EmptyClipboard());
  ASSERT_TRUE(program.Start("", elsewhere.Path()));
  HWND error = program.WaitForDialog(kAppTitle);
  ASSERT_TRUE(error);
  EXPECT_EQ(DialogText(error), "Cannot open file " + folder.File("Lb1.qvl"));
  ASSERT_TRUE(program.AnswerDialog(kAppTitle, "OK"));
  HWND mainWindow = program.MainWindow();
  ASSERT_TRUE(mainWindow);
  EXPECT_EQ(program.Close(), 0u);
  EXPECT_EQ(folder.ReadFile("Lb1.qvl"), std::string());
  EXPECT_EQ(folder.ReadFile("vqclips.qvl"), std::string());
  EXPECT_FALSE(elsewhere.Exists("Lb1.qvl"));
  EXPECT_FALSE(elsewhere.Exists("vqclips.qvl"));
}

TEST_F(ClipHistory, FilesAreWrittenBackUnchangedByteForByte) {
  const std::string list = "older" + kMarker + "0000200000002\r\n" + "oldest" + kMarker +
                           "0000100000001\r\n" + "a line without a marker\r\n";
  const std::string store =
      "/:hdr:\\0000200000002\r\nolder\r\n/:tlr:\\0000200000002\r\n"
      "/:hdr:\\0000100000001\r\noldest\r\n\r\n/:tlr:\\0000100000001\r\n";
  StartWithFiles(list, store);
  EXPECT_EQ(program.Close(), 0u);
  EXPECT_EQ(ListFile(), list);
  EXPECT_EQ(StoreFile(), store);
}

TEST_F(ClipHistory, CopiedTextsBecomeClipsNewestFirst) {
  StartWithFiles("", "");
  CopyAndWait("alpha");
  CopyAndWait("beta\r\ngamma");
  // A repeat of the last text and a private text are both seen and not kept.
  ASSERT_TRUE(SetClipboardText("beta\r\ngamma"));
  ASSERT_TRUE(SetClipboardFormats({ClipboardItem::Text("hunter2"),
                                   ClipboardItem::NamedDword(kExcludeFromMonitoring, 1)}));
  CopyAndWait("alpha");
  EXPECT_EQ(ClipCount(), 3);
  EXPECT_EQ(program.Close(), 0u);

  const std::string list = ListFile();
  const std::string store = StoreFile();
  EXPECT_EQ(store.find("hunter2"), std::string::npos);
  // Newest first: alpha, beta..., alpha.
  ASSERT_EQ(list.size(), 3 * 2 + (5 + 77 + 13) + (7 + 77 + 13) + (5 + 77 + 13));
  EXPECT_EQ(list.substr(0, 5 + 77), "alpha" + kMarker);
  EXPECT_EQ(list.substr(97, 7 + 77), "beta..." + kMarker);
  const std::string id = list.substr(82, 13);
  EXPECT_EQ(store.substr(0, 20 + 2 + 5 + 2 + 20 + 2),
            "/:hdr:\\" + id + "\r\nalpha\r\n/:tlr:\\" + id + "\r\n");
  EXPECT_NE(store.find("\r\nbeta\r\ngamma\r\n"), std::string::npos);
}

TEST_F(ClipHistory, TheHotKeyAndASlotKeyPasteAClipIntoTheWindowThatWasInFront) {
  const std::string list = "newest" + kMarker + "0000300000003\r\n" + "middle" + kMarker +
                           "0000200000002\r\n" + "oldest" + kMarker + "0000100000001\r\n";
  const std::string store =
      "/:hdr:\\0000300000003\r\nnewest\r\n/:tlr:\\0000300000003\r\n"
      "/:hdr:\\0000200000002\r\nmiddle clip\r\nsecond line\r\n/:tlr:\\0000200000002\r\n"
      "/:hdr:\\0000100000001\r\noldest\r\n/:tlr:\\0000100000001\r\n";
  StartWithFiles(list, store);
  WaitForFirstActivation(MOD_CONTROL | MOD_ALT, VK_DOWN);
  TargetWindow target;
  ASSERT_TRUE(target.BringToFront());

  ASSERT_TRUE(PressKey(VK_DOWN, kCtrl | kAlt));
  ASSERT_TRUE(Eventually([&] { return IsWindowVisible(main) != FALSE; }, "the clip window",
                         kTimeout));
  ASSERT_TRUE(PressKey('2'));
  ASSERT_TRUE(Eventually([&] { return target.Text() == "middle clip\r\nsecond line"; },
                         "the paste in the target window", kTimeout))
      << "target holds: " << target.Text();
  EXPECT_FALSE(IsWindowVisible(main));
  EXPECT_EQ(ClipboardText(), "middle clip\r\nsecond line");

  EXPECT_EQ(program.Close(), 0u);
  // The recalled clip's line moved to the top; the store is untouched and its own
  // clipboard write was not recorded as a new clip.
  EXPECT_EQ(ListFile(), "middle" + kMarker + "0000200000002\r\n" + "newest" + kMarker +
                            "0000300000003\r\n" + "oldest" + kMarker + "0000100000001\r\n");
  EXPECT_EQ(StoreFile(), store);
}

TEST_F(ClipHistory, ALabelClickPreviewsItsClipAndTheNextLabelClickReplacesThePreview) {
  auto rows = [](int n) {
    std::string text;
    for (int i = 0; i < n; ++i) text += (i ? "\r\n" : "") + std::string("row ") + std::to_string(i);
    return text;
  };
  const std::string longClip = rows(60);
  const std::string list = "short" + kMarker + "0000300000003\r\n" + "middle" + kMarker +
                           "0000200000002\r\n" + "row 0..." + kMarker + "0000100000001\r\n";
  const std::string store = "/:hdr:\\0000300000003\r\nshort clip\r\n/:tlr:\\0000300000003\r\n"
                            "/:hdr:\\0000200000002\r\nmiddle\r\n/:tlr:\\0000200000002\r\n"
                            "/:hdr:\\0000100000001\r\n" +
                            longClip + "\r\n/:tlr:\\0000100000001\r\n";
  StartWithFiles(list, store);
  WaitForFirstActivation(MOD_CONTROL | MOD_ALT, VK_DOWN);
  TargetWindow target;
  ASSERT_TRUE(target.BringToFront());
  // The show ends by putting the pointer at the panel's right edge; a click before
  // that would have the pointer taken away from the labels. It starts elsewhere, so
  // that its arrival there tells.
  const RECT window = ScreenRect(main);
  ASSERT_TRUE(MoveMouse(window.left + 100, window.top + 300));
  ASSERT_TRUE(PressKey(VK_DOWN, kCtrl | kAlt));
  ASSERT_TRUE(Eventually([&] { return IsWindowVisible(main) != FALSE; }, "the clip window",
                         kTimeout));
  ASSERT_TRUE(Eventually(
      [&] {
        POINT p;
        return GetCursorPos(&p) && p.x == window.left + 246 && p.y == window.top + 119;
      },
      "the pointer at the panel's edge"));
  // The labels stand in a column 10 pixels in, from 20 pixels down, 13 apart.
  auto clickLabel = [&](int index) {
    return Click(window.left + 17, window.top + 20 + 13 * index + 6);
  };
  auto preview = [&] {
    HWND hint = FindTopWindow("THintWindow", "", program.ProcessId());
    return hint && IsWindowVisible(hint) ? WindowText(hint) : std::string();
  };
  // The pointer goes from label to label without leaving the labels, and a label
  // below the shown preview (label 8 under label 3's 45 lines) is still clicked.
  const std::vector<std::pair<int, std::string>> steps{
      {0, "short clip"}, {2, rows(45) + "..."}, {7, ""},           {2, rows(45) + "..."},
      {0, "short clip"}, {7, ""},               {0, "short clip"}};
  for (const auto& [label, expected] : steps) {
    SCOPED_TRACE("label index " + std::to_string(label));
    ASSERT_TRUE(clickLabel(label));
    ASSERT_TRUE(Eventually([&] { return preview() == expected; }, "the preview")) << preview();
    // It stays as it is.
    PumpFor(Millis(150));
    EXPECT_EQ(preview(), expected);
  }
  // Nothing was recalled on the way.
  EXPECT_EQ(target.Text(), "");
  EXPECT_EQ(program.Close(), 0u);
  EXPECT_EQ(ListFile(), list);
}

TEST_F(ClipHistory, SaveVavadFromTheTrayMenuWritesBothFilesWhileRunning) {
  StartWithFiles("", "");
  CopyAndWait("kept by a save");
  ASSERT_TRUE(folder.Remove("Lb1.qvl"));
  ASSERT_TRUE(folder.Remove("vqclips.qvl"));
  PickTrayMenuItem(program, 2);  // "Save Vavad"
  ASSERT_TRUE(Eventually([&] { return folder.Exists("vqclips.qvl"); }, "the saved files",
                         kTimeout));
  EXPECT_NE(StoreFile().find("\r\nkept by a save\r\n"), std::string::npos);
  EXPECT_TRUE(program.IsRunning());
  EXPECT_EQ(program.Close(), 0u);
}

TEST_F(ClipHistory, QuitFromTheTrayMenuAsksFirstAndWritesBothFiles) {
  StartWithFiles("", "");
  CopyAndWait("kept at quit");
  PickTrayMenuItem(program, 6);  // " Quit"
  HWND ask = program.WaitForDialog("Confirm");
  ASSERT_TRUE(ask);
  EXPECT_EQ(DialogText(ask), "Quit Quorel Vavad?");
  ASSERT_TRUE(program.AnswerDialog("Confirm", "No"));
  EXPECT_TRUE(program.IsRunning());
  EXPECT_EQ(StoreFile(), "");

  PickTrayMenuItem(program, 6);
  ASSERT_TRUE(program.AnswerDialog("Confirm", "Yes"));
  EXPECT_EQ(program.WaitForExit(), 0u);
  EXPECT_NE(StoreFile().find("\r\nkept at quit\r\n"), std::string::npos);
}

TEST_F(ClipHistory, ClearVavadEmptiesTheHistoryAfterConfirmation) {
  StartWithFiles("old" + kMarker + "0000100000001\r\n",
                 "/:hdr:\\0000100000001\r\nold\r\n/:tlr:\\0000100000001\r\n");
  PickTrayMenuItem(program, 3);  // "Clear Vavad"
  HWND ask = program.WaitForDialog("Confirm");
  ASSERT_TRUE(ask);
  EXPECT_EQ(DialogText(ask), "Clear all current clips?");
  ASSERT_TRUE(program.AnswerDialog("Confirm", "Yes"));
  ASSERT_TRUE(Eventually([&] { return ClipCount() == 0; }, "an empty list", kTimeout));
  EXPECT_EQ(program.Close(), 0u);
  EXPECT_EQ(ListFile(), "");
  EXPECT_EQ(StoreFile(), "");
}

TEST_F(ClipHistory, TheSettingsFileChoosesTheHotKeyAndIsWrittenAtTheEnd) {
  ASSERT_TRUE(folder.WriteFile("qvavad.ini", "[Form2]\r\nComboBox1.Text=F12\r\n"));
  StartWithFiles("", "");
  WaitForFirstActivation(0, VK_F12);
  TargetWindow target;
  ASSERT_TRUE(target.BringToFront());
  ASSERT_TRUE(PressKey(VK_F12));
  ASSERT_TRUE(Eventually([&] { return IsWindowVisible(main) != FALSE; }, "the clip window",
                         kTimeout));
  ASSERT_TRUE(PressKey(VK_F12));
  ASSERT_TRUE(Eventually([&] { return !IsWindowVisible(main); }, "the window to hide again",
                         kTimeout));
  EXPECT_EQ(program.Close(), 0u);
  const std::string ini = folder.ReadFile("qvavad.ini").value_or("");
  EXPECT_NE(ini.find("ComboBox1.Text=F12"), std::string::npos) << ini;
  EXPECT_NE(ini.find("CheckBox2.Checked=FALSE"), std::string::npos) << ini;
}

}  // namespace
}  // namespace qv::e2e
