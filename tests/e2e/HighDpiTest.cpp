// The real qvavad.exe on a screen of 144 DPI (150 %): its windows are laid out for it and
// no caption is cut off.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/Harness.h"

namespace qv::e2e {
namespace {

// Wine takes a program's DPI from the prefix's LogPixels when the program starts. This
// sets it for one start and puts the old value back at once, so the scenarios that run
// after it (in the same prefix) see the screen as it was.
class LogPixels {
 public:
  explicit LogPixels(DWORD dpi) {
    RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0,
                    KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_, nullptr);
    DWORD size = sizeof old_;
    had_ = RegQueryValueExA(key_, "LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&old_),
                            &size) == ERROR_SUCCESS;
    if (RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                       sizeof dpi) != ERROR_SUCCESS)
      ADD_FAILURE() << "cannot set LogPixels: the program would start at the old DPI";
  }
  ~LogPixels() { Restore(); }
  LogPixels(const LogPixels&) = delete;
  LogPixels& operator=(const LogPixels&) = delete;

  void Restore() {
    if (!key_) return;
    const LONG restored = had_ ? RegSetValueExA(key_, "LogPixels", 0, REG_DWORD,
                                                reinterpret_cast<const BYTE*>(&old_), sizeof old_)
                               : RegDeleteValueA(key_, "LogPixels");
    if (restored != ERROR_SUCCESS)
      ADD_FAILURE() << "cannot put LogPixels back: later scenarios would see this DPI";
    RegCloseKey(key_);
    key_ = nullptr;
  }

 private:
  HKEY key_ = nullptr;
  DWORD old_ = 0;
  bool had_ = false;
};

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

// The caption's extent in the font the program gave the control, at the program's DPI.
SIZE CaptionExtent(HWND control, int fontHeight) {
  const std::string text = WindowText(control);
  HDC dc = GetDC(nullptr);
  HFONT font = CreateFontA(fontHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                           "MS Sans Serif");
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(nullptr, dc);
  return size;
}

TEST(HighDpi, AtOneHundredFiftyPercentTheClipsAndSettingsAreScaledAndNoCaptionIsCut) {
  TestFolder folder;
  Program program(folder);
  ASSERT_TRUE(EmptyClipboard());
  LogPixels screen(144);
  ASSERT_TRUE(program.Start());
  HWND main = program.MainWindow();
  ASSERT_TRUE(main);
  screen.Restore();

  // The clip window: 265 x 496 at 96 DPI (once created, the design's 395 less its hidden
  // part), its lines 13 pixels high.
  EXPECT_TRUE(Eventually([&] { return Width(ScreenRect(main)) == 398; }, "the window's width"))
      << Width(ScreenRect(main));
  // 496 x 1.5, and more where 36 whole lines of its fonts need it.
  EXPECT_GE(Height(ScreenRect(main)), 744);
  HWND clipList = nullptr, slotLabels = nullptr;
  for (HWND child : Children(main)) {
    if (lstrcmpiA(WindowClass(child).c_str(), "ListBox") != 0) continue;
    (Width(ScreenRect(child)) > 100 ? clipList : slotLabels) = child;
  }
  ASSERT_TRUE(clipList && slotLabels);
  EXPECT_EQ(Width(ScreenRect(clipList)), 374);
  EXPECT_GE(SendMessageA(clipList, LB_GETITEMHEIGHT, 0, 0), 20);
  EXPECT_EQ(SendMessageA(slotLabels, LB_GETITEMHEIGHT, 0, 0), 20);
  // Every labelled row shows whole, "Z" too.
  for (HWND list : {clipList, slotLabels}) {
    const LRESULT line = SendMessageA(list, LB_GETITEMHEIGHT, 0, 0);
    EXPECT_TRUE(Eventually([&] {
      RECT client;
      GetClientRect(list, &client);
      return client.bottom >= 36 * line;
    }, "36 whole rows"));
  }

  // The Settings dialog, from the tray menu: every check box holds its caption beside
  // its box, every label and combo box lies inside the dialog.
  for (UINT message : {WM_RBUTTONDOWN, WM_RBUTTONUP}) TrayNotice(program.ProcessId(), message);
  ASSERT_TRUE(Eventually(
      [&] {
        HWND menu = FindTopWindow("#32768", "", program.ProcessId());
        return menu && IsWindowVisible(menu);
      },
      "the tray menu"));
  ASSERT_TRUE(PressKey(VK_DOWN));
  ASSERT_TRUE(PressKey(VK_RETURN));
  HWND settings = program.WaitForWindow("TForm2", "Settings");
  ASSERT_TRUE(settings);
  ASSERT_TRUE(Eventually([&] { return IsWindowVisible(settings) != FALSE; }, "the dialog"));
  RECT client;
  GetClientRect(settings, &client);
  // 228 x 183 at 96 DPI, wider where a caption outgrew the design.
  EXPECT_GE(Width(client), 342);
  EXPECT_EQ(client.bottom, 275);
  const RECT inside = ScreenRect(settings);
  int checkBoxes = 0;
  for (HWND child : Children(settings)) {
    const RECT r = ScreenRect(child);
    const std::string text = WindowText(child);
    SCOPED_TRACE(WindowClass(child) + " \"" + text + "\"");
    EXPECT_GE(r.left, inside.left);
    EXPECT_LE(r.right, inside.right);
    if (lstrcmpiA(WindowClass(child).c_str(), "Button") != 0) continue;
    ++checkBoxes;
    // The box is as wide as a menu check mark at 144 DPI, 4 pixels apart from the text.
    const SIZE text144 = CaptionExtent(child, -17);
    EXPECT_GE(Width(r), 20 + 4 + text144.cx);
    EXPECT_GE(r.bottom - r.top, text144.cy);
  }
  EXPECT_EQ(checkBoxes, 3);

  // The dialog put the pointer on its OK button.
  POINT ok;
  ASSERT_TRUE(GetCursorPos(&ok));
  ASSERT_TRUE(Click(ok.x, ok.y));
  ASSERT_TRUE(Eventually([&] { return !IsWindowVisible(settings); }, "OK to close the dialog"));
  EXPECT_EQ(program.Close(), 0u);
  // The placement is stored at 96 DPI: the dialog's client area and its frame.
  const std::string ini = folder.ReadFile("qvavad.ini").value_or("");
  EXPECT_NE(ini.find("Width=2"), std::string::npos) << ini;
}

}  // namespace
}  // namespace qv::e2e
