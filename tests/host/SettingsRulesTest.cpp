#include <gtest/gtest.h>

#include "framework/ShortCuts.h"
#include "settings/SettingsLayout.h"
#include "settings/SettingsRules.h"

namespace qv {
namespace {

TEST(SettingsRules, HotKeysThatWouldTakeOrdinaryKeysAreRefused) {
  using P = THotKeyProblem;
  const std::pair<const char*, P> rows[] = {
      {"Ctrl+Alt+Down", P::hkOk},     {"Ctrl+Shift+Up", P::hkOk},  {"F2", P::hkOk},
      {"F24", P::hkOk},               {"Home", P::hkOk},           {"PgDn", P::hkOk},
      {"Down", P::hkOk},              {"Shift+F5", P::hkOk},       {"Ctrl+A", P::hkOk},
      {"Alt+Space", P::hkOk},         {"Ctrl+Alt+V", P::hkOk},     {"", P::hkNoKey},
      {"Ctrl+Alt+Dwn", P::hkNoKey},   {"Ctrl+", P::hkNoKey},       {"A", P::hkTypingKey},
      {"7", P::hkTypingKey},          {"Space", P::hkTypingKey},   {"Enter", P::hkTypingKey},
      {"Del", P::hkTypingKey},        {"Shift+A", P::hkTypingKey}, {"Shift+Left", P::hkTypingKey},
      {"Ctrl+V", P::hkClipboardKey},  {"^c", P::hkClipboardKey},   {"Ctrl+X", P::hkClipboardKey},
      {"Ctrl+Ins", P::hkClipboardKey}, {"Shift+Ins", P::hkClipboardKey},
      {"Shift+Del", P::hkClipboardKey},
  };
  for (const auto& [text, problem] : rows)
    EXPECT_EQ(CheckHotKey(TextToShortCut(text)), problem) << text;
  // Bits 8-12 never reach the system: a key whose low byte is 0 is no key.
  EXPECT_EQ(CheckHotKey(0x0100 | scCtrl), P::hkNoKey);
}

TEST(SettingsRules, PasteDelayIsAWholeNumberWithinFiveSeconds) {
  struct Row {
    const char* text;
    int ms;
    bool valid, whole;
  };
  const Row rows[] = {
      {"0", 0, true, true},           {"100", 100, true, true},
      {"5000", 5000, true, true},     {"5001", 5000, false, true},
      {"99999999", 5000, false, true}, {"99999999999999999999999", 5000, false, true},
      {"-1", 0, false, true},         {"soon", 100, false, false},
      {"", 100, false, false},        {"1e3", 100, false, false},
      {" 250", 100, false, false},    {"-", 100, false, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    const TPasteDelayChoice c = ReadPasteDelay(r.text);
    EXPECT_EQ(c.Milliseconds, r.ms);
    EXPECT_EQ(c.Valid, r.valid);
    EXPECT_EQ(c.WholeNumber, r.whole);
  }
}

TEST(SettingsRules, APlaceIsReachableWhileEnoughOfItsTopStripIsOnAMonitor) {
  const std::vector<TScreenRect> two{{0, 0, 1280, 1000}, {1280, 0, 2560, 1000}};
  const auto at = [](int left, int top) { return TScreenRect{left, top, left + 240, top + 200}; };
  EXPECT_TRUE(IsReachablePlacement(at(100, 100), two));
  EXPECT_TRUE(IsReachablePlacement(at(2000, 500), two));  // on the second monitor
  EXPECT_TRUE(IsReachablePlacement(at(-200, 100), two));  // 40 pixels still to grab
  EXPECT_FALSE(IsReachablePlacement(at(-201, 100), two));
  EXPECT_FALSE(IsReachablePlacement(at(-30000, 50), two));
  EXPECT_FALSE(IsReachablePlacement(at(100, 1000), two));  // below every monitor
  EXPECT_TRUE(IsReachablePlacement(at(100, -19), two));   // one row of the strip left
  EXPECT_FALSE(IsReachablePlacement(at(100, -20), two));   // the caption above the screen
  EXPECT_FALSE(IsReachablePlacement(at(100, 100), {}));
  EXPECT_FALSE(IsReachablePlacement({100, 100, 100, 300}, two));  // no width at all
}

TEST(SettingsRules, TheRunValueQuotesTheExeAndIsReadBackWithOrWithoutQuotes) {
  const std::string exe = "C:\\Program Files\\Quorvel\\qvavad.exe";
  EXPECT_EQ(StartupCommand(exe), "\"C:\\Program Files\\Quorvel\\qvavad.exe\"");
  EXPECT_TRUE(StartsThisExe(StartupCommand(exe), exe));
  EXPECT_TRUE(StartsThisExe("  \"c:\\program files\\quorvel\\QVAVAD.EXE\" /min", exe));
  EXPECT_TRUE(StartsThisExe(exe, exe));  // written unquoted by hand
  EXPECT_FALSE(StartsThisExe("\"C:\\Other\\qvavad.exe\"", exe));
  EXPECT_FALSE(StartsThisExe("\"C:\\Program Files\\Quorvel\\qvavad.exe.bak\"", exe));
  EXPECT_FALSE(StartsThisExe("", exe));
  EXPECT_FALSE(StartsThisExe("\"\"", ""));
  EXPECT_EQ(StartupProgram("\"C:\\a b\\q.exe"), "C:\\a b\\q.exe");  // no closing quote
}

// Where a start looks whether the registered exe is surely gone: never past its drive or
// share, and nowhere for a path it cannot read as Windows would.
TEST(SettingsRules, TheRunValuesProgramIsLookedForDownToItsDriveOrShare) {
  using Folders = std::vector<std::string>;
  EXPECT_EQ(StartupProgramFolders("C:\\Tools\\QV\\qvavad.exe"),
            (Folders{"C:\\Tools\\QV", "C:\\Tools", "C:\\"}));
  EXPECT_EQ(StartupProgramFolders("e:/qvavad.exe"), (Folders{"e:/"}));
  EXPECT_EQ(StartupProgramFolders("\\\\server\\share\\QV\\qvavad.exe"),
            (Folders{"\\\\server\\share\\QV", "\\\\server\\share\\"}));
  for (const char* unsure : {"", "qvavad.exe", "QV\\qvavad.exe", "\\qvavad.exe", "C:qvavad.exe",
                             "%LOCALAPPDATA%\\QV\\qvavad.exe", "C:\\%QV%\\qvavad.exe",
                             "\\\\server\\qvavad.exe", "\\\\?\\C:\\qvavad.exe"})
    EXPECT_EQ(StartupProgramFolders(unsure), Folders{}) << unsure;
}

// Widths of texts as the fonts of Windows give them: every one fits its control.
TSettingsTextWidths FittingWidths() {
  TSettingsTextWidths w;
  w.CheckBoxGlyph = 17;
  w.AutoSave = 200, w.Suppress = 138, w.Startup = 95;
  w.ComboChrome = 27;
  w.HotKeyChoice = 75, w.DelayChoice = 25;
  w.HotKeyLabel = 95, w.DelayLabel = 60, w.TitleLabel = 60, w.MakerLabel = 110;
  return w;
}

// Every control inside the dialog, none over another (the title labels lie on their panel).
// The design's auto-save box runs past the right edge; its caption does not, which the
// wider-texts case checks.
void ExpectEachControlHasItsOwnPlace(const TSettingsLayout& l) {
  const std::pair<const char*, TBox> boxes[] = {
      {"title", l.TitlePanel}, {"auto save", l.AutoSave}, {"suppress", l.Suppress},
      {"sort", l.Sort}, {"hot key label", l.HotKeyLabel}, {"delay label", l.DelayLabel},
      {"hot key", l.HotKey}, {"delay", l.Delay}, {"ok", l.Ok}, {"startup", l.Startup}};
  for (const auto& [name, box] : boxes) {
    EXPECT_GE(box.Left, 0) << name;
    EXPECT_GE(box.Top, 0) << name;
    EXPECT_LT(box.Left, l.ClientWidth) << name;
    EXPECT_LE(box.Top + box.Height, l.ClientHeight) << name;
  }
  for (const auto& [a, p] : boxes)
    for (const auto& [b, q] : boxes)
      if (a < b)
        EXPECT_TRUE(p.Right() <= q.Left || q.Right() <= p.Left || p.Top + p.Height <= q.Top ||
                    q.Top + q.Height <= p.Top)
            << a << " and " << b;
}

TEST(SettingsRules, TextsThatFitLeaveTheDesignAsItIs) {
  const TSettingsLayout design = SettingsDesign();
  TSettingsLayout expected = design;
  const TSettingsTextWidths w = FittingWidths();
  expected.HotKeyLabel.Width = w.HotKeyLabel;
  expected.DelayLabel.Width = w.DelayLabel;
  expected.TitleLabel.Width = w.TitleLabel;
  expected.MakerLabel.Width = w.MakerLabel;
  EXPECT_EQ(FitSettingsTexts(design, w), expected);
  ExpectEachControlHasItsOwnPlace(expected);
}

TEST(SettingsRules, WiderTextsWidenTheirControlsAndMoveOnlyWhatTheyWouldCover) {
  const TSettingsLayout design = SettingsDesign();
  TSettingsTextWidths w = FittingWidths();
  // As a wider font measures them.
  w.AutoSave = 245, w.Suppress = 169, w.Startup = 108;
  w.HotKeyChoice = 92, w.HotKeyLabel = 111;
  const TSettingsLayout l = FitSettingsTexts(design, w);
  for (const auto& [box, text] : {std::pair{l.AutoSave, w.AutoSave},
                                  std::pair{l.Suppress, w.Suppress},
                                  std::pair{l.Startup, w.Startup}})
    EXPECT_GE(box.Width, w.CheckBoxGlyph + text);
  EXPECT_GE(l.HotKey.Width, w.ComboChrome + w.HotKeyChoice);
  // Neighbours keep the design's gaps; the delay column moves as one.
  EXPECT_EQ(l.Sort.Left - l.Suppress.Right(), design.Sort.Left - design.Suppress.Right());
  EXPECT_EQ(l.Delay.Left - l.HotKey.Right(), design.Delay.Left - design.HotKey.Right());
  EXPECT_EQ(l.DelayLabel.Left, l.Delay.Left);
  EXPECT_GT(l.DelayLabel.Left, l.HotKeyLabel.Right());
  // The dialog holds them all, a margin beside the widest.
  EXPECT_EQ(l.ClientWidth, l.AutoSave.Right() + 5);
  EXPECT_GE(l.ClientWidth, l.Delay.Right() + design.ClientWidth - design.Delay.Right());
  EXPECT_EQ(l.ClientWidth - l.TitlePanel.Right(), design.ClientWidth - design.TitlePanel.Right());
  // OK stays in the middle; nothing moves up or down.
  EXPECT_EQ(l.Ok.Left, design.Ok.Left + (l.ClientWidth - design.ClientWidth) / 2);
  for (const auto& [now, was] : {std::pair{l.Ok, design.Ok}, std::pair{l.Sort, design.Sort},
                                 std::pair{l.Startup, design.Startup}})
    EXPECT_EQ(now.Top, was.Top);
  EXPECT_EQ(l.ClientHeight, design.ClientHeight);
  ExpectEachControlHasItsOwnPlace(l);
}

}  // namespace
}  // namespace qv
