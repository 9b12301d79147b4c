#include <gtest/gtest.h>

#include "app/InstanceName.h"
#include "app/RecallRules.h"
#include "components/CheckStates.h"

namespace qv {
namespace {

TEST(RecallRules, SlotKeysAndTheLinesTheyPick) {
  EXPECT_EQ(SlotOfKey('1'), 0);
  EXPECT_EQ(SlotOfKey('9'), 8);
  EXPECT_EQ(SlotOfKey('0'), 9);
  EXPECT_EQ(SlotOfKey('A'), 10);
  EXPECT_EQ(SlotOfKey('Z'), 35);
  for (unsigned key : {0x60u /* keypad 0 */, 0x70u /* F1 */, unsigned('a'), 0u, 0x5Bu})
    EXPECT_EQ(SlotOfKey(key), -1) << key;
  // At the top every key picks its own line; scrolled, the labels above the
  // first shown line belong to the second column.
  EXPECT_EQ(SlotLine(0, 0), 0);
  EXPECT_EQ(SlotLine(35, 0), 35);
  EXPECT_EQ(SlotLine(0, 5), 36);
  EXPECT_EQ(SlotLine(4, 5), 40);
  EXPECT_EQ(SlotLine(5, 5), 5);
}

TEST(RecallRules, LinesAreNamedByTheirLabelThenByTheirNumber) {
  const std::pair<int, const char*> names[] = {{0, "1"}, {8, "9"}, {9, "0"}, {10, "A"},
                                               {35, "Z"}, {36, "37"}, {99, "100"}};
  for (const auto& [index, name] : names) {
    EXPECT_EQ(LineLabel(index), name);
    EXPECT_EQ(IndexOfLineLabel(name), index) << name;
  }
  EXPECT_EQ(SlotLabel(36), '\0');
  EXPECT_EQ(SlotLabel(-1), '\0');
  // Letters in either case; numbers name lines counted from 1, so "10" is the line of "0".
  EXPECT_EQ(IndexOfLineLabel("z"), 35);
  EXPECT_EQ(IndexOfLineLabel("10"), 9);
  for (const char* bad : {"", "00", "012", "-3", "1a", "!", " 1", "9999999999"})
    EXPECT_EQ(IndexOfLineLabel(bad), -1) << bad;
  // A reader hears a row's place and the label beside it; past the labels, the place alone.
  EXPECT_EQ(RowPlace(12, 40), "13 of 40, slot C");
  EXPECT_EQ(RowPlace(48, 100), "49 of 100, slot C");
  EXPECT_EQ(RowPlace(72, 100), "73 of 100");
}

// A running program and a tool of another version must still name a folder alike; another
// account names it otherwise, so it cannot take this user's name.
TEST(InstanceName, IsAFixedHashOfTheUserAndTheFolder) {
  const std::string user = "S-1-5-21-1-2-3-1001";
  EXPECT_EQ(InstanceObjectName(user, "C:\\QV"),
            "Local\\QuorvelVavad.df927cae89dc1b3e.59307a5b364caf83");
  EXPECT_EQ(InstanceObjectName(user, "C:\\QV", true),
            "Global\\QuorvelVavad.df927cae89dc1b3e.59307a5b364caf83");
  EXPECT_EQ(InstanceObjectName("S-1-5-21-1-2-3-1002", "C:\\QV"),
            "Local\\QuorvelVavad.df927bae89dc198b.59307a5b364caf83");
  EXPECT_EQ(InstanceObjectName("", ""), "Local\\QuorvelVavad.cbf29ce484222325.cbf29ce484222325");
}

TEST(RecallRules, SuffixesAddTheirBreaksOnePreferredOverTheOther) {
  EXPECT_EQ(WithRecallSuffix("x", false, false), "x");
  EXPECT_EQ(WithRecallSuffix("x", true, false), "x\r\n");
  EXPECT_EQ(WithRecallSuffix("x", false, true), "x\r\n\n");
  EXPECT_EQ(WithRecallSuffix("x", true, true), "x\r\n");
}

std::string Lines(int n) {
  std::string text;
  for (int i = 0; i < n; ++i) text += (i ? "\r\n" : "") + std::to_string(i);
  return text;
}

TEST(RecallRules, PreviewsKeep45LinesAndShowBarsAsBrokenBars) {
  EXPECT_EQ(PreviewHintText(Lines(44)), Lines(44));
  EXPECT_EQ(PreviewHintText(Lines(45)), Lines(45) + "...");
  EXPECT_EQ(PreviewHintText(Lines(100)), Lines(45) + "...");
  EXPECT_EQ(PreviewHintText("a|b||"), "a\xC2\xA6" "b\xC2\xA6\xC2\xA6");
  EXPECT_EQ(PreviewHintText("one\r\ntwo\r\n"), "one\r\ntwo");  // a range ends with a break
  EXPECT_EQ(PreviewHintText(""), "");
}

TEST(CheckStates, AClickCyclesThroughTheStates) {
  using S = TCheckBoxState;
  EXPECT_EQ(NextCheckState(S::cbUnchecked, false), S::cbChecked);
  EXPECT_EQ(NextCheckState(S::cbUnchecked, true), S::cbGrayed);
  EXPECT_EQ(NextCheckState(S::cbGrayed, false), S::cbChecked);
  EXPECT_EQ(NextCheckState(S::cbGrayed, true), S::cbChecked);
  EXPECT_EQ(NextCheckState(S::cbChecked, true), S::cbUnchecked);
}

// Ctrl goes down before any held modifier is let up, and V only after them all.
TEST(RecallRules, PasteIsExactlyCtrlVWhateverIsStillHeld) {
  using S = TKeyStroke;
  EXPECT_EQ(ExactCtrlVStrokes({}),
            (std::vector<S>{{0x11, false}, {'V', false}, {'V', true}, {0x11, true}}));
  // Left Shift, right Alt and the Windows key held; Ctrl and a letter are no concern.
  EXPECT_EQ(ExactCtrlVStrokes({0xA0, 0x11, 0xA5, 'Q', 0x5B}),
            (std::vector<S>{{0x11, false},
                            {0xA0, true},
                            {0xA5, true},
                            {0x5B, true},
                            {'V', false},
                            {'V', true},
                            {0x11, true}}));
}

}  // namespace
}  // namespace qv
