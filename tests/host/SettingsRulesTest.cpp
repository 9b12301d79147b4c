#include <gtest/gtest.h>

#include "framework/ShortCuts.h"
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

}  // namespace
}  // namespace qv
