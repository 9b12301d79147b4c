#include <gtest/gtest.h>

#include <utility>

#include "framework/ShortCuts.h"

namespace qv {
namespace {

// The texts the program itself uses and what RegisterHotKey is given for them.
TEST(ShortCuts, ProgramTextsGiveTheirValuesAndHotKeyParts) {
  struct Row {
    const char* text;
    TShortCut value;
    unsigned modifiers;
    std::uint8_t vk;
  };
  const Row rows[] = {
      {"Ctrl+Alt+Down", 49192, 3, 0x28},    {"Ctrl+Shift+Down", 24616, 6, 0x28},
      {"Ctrl+Shift+Up", 24614, 6, 0x26},    {"Ctrl+Shift+Left", 24613, 6, 0x25},
      {"Ctrl+Shift+Right", 24615, 6, 0x27}, {"F5", 116, 0, 0x74},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    const TShortCut sc = TextToShortCut(r.text);
    EXPECT_EQ(sc, r.value);
    EXPECT_EQ(HotKeyModifiers(sc), r.modifiers);
    EXPECT_EQ(HotKeyVirtualKey(sc), r.vk);
  }
  for (int n = 2; n <= 12; ++n) {
    const std::string text = "F" + std::to_string(n);
    EXPECT_EQ(TextToShortCut(text), 111 + n) << text;
    EXPECT_EQ(HotKeyModifiers(TextToShortCut(text)), 0u) << text;
  }
}

TEST(ShortCuts, ModifiersInAnyOrderAndCase) {
  EXPECT_EQ(TextToShortCut("alt+CTRL+down"), 0xC028);
  EXPECT_EQ(TextToShortCut("^Alt+Down"), 0xC028);
  EXPECT_EQ(TextToShortCut("Shift+^a"), 0x6041);
  EXPECT_EQ(TextToShortCut("sHiFt+aLt+cTrL+f24"), 0xE087);
  // Repeating a modifier is harmless.
  EXPECT_EQ(TextToShortCut("Ctrl+^Ctrl+X"), 0x4058);
}

TEST(ShortCuts, KeyNames) {
  const std::pair<const char*, TShortCut> keys[] = {
      {"F1", 0x70},    {"f24", 0x87},  {"0", 0x30},     {"9", 0x39},
      {"z", 0x5A},     {"f", 0x46},  // the letter, not a function key
      {"BKSP", 0x08},  {"Tab", 0x09},  {"enter", 0x0D}, {"Esc", 0x1B},
      {"Space", 0x20}, {"PgUp", 0x21}, {"PgDn", 0x22},  {"End", 0x23},
      {"Home", 0x24},  {"Ins", 0x2D},  {"Del", 0x2E}};
  for (const auto& [text, key] : keys) EXPECT_EQ(TextToShortCut(text), key) << text;
}

TEST(ShortCuts, EmptyOrUnknownKeyGivesZero) {
  for (const char* text :
       {"", "Ctrl+", "Shift+Alt+", "^", "F0", "F25", "F05", "Fx", "Ctrl", "Ctrl+Alt+Dwn",
        "Ctrl Down", " F5", "F5 ", "+", "Ctrl++", "AB", "Down+Ctrl", "Alt-X"}) {
    EXPECT_EQ(TextToShortCut(text), 0) << '"' << text << '"';
  }
}

TEST(ShortCuts, TextOfValueUsesMenuOrder) {
  EXPECT_EQ(ShortCutToText(0), "");
  EXPECT_EQ(ShortCutToText(0xC028), "Ctrl+Alt+Down");
  EXPECT_EQ(ShortCutToText(0xE041), "Shift+Ctrl+Alt+A");
  EXPECT_EQ(ShortCutToText(0x74), "F5");
  EXPECT_EQ(ShortCutToText(0x2087), "Shift+F24");
  EXPECT_EQ(ShortCutToText(0x8030), "Alt+0");
  EXPECT_EQ(ShortCutToText(0x22), "PgDn");
  // No name for the key: no text, whatever the modifiers.
  EXPECT_EQ(ShortCutToText(0x4000), "");
  EXPECT_EQ(ShortCutToText(0x4061), "");  // lower-case letter code is not a key here
  EXPECT_EQ(ShortCutToText(0x0128), "");  // bit 8 set: not a plain virtual key
}

TEST(ShortCuts, EveryTextRoundTrips) {
  for (unsigned v = 0; v <= 0xFFFF; ++v) {
    const std::string text = ShortCutToText(static_cast<TShortCut>(v));
    if (!text.empty()) {
      ASSERT_EQ(TextToShortCut(text), v) << text;
    }
  }
}

TEST(ShortCuts, HotKeyPartsIgnoreHighKeyBits) {
  // Bits 8-12 of the key code never reach the system.
  EXPECT_EQ(HotKeyVirtualKey(0x1F28), 0x28);
  EXPECT_EQ(HotKeyModifiers(0x1F28), 0u);
  EXPECT_EQ(HotKeyVirtualKey(0), 0);
  EXPECT_EQ(HotKeyModifiers(0), 0u);
  EXPECT_EQ(HotKeyModifiers(scShift), 4u);
  EXPECT_EQ(HotKeyModifiers(scCtrl), 2u);
  EXPECT_EQ(HotKeyModifiers(scAlt), 1u);
  EXPECT_EQ(HotKeyModifiers(0xFFFF), 7u);
  EXPECT_EQ(HotKeyVirtualKey(0xFFFF), 0xFF);
}

}  // namespace
}  // namespace qv
