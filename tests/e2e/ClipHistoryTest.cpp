// The real qvavad.exe, started in a folder of its own and driven from outside:
// its clip files, what it records from the clipboard, and how it ends.

#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <oleacc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/InstanceNameWin.h"
#include "framework/Accessible.h"
#include "tests/e2e/Harness.h"

namespace qv::e2e {
namespace {

const std::string kMarker = std::string(70, ' ') + "/:hdr:\\";

// Whether a file can be made in the folder (with a trailing backslash) now.
bool CanCreateIn(const std::string& folder) {
  const HANDLE file = CreateFileA((folder + "probe.tmp").c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

// A folder no file can be made in, as under Program Files, made on the Unix side (Wine
// then answers access denied): without write bits, and immutable, since the tests may run
// as root. Writable again when this goes.
class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(const std::string& folder) : folder_(folder) {
    using ToUnix = char*(CDECL*)(LPCWSTR);
    const auto toUnix = reinterpret_cast<ToUnix>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name"));
    if (!toUnix) return;
    const std::wstring wide(folder.begin(), folder.end());  // ASCII test paths
    if (char* path = toUnix(wide.c_str())) {
      unix_ = path;
      HeapFree(GetProcessHeap(), 0, path);
    }
    if (unix_.empty()) return;
    Shell("chmod a-w '" + unix_ + "'; chattr +i '" + unix_ + "' 2>/dev/null");
    made_ = WaitUntil([&] { return !CanCreateIn(folder_); }, kTimeout);
  }
  ~ReadOnlyFolder() {
    if (unix_.empty()) return;
    Shell("chattr -i '" + unix_ + "' 2>/dev/null; chmod u+w '" + unix_ + "'");
    WaitUntil([&] { return CanCreateIn(folder_); }, kTimeout);
  }
  bool Made() const { return made_; }

 private:
  // Wine runs a Unix program given by its Unix path.
  static void Shell(const std::string& command) {
    std::string line = "/bin/sh -c \"" + command + "\"";
    STARTUPINFOA startup{sizeof startup};
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
      return;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
  std::string folder_, unix_;
  bool made_ = false;
};

// An environment variable set for the driver and what it starts, put back at the end.
class EnvironmentVariable {
 public:
  EnvironmentVariable(const char* name, const std::string& value) : name_(name) {
    char old[MAX_PATH * 2];
    const DWORD n = GetEnvironmentVariableA(name, old, sizeof old);
    had_ = n > 0 && n < sizeof old;
    if (had_) old_.assign(old, n);
    SetEnvironmentVariableA(name, value.c_str());
  }
  ~EnvironmentVariable() { SetEnvironmentVariableA(name_, had_ ? old_.c_str() : nullptr); }

 private:
  const char* name_;
  std::string old_;
  bool had_ = false;
};

HWND FindPopupMenu(DWORD processId) {
  HWND found = nullptr;
  WaitUntil([&] {
    found = FindTopWindow("#32768", "", processId);
    return found && IsWindowVisible(found);
  });
  return found;
}

// The pointer at a place the program puts it. The test puts it elsewhere first, so that
// its arrival tells.
::testing::AssertionResult PointerReaches(int x, int y, const std::string& what) {
  return Eventually(
      [&] {
        POINT p;
        return GetCursorPos(&p) && p.x == x && p.y == y;
      },
      what);
}

// Opens the tray menu and picks the item that many places down.
void PickTrayMenuItem(Program& program, int position) {
  TrayNotice(program.ProcessId(), WM_RBUTTONDOWN);
  TrayNotice(program.ProcessId(), WM_RBUTTONUP);
  ASSERT_TRUE(FindPopupMenu(program.ProcessId())) << DescribeTopWindows();
  for (int i = 0; i < position; ++i) ASSERT_TRUE(PressKey(VK_DOWN));
  ASSERT_TRUE(PressKey(VK_RETURN));
}

// The blocks of a store file by id, and whether anything in it lies outside a block.
struct StoreFileBlocks {
  std::map<std::string, std::string> texts;
  bool stray = false;
};
StoreFileBlocks ReadStoreFile(const std::string& store) {
  StoreFileBlocks out;
  std::vector<std::string> lines;
  for (size_t p = 0; p < store.size();) {
    const size_t end = store.find("\r\n", p);
    lines.push_back(store.substr(p, end - p));
    p = end == std::string::npos ? store.size() : end + 2;
  }
  for (size_t i = 0; i < lines.size();) {
    if (lines[i].size() == 20 && lines[i].compare(0, 7, "/:hdr:\\") == 0) {
      const std::string id = lines[i].substr(7);
      size_t t = i + 1;
      while (t < lines.size() && lines[t] != "/:tlr:\\" + id) ++t;
      if (t < lines.size()) {
        std::string text;
        for (size_t k = i + 1; k < t; ++k) text += (k > i + 1 ? "\r\n" : "") + lines[k];
        out.texts[id] = text;
        i = t + 1;
        continue;
      }
    }
    out.stray = true;
    ++i;
  }
  return out;
}

// The ids of a list file's lines, top first.
std::vector<std::string> ListFileIds(const std::string& list) {
  std::vector<std::string> ids;
  for (size_t p = 0; p < list.size();) {
    const size_t end = list.find("\r\n", p);
    const std::string line = list.substr(p, end - p);
    ids.push_back(line.size() >= 13 ? line.substr(line.size() - 13) : line);
    p = end == std::string::npos ? list.size() : end + 2;
  }
  return ids;
}

class ClipHistory : public ::testing::Test {
 protected:
  // Starts the program from another current folder: its files must still be
  // the ones beside the exe.
  void StartWithFiles(const std::string& list, const std::string& store,
                      Millis loadTimeout = kTimeout) {
    ASSERT_TRUE(folder.WriteFile("Lb1.qvl", list));
    ASSERT_TRUE(folder.WriteFile("vqclips.qvl", store));
    ASSERT_NO_FATAL_FAILURE(StartAgain());
    // The window exists before its files are loaded; the list then fills.
    const int expected = static_cast<int>(std::count(list.begin(), list.end(), '\n'));
    ASSERT_TRUE(Eventually([&] { return ClipCount() == expected; }, "the loaded list", loadTimeout))
        << ClipCount() << " lines listed";
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
  // After the first activation: the target in front, then the hot key brings the clips up
  // over it, as a user does before a slot key pastes.
  void ShowClipsOver(TargetWindow& target) {
    WaitForFirstActivation(MOD_CONTROL | MOD_ALT, VK_DOWN);
    ASSERT_TRUE(target.BringToFront());
    ASSERT_TRUE(PressKey(VK_DOWN, kCtrl | kAlt));
    ASSERT_TRUE(Eventually([&] { return IsWindowVisible(main) != FALSE; }, "the clip window",
                           kTimeout));
    // Keys go to the foreground window: visible is not yet in front under a window manager.
    ASSERT_TRUE(
        Eventually([&] { return GetForegroundWindow() == main; }, "the clip window in front"));
  }
  int ClipCount() { return static_cast<int>(SendMessageA(clipList, LB_GETCOUNT, 0, 0)); }
  // Waits until the list has kept its length for a while (late captures are done).
  void WaitUntilTheListSettles() {
    int last = -1;
    auto since = std::chrono::steady_clock::now();
    WaitUntil(
        [&] {
          const int now = ClipCount();
          if (now != last) {
            last = now;
            since = std::chrono::steady_clock::now();
          }
          return std::chrono::steady_clock::now() - since > Millis(2500);
        },
        Millis(20000));
  }
  // Copies a text and waits until it is in the list.
  // Starts the program on the files as they are, with nothing of its own to capture.
  void StartAgain() {
    ASSERT_TRUE(EmptyClipboard());
    ASSERT_TRUE(program.Start("", elsewhere.Path()));
    main = program.MainWindow();
    ASSERT_TRUE(main);
    clipList = FindClipList(main);
    ASSERT_TRUE(clipList);
  }
  // Waits until the journal on the disk holds the text.
  void WaitForJournal(const std::string& text) {
    ASSERT_TRUE(Eventually(
        [&] {
          const auto journal = folder.ReadFile("vqclips.qvj");
          return journal && journal->find(text) != std::string::npos;
        },
        "the journal on the disk", kTimeout));
  }
  // The texts of the saved list's clips, top first.
  std::vector<std::string> SavedTexts() {
    std::vector<std::string> texts;
    for (const std::string& id : ListFileIds(ListFile()))
      texts.push_back(ReadStoreFile(StoreFile()).texts[id]);
    return texts;
  }
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

TEST_F(ClipHistory, AFirstRunIsQuietAndQuitLeavesEmptyFilesBesideTheExe) {
  ASSERT_TRUE(EmptyClipboard());
  ASSERT_TRUE(program.Start("", elsewhere.Path()));
  main = program.MainWindow();
  ASSERT_TRUE(main);
  // Up and running: the first activation has taken the hot key and hidden the window, and
  // no message box came on the way.
  WaitForFirstActivation(MOD_CONTROL | MOD_ALT, VK_DOWN);
  EXPECT_EQ(FindWindowA("#32770", kAppTitle), nullptr);
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

TEST_F(ClipHistory, CopiesBehindAViewerThatPassesNothingOnAreStillRecorded) {
  StartWithFiles("", "");
  CopyAndWait("before");
  SwallowingViewer swallower;  // joins after the program, so it hears of copies first
  for (const char* text : {"behind it", "behind it again"}) {
    swallower.Rejoin();  // in front of the program every time
    const int swallowed = swallower.Swallowed();
    CopyAndWait(text);
    EXPECT_GT(swallower.Swallowed(), swallowed);
  }
  EXPECT_EQ(program.Close(), 0u);
  const std::vector<std::string> ids = ListFileIds(ListFile());
  const StoreFileBlocks store = ReadStoreFile(StoreFile());
  ASSERT_EQ(ids.size(), 3u);
  EXPECT_EQ(store.texts.at(ids[0]), "behind it again");
  EXPECT_EQ(store.texts.at(ids[1]), "behind it");
}

TEST_F(ClipHistory, ABurstOfCopiesGivesWholeCopiesOnlyAndTheLastOneOnTop) {
  StartWithFiles("", "");
  std::set<std::string> copied;
  for (int i = 1; i <= 50; ++i) {
    char text[32];
    std::snprintf(text, sizeof text, "burst-%02d", i);
    ASSERT_TRUE(SetClipboardText(text));
    copied.insert(text);
  }
  WaitUntilTheListSettles();
  EXPECT_EQ(program.Close(), 0u);

  const StoreFileBlocks store = ReadStoreFile(StoreFile());
  const std::vector<std::string> ids = ListFileIds(ListFile());
  EXPECT_FALSE(store.stray);
  ASSERT_FALSE(ids.empty());
  EXPECT_EQ(ids.size(), store.texts.size());  // the files agree line for line
  for (const std::string& id : ids) {
    ASSERT_TRUE(store.texts.count(id)) << "no block for " << id;
    EXPECT_TRUE(copied.count(store.texts.at(id))) << "not a copied text: " << store.texts.at(id);
  }
  EXPECT_EQ(store.texts.at(ids.front()), "burst-50");
}

TEST_F(ClipHistory, ATenMegabyteCopyBecomesOneWholeClip) {
  StartWithFiles("", "");
  std::string big;
  big.reserve(10u << 20);
  for (int line = 0; big.size() + 80 <= (10u << 20); ++line)
    big.append(std::string(78, static_cast<char>('a' + line % 26))).append("\r\n");
  ASSERT_TRUE(SetClipboardText(big));
  ASSERT_TRUE(Eventually([&] { return ClipCount() == 1; }, "the large clip", Millis(15000)));
  EXPECT_EQ(program.Close(Millis(15000)), 0u);
  const StoreFileBlocks store = ReadStoreFile(StoreFile());
  const std::vector<std::string> ids = ListFileIds(ListFile());
  ASSERT_EQ(ids.size(), 1u);
  ASSERT_TRUE(store.texts.count(ids[0]));
  EXPECT_TRUE(store.texts.at(ids[0]) == big) << store.texts.at(ids[0]).size();
}

TEST_F(ClipHistory, FiveCopiesSurviveAKillAndTheNextStartShowsAndRecallsThem) {
  StartWithFiles("", "");
  WaitForFirstActivation(MOD_CONTROL | MOD_ALT, VK_DOWN);
  for (int i = 1; i <= 5; ++i) CopyAndWait("copy " + std::to_string(i));
  ASSERT_NO_FATAL_FAILURE(WaitForJournal("copy 5"));
  program.Kill();
  EXPECT_EQ(ListFile(), "");  // never saved

  ASSERT_NO_FATAL_FAILURE(StartAgain());
  ASSERT_TRUE(Eventually([&] { return ClipCount() == 5; }, "the five clips", kTimeout));
  // Replayed, saved into the two files at once, newest first.
  EXPECT_EQ(SavedTexts(),
            (std::vector<std::string>{"copy 5", "copy 4", "copy 3", "copy 2", "copy 1"}));
  EXPECT_FALSE(folder.ReadFile("vqclips.qvj").has_value());

  TargetWindow target;
  ASSERT_NO_FATAL_FAILURE(ShowClipsOver(target));
  ASSERT_TRUE(PressKey('3'));
  ASSERT_TRUE(Eventually([&] { return target.Text() == "copy 3"; }, "the paste", kTimeout))
      << "target holds: " << target.Text();
  EXPECT_EQ(program.Close(), 0u);
  EXPECT_EQ(ListFileIds(ListFile()).size(), 5u);
  EXPECT_EQ(ReadStoreFile(StoreFile()).texts[ListFileIds(ListFile())[0]], "copy 3");
}

// A backup tool holds the list file while Save Vavad runs: the save is refused after the
// store is written, a copy follows, then the program is killed. Nothing is lost.
TEST_F(ClipHistory, ACrashRightAfterAFailedSaveLosesNothing) {
  StartWithFiles("", "");
  WaitForFirstActivation(MOD_CONTROL | MOD_ALT, VK_DOWN);
  CopyAndWait("one");
  CopyAndWait("two");
  HANDLE held = CreateFileA(folder.File("Lb1.qvl").c_str(), GENERIC_READ, FILE_SHARE_READ,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  PickTrayMenuItem(program, 2);  // "Save Vavad"
  HWND refused = program.WaitForDialog("qvavad");
  ASSERT_TRUE(refused);
  EXPECT_EQ(DialogText(refused), "Cannot create file " + folder.File("Lb1.qvl"));
  ASSERT_TRUE(program.AnswerDialog("qvavad", "OK"));
  EXPECT_NE(StoreFile().find("\r\ntwo\r\n"), std::string::npos);  // the store was written
  CopyAndWait("three");
  ASSERT_NO_FATAL_FAILURE(WaitForJournal("three"));
  program.Kill();
  CloseHandle(held);

  ASSERT_NO_FATAL_FAILURE(StartAgain());
  ASSERT_TRUE(Eventually([&] { return ClipCount() == 3; }, "the three clips", kTimeout));
  EXPECT_FALSE(FindDialog("qvavad", program.ProcessId()));  // nothing to tell
  EXPECT_EQ(SavedTexts(), (std::vector<std::string>{"three", "two", "one"}));
  EXPECT_FALSE(folder.Exists("vqclips.qvj"));
  EXPECT_EQ(program.Close(), 0u);
}

TEST_F(ClipHistory, ASecondStartBringsTheClipsUpAndLeavesTheFilesAlone) {
  const std::string list = "kept" + kMarker + "0000100000001\r\n";
  const std::string store = "/:hdr:\\0000100000001\r\nkept\r\n/:tlr:\\0000100000001\r\n";
  StartWithFiles(list, store);
  WaitForFirstActivation(MOD_CONTROL | MOD_ALT, VK_DOWN);
  ASSERT_TRUE(folder.WriteFile("qvavad.ini", "[Form2]\r\n"));

  Program second(program.ExePath());
  ASSERT_TRUE(second.Start());
  EXPECT_EQ(second.WaitForExit(), 0u);
  ASSERT_TRUE(Eventually([&] { return IsWindowVisible(main) != FALSE; }, "the clip window"));
  EXPECT_TRUE(program.IsRunning());
  EXPECT_EQ(ListFile(), list);
  EXPECT_EQ(StoreFile(), store);
  EXPECT_EQ(folder.ReadFile("qvavad.ini"), "[Form2]\r\n");
  EXPECT_EQ(program.Close(), 0u);
}

TEST_F(ClipHistory, TheHotKeyAndASlotKeyPasteAClipIntoTheWindowThatWasInFront) {
  const std::string list = "newest" + kMarker + "0000300000003\r\n" + "middle" + kMarker +
                           "0000200000002\r\n" + "oldest" + kMarker + "0000100000001\r\n";
  const std::string store =
      "/:hdr:\\0000300000003\r\nnewest\r\n/:tlr:\\0000300000003\r\n"
      "/:hdr:\\0000200000002\r\nmiddle clip\r\nsecond line\r\n/:tlr:\\0000200000002\r\n"
      "/:hdr:\\0000100000001\r\noldest\r\n/:tlr:\\0000100000001\r\n";
  StartWithFiles(list, store);
  TargetWindow target;
  ASSERT_NO_FATAL_FAILURE(ShowClipsOver(target));
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

// What a screen reader in another process reads: the clip list as a list of the clips, the
// buttons as push buttons named in words.
std::wstring AccName(IAccessible* object, long child) {
  VARIANT id;
  VariantInit(&id);
  id.vt = VT_I4;
  id.lVal = child;
  BSTR name = nullptr;
  if (object->get_accName(id, &name) != S_OK || !name) return L"<none>";
  std::wstring text(name, SysStringLen(name));
  SysFreeString(name);
  return text;
}

long AccRole(IAccessible* object) {
  VARIANT self, role;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  VariantInit(&role);
  return object->get_accRole(self, &role) == S_OK && role.vt == VT_I4 ? role.lVal : -1;
}

TEST_F(ClipHistory, AScreenReaderReadsTheClipsAndTheButtons) {
  StartWithFiles(
      "newest" + kMarker + "0000300000003\r\n" + "middle" + kMarker + "0000200000002\r\n",
      "/:hdr:\\0000300000003\r\nnewest\r\n/:tlr:\\0000300000003\r\n"
      "/:hdr:\\0000200000002\r\nmiddle\r\n/:tlr:\\0000200000002\r\n");
  TargetWindow target;
  ASSERT_NO_FATAL_FAILURE(ShowClipsOver(target));
  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  {
    IAccessible* list = nullptr;
    ASSERT_EQ(AccessibleObjectFromWindow(clipList, static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                                         reinterpret_cast<void**>(&list)),
              S_OK);
    EXPECT_EQ(AccRole(list), ROLE_SYSTEM_LIST);
    long count = 0;
    EXPECT_EQ(list->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(AccName(list, 1), L"newest");
    EXPECT_EQ(AccName(list, 2), L"middle");
    list->Release();

    std::set<std::wstring> buttons;
    EnumChildWindows(
        main,
        [](HWND child, LPARAM names) {
          IAccessible* object = nullptr;
          if (AccessibleObjectFromWindow(child, static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                                         reinterpret_cast<void**>(&object)) == S_OK) {
            if (AccRole(object) == ROLE_SYSTEM_PUSHBUTTON)
              reinterpret_cast<std::set<std::wstring>*>(names)->insert(
                  AccName(object, CHILDID_SELF));
            object->Release();
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&buttons));
    EXPECT_EQ(buttons,
              (std::set<std::wstring>{L"Paste the range up to the newest clip",
                                      L"Paste and add a line break and a line feed",
                                      L"Paste and add a line break", L"Hide", L"Find clips"}));
  }
  CoUninitialize();
  EXPECT_EQ(program.Close(), 0u);
}

// The paste delay does not hold the program up: the hot key brings the clips up before
// the paste is due, and drops it, so going back to the target pastes nothing.
TEST_F(ClipHistory, TheHotKeyAnswersDuringALongPasteDelayAndDropsThePaste) {
  ASSERT_TRUE(folder.WriteFile("qvavad.ini", "[Form2]\r\nComboBox2.Text=3000\r\n"));
  StartWithFiles("second" + kMarker + "0000200000002\r\n" + "first" + kMarker + "0000100000001\r\n",
                 "/:hdr:\\0000200000002\r\nsecond\r\n/:tlr:\\0000200000002\r\n"
                 "/:hdr:\\0000100000001\r\nfirst\r\n/:tlr:\\0000100000001\r\n");
  TargetWindow target;
  ASSERT_NO_FATAL_FAILURE(ShowClipsOver(target));
  ASSERT_TRUE(PressKey('2'));
  ASSERT_TRUE(Eventually([&] { return !IsWindowVisible(main); }, "the window to hide"));
  ASSERT_TRUE(PressKey(VK_DOWN, kCtrl | kAlt));
  ASSERT_TRUE(Eventually([&] { return IsWindowVisible(main) != FALSE; }, "the clip window"));
  EXPECT_EQ(target.Text(), "");  // not pasted first and then shown
  ASSERT_TRUE(PressKey(VK_DOWN, kCtrl | kAlt));
  ASSERT_TRUE(target.BringToFront());
  PumpFor(Millis(4000));
  EXPECT_EQ(target.Text(), "");
  EXPECT_EQ(ClipboardText(), "first");  // there to paste by hand
  EXPECT_EQ(program.Close(), 0u);
}

// Installed where it cannot write: the files go to "Quorvel Vavad" in the local
// application data, the first start says so, and the clip tool beside the exe finds them.
TEST_F(ClipHistory, AReadOnlyExeFolderKeepsTheFilesInLocalAppDataAndTheClipToolFindsThem) {
  const std::string tool = folder.File("qvclips.exe");
  ASSERT_TRUE(CopyFileA((DriverFolder() + "qvclips.exe").c_str(), tool.c_str(), FALSE));
  TestFolder appData;
  const EnvironmentVariable local("LOCALAPPDATA", appData.Path());
  const ReadOnlyFolder readOnly(folder.Path() + "\\");
  if (!readOnly.Made()) GTEST_SKIP() << "no folder can be made read-only here";
  const std::string files = appData.Path() + "\\Quorvel Vavad\\";

  ASSERT_TRUE(EmptyClipboard());
  ASSERT_TRUE(program.Start("", elsewhere.Path()));
  const HWND notice = program.WaitForDialog(kAppTitle);
  ASSERT_TRUE(notice);
  EXPECT_NE(DialogText(notice).find(files), std::string::npos) << DialogText(notice);
  ASSERT_TRUE(ClickDialogButton(notice, "OK"));
  main = program.MainWindow();
  clipList = FindClipList(main);
  ASSERT_TRUE(clipList);
  WaitForFirstActivation(MOD_CONTROL | MOD_ALT, VK_DOWN);
  CopyAndWait("kept elsewhere");
  EXPECT_EQ(program.Close(), 0u);
  EXPECT_NE(appData.ReadFile("Quorvel Vavad\\Lb1.qvl").value_or("").find("kept elsewhere"),
            std::string::npos);
  EXPECT_NE(appData.ReadFile("Quorvel Vavad\\qvavad.ini").value_or("").find("[Form2]"),
            std::string::npos);
  EXPECT_FALSE(folder.Exists("Lb1.qvl"));

  // Told once; the clip tool beside the exe reads the files where they are, while the
  // program runs from there too.
  ASSERT_TRUE(program.Start("", elsewhere.Path()));
  main = program.MainWindow();
  ASSERT_TRUE(main);
  WaitForFirstActivation(MOD_CONTROL | MOD_ALT, VK_DOWN);
  EXPECT_EQ(FindDialog(kAppTitle, program.ProcessId()), nullptr);
  const auto listed = RunConsole(tool, "list", elsewhere.Path());
  ASSERT_TRUE(listed);
  EXPECT_EQ(listed->exitCode, 0u) << listed->err;
  EXPECT_NE(listed->out.find("kept elsewhere"), std::string::npos) << listed->out;
  const auto repair = RunConsole(tool, "repair", elsewhere.Path());
  ASSERT_TRUE(repair);
  EXPECT_EQ(repair->exitCode, 2u) << repair->out;  // the program holds that folder
  EXPECT_EQ(program.Close(), 0u);
}

// A folder named in letters no single ANSI code page holds: the program starts there,
// records, saves and finds its files again, names them rightly in its messages, a second
// start finds it, and the clip tool beside it reads them.
TEST_F(ClipHistory, InAFolderNamedBeyondTheAnsiCodePageTheFilesLiveBesideTheExe) {
  const std::string sub = "Clips \xCE\xA9\xD0\x96\xE2\x86\x92";
  TestFolder appData;
  const EnvironmentVariable local("LOCALAPPDATA", appData.Path());
  Program unicode(folder, kExeName, sub);
  const Program tool(folder, "qvclips.exe", sub);  // copied there, run below
  ASSERT_TRUE(EmptyClipboard());
  ASSERT_TRUE(unicode.Start("", elsewhere.Path()));
  main = unicode.MainWindow();
  ASSERT_TRUE(main);
  clipList = FindClipList(main);
  ASSERT_TRUE(clipList);
  WaitForFirstActivation(MOD_CONTROL | MOD_ALT, VK_DOWN);
  EXPECT_EQ(FindDialog(kAppTitle, unicode.ProcessId()), nullptr);  // nothing to tell
  CopyAndWait("recorded beside the exe");

  Program second(unicode.ExePath());
  ASSERT_TRUE(second.Start());
  EXPECT_EQ(second.WaitForExit(), 0u);
  ASSERT_TRUE(Eventually([&] { return IsWindowVisible(main) != FALSE; }, "the clip window"));
  const auto repair = RunConsole(tool.ExePath(), "repair", elsewhere.Path());
  ASSERT_TRUE(repair);
  EXPECT_EQ(repair->exitCode, 2u) << repair->out;  // the program holds the folder
  EXPECT_EQ(unicode.Close(), 0u);
  const std::string list = folder.ReadFile(sub + "\\Lb1.qvl").value_or("");
  EXPECT_NE(list.find("recorded beside the exe"), std::string::npos) << list;
  EXPECT_TRUE(folder.Exists(sub + "\\vqclips.qvl"));
  EXPECT_TRUE(folder.Exists(sub + "\\qvavad.ini"));
  EXPECT_FALSE(appData.Exists("Quorvel Vavad"));
  const auto listed = RunConsole(tool.ExePath(), "list", elsewhere.Path());
  ASSERT_TRUE(listed);
  EXPECT_NE(listed->out.find("recorded beside the exe"), std::string::npos) << listed->err;

  // Found again; a file that cannot be read is named as it is.
  ASSERT_TRUE(folder.Remove(sub + "\\vqclips.qvl"));
  ASSERT_TRUE(unicode.Start("", elsewhere.Path()));
  const HWND told = unicode.WaitForDialog(kAppTitle);
  ASSERT_TRUE(told);
  EXPECT_EQ(DialogText(told), "Cannot open file " + folder.File(sub + "\\vqclips.qvl"));
  ASSERT_TRUE(ClickDialogButton(told, "OK"));
  main = unicode.MainWindow();
  ASSERT_TRUE(main);
  clipList = FindClipList(main);
  ASSERT_TRUE(clipList);
  EXPECT_TRUE(Eventually([&] { return ClipCount() == 1; }, "the list of the last start"));
  EXPECT_EQ(unicode.Close(), 0u);
}

// This user's copy in another logon session holds the folder: a start here cannot bring
// its clips up, and says so rather than leave without a word.
TEST_F(ClipHistory, AStartThatCannotReachTheCopyHoldingItsFolderSaysSo) {
  TOwnObjectSecurity security;
  const std::string name = InstanceNameOfFolder(folder.Path(), true);
  const HANDLE held = CreateMutexW(security.Attributes(), FALSE, WidePath(name).c_str());
  ASSERT_TRUE(held);
  struct CloseAtEnd {
    HANDLE handle;
    ~CloseAtEnd() { CloseHandle(handle); }
  } closeAtEnd{held};
  ASSERT_TRUE(program.Start("", elsewhere.Path()));
  const HWND told = program.WaitForDialog(kAppTitle);
  ASSERT_TRUE(told);
  EXPECT_EQ(DialogText(told), UnreachableCopyNotice(folder.Path() + "\\"));
  ASSERT_TRUE(ClickDialogButton(told, "OK"));
  EXPECT_EQ(program.WaitForExit(), 0u);
  EXPECT_FALSE(folder.Exists("Lb1.qvl"));
}

TEST_F(ClipHistory, InAFullHistoryF3AndTwoWordsFindTheClipAndCtrl1PastesIt) {
  // 100,000 short clips; "harbour" and "tuesday" are both only in clips 50,000 and 70,000
  // (the newer one with "tuesday" on its second line, which the list does not show), one
  // of them alone in a few newer clips.
  constexpr int kClips = 100000;
  std::string list, store;
  list.reserve(kClips * 105);
  store.reserve(kClips * 80);
  for (int i = 0; i < kClips; ++i) {
    char id[14];
    std::snprintf(id, sizeof id, "%07d%06d", i + 1, (i + 1) % 1000000);
    std::string text = "clip number " + std::to_string(i);
    if (i == 50000) text = "Harbour Road 7\r\nnext TUESDAY";
    if (i == 70000) text = "tuesday at the harbour";
    if (i == 10 || i == 20000) text = "harbour only";
    if (i == 30000) text = "only tuesday";
    list += text.substr(0, text.find('\r')) + kMarker + id + "\r\n";
    store += "/:hdr:\\" + std::string(id) + "\r\n" + text + "\r\n/:tlr:\\" + id + "\r\n";
  }
  const auto started = std::chrono::steady_clock::now();
  // Loading so many clips takes a while under Wine.
  ASSERT_NO_FATAL_FAILURE(StartWithFiles(list, store, Millis(240000)));
  std::printf("100,000 clips loaded and listed in %lld ms\n",
              static_cast<long long>(std::chrono::duration_cast<Millis>(
                                         std::chrono::steady_clock::now() - started)
                                         .count()));
  TargetWindow target;
  ASSERT_NO_FATAL_FAILURE(ShowClipsOver(target));
  ASSERT_TRUE(PressKey(VK_F3));
  for (char c : std::string("TUES HARB")) ASSERT_TRUE(PressKey(c == ' ' ? VK_SPACE : c));
  ASSERT_TRUE(Eventually([&] { return ClipCount() == 2; }, "the two clips found", kTimeout))
      << ClipCount() << " lines shown";
  ASSERT_TRUE(PressKey('1', kCtrl));
  ASSERT_TRUE(Eventually([&] { return target.Text() == "Harbour Road 7\r\nnext TUESDAY"; },
                         "the paste in the target window", kTimeout))
      << "target holds: " << target.Text();
  EXPECT_FALSE(IsWindowVisible(main));
  // The whole list again, less the line at index 72 that a single recall lets go.
  ASSERT_TRUE(Eventually([&] { return ClipCount() == kClips - 1; }, "the whole list", kTimeout))
      << ClipCount() << " lines shown";
  EXPECT_EQ(program.Close(), 0u);
}

TEST_F(ClipHistory, AUnicodeCopyPastesBackExactlyAlsoAfterARestart) {
  // "Grüße → 日本語 ✓ 😀 Ελληνικά", as a Unicode program copies it: UTF-16 only.
  const std::wstring wide = L"Gr\u00FC\u00DFe \u2192 \u65E5\u672C\u8A9E \u2713 \U0001F600 "
                            L"\u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC";
  std::string utf16(reinterpret_cast<const char*>(wide.c_str()), (wide.size() + 1) * 2);
  for (bool restart : {false, true}) {
    SCOPED_TRACE(restart ? "after a restart" : "as copied");
    if (restart) {
      StartWithFiles(ListFile(), StoreFile());
    } else {
      StartWithFiles("", "");
      ASSERT_TRUE(SetClipboardFormats({ClipboardItem{CF_UNICODETEXT, utf16}}));
      ASSERT_TRUE(Eventually([&] { return ClipCount() == 1; }, "the clip", kTimeout));
    }
    TargetWindow target;
    ASSERT_NO_FATAL_FAILURE(ShowClipsOver(target));
    ASSERT_TRUE(PressKey('1'));
    const auto pasted = [&] {
      std::wstring text(static_cast<size_t>(GetWindowTextLengthW(target.Edit())) + 1, L'\0');
      text.resize(static_cast<size_t>(GetWindowTextW(target.Edit(), text.data(),
                                                     static_cast<int>(text.size()))));
      return text;
    };
    ASSERT_TRUE(Eventually([&] { return pasted() == wide; }, "the exact paste", kTimeout));
    EXPECT_EQ(program.Close(), 0u);
    // The two files stay 8-bit: the characters the code page lacks are "?" there.
    const std::string store = StoreFile();
    EXPECT_NE(store.find("\r\nGr\xFC\xDF" "e ? ??? ? ?? ????????\r\n"), std::string::npos) << store;
    EXPECT_EQ(ListFile().substr(0, 5), "Gr\xFC\xDF" "e");
    EXPECT_TRUE(folder.ReadFile("vqclips.qvu").has_value());
  }
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
  ASSERT_TRUE(
      PointerReaches(window.left + 262, window.top + 119, "the pointer at the panel's edge"));
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
  PickTrayMenuItem(program, 7);  // " Quit"
  HWND ask = program.WaitForDialog("Confirm");
  ASSERT_TRUE(ask);
  EXPECT_EQ(DialogText(ask), "Quit Quorel Vavad?");
  ASSERT_TRUE(program.AnswerDialog("Confirm", "No"));
  EXPECT_TRUE(program.IsRunning());
  EXPECT_EQ(StoreFile(), "");

  PickTrayMenuItem(program, 7);
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

TEST_F(ClipHistory, DownDownDeleteLeavesNoByteOfTheClipInTheFolderAndAKeptClipOutlivesClear) {
  StartWithFiles("", "");
  for (const char* text : {"first copy", "a secret pasted by mistake", "third copy"})
    CopyAndWait(text);
  TargetWindow target;
  ASSERT_NO_FATAL_FAILURE(ShowClipsOver(target));
  ASSERT_TRUE(PressKey(VK_DOWN));  // the top line
  ASSERT_TRUE(PressKey(VK_DOWN));  // the secret
  ASSERT_TRUE(PressKey(VK_DELETE));
  ASSERT_TRUE(Eventually([&] { return ClipCount() == 2; }, "the line gone", kTimeout));
  Sleep(2000);
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(folder.File("*").c_str(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const auto bytes = folder.ReadFile(found.cFileName);
    EXPECT_EQ(bytes.value_or("").find("secret"), std::string::npos) << found.cFileName;
  } while (FindNextFileA(search, &found));
  FindClose(search);

  // The line below moved up: its label now reads "2". Space keeps it, and the paste
  // moves it to the top.
  ASSERT_TRUE(PressKey(VK_SPACE));
  ASSERT_TRUE(PressKey('2'));
  ASSERT_TRUE(Eventually([&] { return target.Text() == "first copy"; }, "the paste", kTimeout))
      << "target holds: " << target.Text();
  PickTrayMenuItem(program, 3);  // "Clear Vavad"
  HWND ask = program.WaitForDialog("Confirm");
  ASSERT_TRUE(ask);
  EXPECT_EQ(DialogText(ask), "Clear all current clips? 1 kept clips stay.");
  ASSERT_TRUE(program.AnswerDialog("Confirm", "Yes"));
  ASSERT_TRUE(Eventually([&] { return ClipCount() == 1; }, "the kept clip alone", kTimeout));
  EXPECT_EQ(program.Close(), 0u);
  EXPECT_EQ(SavedTexts(), std::vector<std::string>{"first copy"});
  EXPECT_EQ(folder.ReadFile("vqclips.qvk").value_or(""), ListFileIds(ListFile())[0] + "\r\n");

  ASSERT_NO_FATAL_FAILURE(StartAgain());
  ASSERT_TRUE(Eventually([&] { return ClipCount() == 1; }, "the kept clip again", kTimeout));
  PickTrayMenuItem(program, 3);
  ASSERT_TRUE(program.AnswerDialog("Confirm", "Yes"));
  Sleep(500);
  EXPECT_EQ(ClipCount(), 1);  // still kept after the restart
  EXPECT_EQ(program.Close(), 0u);
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

// A child window by its text.
HWND FindChild(HWND parent, const std::string& text) {
  for (HWND child : Children(parent))
    if (WindowText(child) == text) return child;
  return nullptr;
}

// The editable box of the Settings dialog's hot-key choice: its left combo box.
HWND FindHotKeyBox(HWND dialog) {
  HWND best = nullptr;
  for (HWND child : Children(dialog)) {
    if (lstrcmpiA(WindowClass(child).c_str(), "ComboBox") != 0) continue;
    if (!best || ScreenRect(child).left < ScreenRect(best).left) best = child;
  }
  return best;
}

TEST_F(ClipHistory, AHotKeyHeldByAnotherProgramIsReportedAndSettingsChoosesAnother) {
  // Taken before the program starts, as a graphics driver often takes it.
  ASSERT_TRUE(RegisterHotKey(nullptr, 0x5152, MOD_CONTROL | MOD_ALT, VK_DOWN));
  StartWithFiles("newest" + kMarker + "0000100000001\r\n",
                 "/:hdr:\\0000100000001\r\nnewest\r\n/:tlr:\\0000100000001\r\n");
  HWND told = program.WaitForDialog(kAppTitle);
  ASSERT_TRUE(told);
  EXPECT_EQ(DialogText(told),
            "Another program holds the hot key Ctrl+Alt+Down, so it cannot bring up the clips.\r\n"
            "Choose another hot key in Settings.");
  ASSERT_TRUE(program.AnswerDialog(kAppTitle, "OK"));

  // The dialog will put the pointer on its OK button; it starts near the screen's corner,
  // where the tray menu opens below and right of it.
  ASSERT_TRUE(MoveMouse(10, 10));
  ASSERT_TRUE(PointerReaches(10, 10, "the pointer in the corner"));
  PickTrayMenuItem(program, 1);  // "Settings..."
  HWND settings = program.WaitForWindow("", "Settings");
  ASSERT_TRUE(settings);
  ASSERT_TRUE(Eventually([&] { return IsWindowVisible(settings) != FALSE; }, "the dialog"));
  HWND hotKeyBox = FindHotKeyBox(settings);
  ASSERT_TRUE(hotKeyBox);
  SetWindowTextA(hotKeyBox, "F9");
  // The dialog puts the pointer at its outer corner moved by the OK button's place in
  // its client area ((71, 136) with the fonts of Windows) and by 64, 40 more.
  HWND ok = FindChild(settings, "OK");
  ASSERT_TRUE(ok);
  const RECT box = ScreenRect(settings);
  POINT okAt{0, 0};
  MapWindowPoints(ok, settings, &okAt, 1);
  const POINT pointer{box.left + okAt.x + 64, box.top + okAt.y + 40};
  ASSERT_TRUE(PointerReaches(pointer.x, pointer.y, "the pointer on OK"));
  ASSERT_TRUE(Click(pointer.x, pointer.y));
  ASSERT_TRUE(Eventually([&] { return !IsWindowVisible(settings); }, "the dialog to close"));
  EXPECT_FALSE(FindDialog(kAppTitle, program.ProcessId()));

  TargetWindow target;
  ASSERT_TRUE(target.BringToFront());
  ASSERT_TRUE(PressKey(VK_F9));
  ASSERT_TRUE(Eventually([&] { return IsWindowVisible(main) != FALSE; }, "the clip window"));
  ASSERT_TRUE(PressKey('1'));
  EXPECT_TRUE(Eventually([&] { return target.Text() == "newest"; }, "the paste"))
      << "target holds: " << target.Text();
  UnregisterHotKey(nullptr, 0x5152);
  EXPECT_EQ(program.Close(), 0u);
  const std::string ini = folder.ReadFile("qvavad.ini").value_or("");
  EXPECT_NE(ini.find("ComboBox1.Text=F9"), std::string::npos) << ini;
}

// The Settings dialog, opened from the tray menu, in front.
HWND OpenSettings(Program& program) {
  PickTrayMenuItem(program, 1);  // "Settings..."
  HWND settings = program.WaitForWindow("", "Settings");
  if (!settings ||
      !Eventually([&] { return GetForegroundWindow() == settings; }, "the dialog in front"))
    return nullptr;
  return settings;
}

bool HasFocusIn(HWND control) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(control, nullptr), &info) &&
         (info.hwndFocus == control || IsChild(control, info.hwndFocus));
}

TEST_F(ClipHistory, WithoutAMouseSettingsChoosesAnotherHotKeyThatWorksAtOnce) {
  StartWithFiles("newest" + kMarker + "0000100000001\r\n",
                 "/:hdr:\\0000100000001\r\nnewest\r\n/:tlr:\\0000100000001\r\n");
  WaitForFirstActivation(MOD_CONTROL | MOD_ALT, VK_DOWN);
  HWND settings = OpenSettings(program);
  ASSERT_TRUE(settings);
  HWND hotKeyBox = FindHotKeyBox(settings);
  ASSERT_TRUE(hotKeyBox);
  // OK has the focus first; the next tab stop is the hot-key box, where Down picks the
  // next choice.
  ASSERT_TRUE(PressKey(VK_TAB));
  ASSERT_TRUE(Eventually([&] { return HasFocusIn(hotKeyBox); }, "the focus in the hot-key box"));
  ASSERT_TRUE(PressKey(VK_DOWN));
  ASSERT_TRUE(Eventually([&] { return WindowText(hotKeyBox) == "Ctrl+Shift+Down"; },
                         "the next choice"));
  ASSERT_TRUE(PressKey(VK_RETURN));
  ASSERT_TRUE(Eventually([&] { return !IsWindowVisible(settings); }, "the dialog to close"));

  TargetWindow target;
  ASSERT_TRUE(target.BringToFront());
  ASSERT_TRUE(PressKey(VK_DOWN, kCtrl | kShift));
  ASSERT_TRUE(Eventually([&] { return IsWindowVisible(main) != FALSE; }, "the clip window"));
  ASSERT_TRUE(PressKey('1'));
  EXPECT_TRUE(Eventually([&] { return target.Text() == "newest"; }, "the paste"))
      << "target holds: " << target.Text();

  EXPECT_EQ(program.Close(), 0u);
  const std::string ini = folder.ReadFile("qvavad.ini").value_or("");
  EXPECT_NE(ini.find("ComboBox1.Text=Ctrl+Shift+Down"), std::string::npos) << ini;
}

constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::optional<std::string> RunValue() {
  char value[1024] = {0};
  DWORD size = sizeof value;
  if (RegGetValueA(HKEY_CURRENT_USER, kRunKey, "Quorvel Vavad", RRF_RT_REG_SZ, nullptr, value,
                   &size) != ERROR_SUCCESS)
    return std::nullopt;
  return std::string(value);
}

// Every caption and every choice of the dialog fits the control that shows it.
void ExpectTextsFit(HWND dialog) {
  const std::vector<HWND> children = Children(dialog);
  // The dialog's font, "MS Sans Serif" 8 point, as this machine renders it (a font
  // handle of another process cannot be used here).
  HDC dc = GetDC(dialog);
  HFONT font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH, "MS Sans Serif");
  HGDIOBJ oldFont = SelectObject(dc, font);
  auto extent = [&](const std::string& text) {
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return static_cast<int>(size.cx);
  };
  int boxes = 0, lists = 0;
  for (HWND child : children) {
    RECT client;
    GetClientRect(child, &client);
    if (lstrcmpiA(WindowClass(child).c_str(), "Button") == 0) {
      ++boxes;
      const std::string text = WindowText(child);
      // The box, the gap the system leaves after it, and the caption.
      EXPECT_LE(GetSystemMetrics(SM_CXMENUCHECK) + 4 + extent(text), client.right) << text;
    } else if (lstrcmpiA(WindowClass(child).c_str(), "ComboBox") == 0) {
      ++lists;
      HWND edit = FindWindowExA(child, nullptr, "Edit", nullptr);
      ASSERT_TRUE(edit);
      GetClientRect(edit, &client);
      const int count = static_cast<int>(SendMessageA(child, CB_GETCOUNT, 0, 0));
      for (int i = 0; i < count; ++i) {
        char item[64] = {0};
        SendMessageA(child, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
        EXPECT_LE(extent(item), client.right) << item;
      }
    }
    // Nothing reaches past the dialog's client area by more than the design does.
    RECT inDialog = ScreenRect(child), dialogClient;
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&inDialog), 2);
    GetClientRect(dialog, &dialogClient);
    if (GetParent(child) == dialog) {
      EXPECT_LE(inDialog.right, dialogClient.right + 3) << WindowText(child);
    }
  }
  SelectObject(dc, oldFont);
  DeleteObject(font);
  ReleaseDC(dialog, dc);
  EXPECT_EQ(boxes, 3);
  EXPECT_EQ(lists, 2);
}

TEST_F(ClipHistory, StartWithWindowsWritesTheRunValueAndTheBoxReadsItBack) {
  struct RemoveAtEnd {
    ~RemoveAtEnd() { RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunKey, "Quorvel Vavad"); }
  } removeAtEnd;
  ASSERT_FALSE(RunValue());
  StartWithFiles("", "");
  WaitForFirstActivation(MOD_CONTROL | MOD_ALT, VK_DOWN);
  HWND settings = OpenSettings(program);
  ASSERT_TRUE(settings);
  ExpectTextsFit(settings);
  HWND startBox = FindChild(settings, "Start with Windows");
  ASSERT_TRUE(startBox);
  EXPECT_EQ(SendMessageA(startBox, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  // Back from OK, the box is the last tab stop.
  ASSERT_TRUE(PressKey(VK_TAB, kShift));
  ASSERT_TRUE(Eventually([&] { return HasFocusIn(startBox); }, "the focus on the box"));
  ASSERT_TRUE(PressKey(VK_SPACE));
  ASSERT_TRUE(Eventually([&] { return SendMessageA(startBox, BM_GETCHECK, 0, 0) == BST_CHECKED; },
                         "the box checked"));
  EXPECT_FALSE(RunValue());  // not before OK
  ASSERT_TRUE(PressKey(VK_RETURN));
  ASSERT_TRUE(Eventually([&] { return RunValue().has_value(); }, "the Run value"));
  EXPECT_EQ(lstrcmpiA(RunValue()->c_str(), ("\"" + program.ExePath() + "\"").c_str()), 0)
      << *RunValue();

  // Shown again, the box says so; unchecked and OK, the value goes.
  settings = OpenSettings(program);
  ASSERT_TRUE(settings);
  EXPECT_EQ(SendMessageA(startBox, BM_GETCHECK, 0, 0), BST_CHECKED);
  ASSERT_TRUE(Eventually([&] { return HasFocusIn(startBox); }, "the focus back on the box"));
  ASSERT_TRUE(PressKey(VK_SPACE));
  ASSERT_TRUE(PressKey(VK_RETURN));
  ASSERT_TRUE(Eventually([&] { return !RunValue().has_value(); }, "the Run value removed"));
  EXPECT_EQ(program.Close(), 0u);
  EXPECT_EQ(folder.ReadFile("qvavad.ini").value_or("").find("Startup"), std::string::npos);
}

// qvclips.exe beside the program, run from another folder on the files the program wrote.
TEST_F(ClipHistory, TheClipToolReadsChecksAndRepairsTheFilesTheProgramWrote) {
  const std::string tool = folder.File("qvclips.exe");
  ASSERT_TRUE(CopyFileA((DriverFolder() + "qvclips.exe").c_str(), tool.c_str(), FALSE));
  StartWithFiles("", "");
  CopyAndWait("alpha");
  CopyAndWait("Beta line\r\nsecond \xE9");
  // The program writes its files when it ends: a repair now would be overwritten.
  auto repair = RunConsole(tool, "repair", elsewhere.Path());
  ASSERT_TRUE(repair);
  EXPECT_EQ(repair->exitCode, 2u);
  EXPECT_NE(repair->err.find("running"), std::string::npos) << repair->err;
  EXPECT_FALSE(folder.Exists("Lb1.qvl.bak"));
  EXPECT_EQ(program.Close(), 0u);

  const std::string list = ListFile();
  const std::vector<std::string> ids = ListFileIds(list);
  ASSERT_EQ(ids.size(), 2u);
  auto run = [&](const std::string& arguments) {
    auto result = RunConsole(tool, arguments, elsewhere.Path());
    return result.value_or(ConsoleResult{0xFFFF, "", "did not run"});
  };
  ConsoleResult result = run("list");
  EXPECT_EQ(result.exitCode, 0u) << result.err;
  EXPECT_EQ(result.out, "1   " + ids[0] + "  Beta line...\n2   " + ids[1] + "  alpha\n");
  result = run("show 1");
  EXPECT_EQ(result.exitCode, 0u) << result.err;
  // UTF-8, as a paste gives it; no CR added to the output.
  EXPECT_EQ(result.out, "Beta line\r\nsecond \xC3\xA9");
  result = run("search ALPHA");
  EXPECT_EQ(result.exitCode, 0u);
  EXPECT_EQ(result.out, "2   " + ids[1] + "  alpha\n");
  // The word (given here in UTF-8, as the driver starts programs through the wide calls)
  // arrives in the ANSI code page; it is looked for, and the line given, in UTF-8.
  result = run("search \xC3\xA9");
  EXPECT_EQ(result.exitCode, 0u) << result.err;
  EXPECT_EQ(result.out, "1   " + ids[0] + "  second \xC3\xA9\n");
  result = run("export --json --codepage 1252");
  EXPECT_EQ(result.exitCode, 0u) << result.err;
  EXPECT_NE(result.out.find("\"text\": \"Beta line\\r\\nsecond \xC3\xA9\""), std::string::npos)
      << result.out;
  result = run("check");
  EXPECT_EQ(result.exitCode, 0u) << result.out;

  // A list line whose text is gone: found, then dropped with the originals kept aside.
  const std::string damaged = list + "ghost" + kMarker + "0000900000009\r\n";
  ASSERT_TRUE(folder.WriteFile("Lb1.qvl", damaged));
  result = run("check");
  EXPECT_EQ(result.exitCode, 1u);
  EXPECT_EQ(result.out, "Lb1.qvl line 3 (slot 3): clip 0000900000009 has no text in vqclips.qvl\n"
                        "1 problem\n");
  result = run("repair");
  EXPECT_EQ(result.exitCode, 0u) << result.err;
  EXPECT_EQ(folder.ReadFile("Lb1.qvl.bak"), damaged);
  EXPECT_EQ(ListFile(), list);
  EXPECT_EQ(run("check").exitCode, 0u);
  result = run("show 3");
  EXPECT_EQ(result.exitCode, 1u);
  // Messages keep the console's text mode; only the output is written byte for byte.
  EXPECT_EQ(result.err, "No clip at slot 3: the list has 2 lines\r\n");
}

}  // namespace
}  // namespace qv::e2e
