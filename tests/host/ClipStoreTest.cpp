#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "app/ClipStore.h"
#include "framework/SysUtils.h"

namespace qv {
namespace {

// A fake font: every character 6 pixels wide, except 'W' (11).
int FakeWidth(const std::string& s) {
  int w = 0;
  for (char c : s) w += c == 'W' ? 11 : 6;
  return w;
}

std::string Line(const std::string& text, const std::string& id) {
  return MakeListLine(BuildDisplayText(text, FakeWidth), id);
}

TEST(ClipStore, BlocksAndListLines) {
  EXPECT_EQ(MakeListLine("hello", "0001234000056"),
            "hello" + std::string(70, ' ') + "/:hdr:\\0001234000056");
  TClipStore store;
  ASSERT_TRUE(store.AddClip("hello", "1111111111111"));
  ASSERT_TRUE(store.AddClip("", "2222222222222"));           // header, one empty line, trailer
  ASSERT_TRUE(store.AddClip("a\r\nb\nc", "3333333333333"));  // five lines
  ASSERT_TRUE(store.AddClip("ends with a break\r\n", "4444444444444"));
  EXPECT_EQ(store.Text(),
            "/:hdr:\\4444444444444\r\nends with a break\r\n\r\n/:tlr:\\4444444444444\r\n"
            "/:hdr:\\3333333333333\r\na\r\nb\r\nc\r\n/:tlr:\\3333333333333\r\n"
            "/:hdr:\\2222222222222\r\n\r\n/:tlr:\\2222222222222\r\n"
            "/:hdr:\\1111111111111\r\nhello\r\n/:tlr:\\1111111111111");
  EXPECT_EQ(store.Locate(Line("ends with a break\r\n", "4444444444444")), "ends with a break\r\n");
  EXPECT_EQ(store.Locate(Line("", "2222222222222")), "");
}

TEST(ClipStore, IdsComeFromTheSeedSequenceAndTheTickCount) {
  EXPECT_EQ(TClipIdGenerator::FormatId(1234, 56), "0001234000056");
  EXPECT_EQ(TClipIdGenerator::FormatId(123456789, 123456789), "1234567123456");
  // Each run starts from seed 0; the first draw of each id is thrown away.
  TClipIdGenerator a([] { return 1000000u; });
  EXPECT_EQ(a.Next(), "0031379861048");
  EXPECT_EQ(a.Next(), "0272921671654");
  // Above 2^31 ticks the draws can pass the signed range; they keep their "-".
  const uint32_t ticks[] = {5, 1000000, 0xFFFFFFFFu};
  int reads = 0;
  TClipIdGenerator b([&] { return ticks[reads++ % 3]; });
  EXPECT_EQ(b.Next(), "0031379-59679");
  EXPECT_EQ(reads, 3);  // the tick count is read afresh for every draw
}

TEST(ClipStore, ATakenIdIsDrawnAgain) {
  TClipIdGenerator first([] { return 1000000u; });
  const std::string taken = first.Next(), next = first.Next();
  TClipStore store;
  ASSERT_TRUE(store.AddClip("x", taken));
  TClipIdGenerator again([] { return 1000000u; });
  EXPECT_EQ(NextUniqueClipId(again, store), next);
  EXPECT_EQ(again.Seed(), first.Seed());  // three more draws, no more

  // Header lines inside clip text are taken too, but only as whole lines.
  ASSERT_TRUE(store.AddClip("copied:\r\n/:HDR:\\0000000000042\r\nsee /:hdr:\\0000000000043", "1"));
  EXPECT_TRUE(store.HasHeaderKey("0000000000042"));
  EXPECT_FALSE(store.HasHeaderKey("0000000000043"));
  store.Clear();
  EXPECT_FALSE(store.HasHeaderKey(taken));

  // A clock stuck at zero has a single id; the redraw gives up rather than hang.
  TClipIdGenerator stuck([] { return 0u; });
  ASSERT_TRUE(store.AddClip("x", "0000000000000"));
  EXPECT_EQ(NextUniqueClipId(stuck, store), "0000000000000");
}

TEST(ClipStore, LocateIsNotFooledByClipText) {
  TClipStore store;
  ASSERT_TRUE(store.AddClip("older", "0000000000001"));
  // Keys inside longer lines, a marker in the display text, copied list lines.
  const std::string tricky =
      "x/:hdr:\\0000000000001\r\n/:tlr:\\0000000000001 and more\r\n/:hdr:\\00000000000012\r\n" +
      MakeListLine("older", "0000000000001");
  ASSERT_TRUE(store.AddClip(tricky, "0000000000002"));
  ASSERT_TRUE(store.AddClip("decoy", "0000000000000"));
  EXPECT_EQ(store.Locate(Line("older", "0000000000001")), "older");
  EXPECT_EQ(store.Locate(Line(tricky, "0000000000002")), tricky);
  EXPECT_EQ(store.Locate("a /:hdr:\\0000000000000" + Line("x", "0000000000002")), tricky);

  // A whole header line in a newer clip wins: first whole line from the top, then the
  // first trailer line after it.
  ASSERT_TRUE(store.AddClip("/:hdr:\\0000000000001\r\ninside", "0000000000003"));
  const auto found = store.Locate(Line("x", "0000000000001"));
  ASSERT_TRUE(found);
  EXPECT_EQ(found->substr(0, 30), "inside\r\n/:tlr:\\0000000000003\r\n");
  EXPECT_EQ(found->substr(found->size() - 27), "/:hdr:\\0000000000001\r\nolder");
}

TEST(ClipStore, NotFoundIsNotAnEmptyText) {
  TTextBuffer store;
  store.SetText(
      "/:TLR:\\0000000000009\r\n"  // a trailer above its header does not close it
      "/:HDR:\\0000000000009\r\n\r\n/:tlr:\\0000000000009\r\n"
      "/:hdr:\\0000000000008\r\nno trailer\r\n"
      "/:hdr:\\0000000000005");
  EXPECT_EQ(LocateClipText(store, Line("", "0000000000009")), "");  // case ignored
  EXPECT_EQ(LocateClipText(store, Line("x", "0000000000008")), std::nullopt);
  EXPECT_EQ(LocateClipText(store, Line("x", "0000000000005")), std::nullopt);
  EXPECT_EQ(LocateClipText(store, Line("x", "0000000000004")), std::nullopt);
  EXPECT_EQ(LocateClipText(store, "a list line edited by hand"), std::nullopt);
  EXPECT_EQ(LocateClipText(store, std::string(kListLineMarker) + "000000000009"), std::nullopt);
}

TEST(ClipStore, DisplayLineIsTheFirstNonBlankLine) {
  struct Case {
    std::string text, line;
    int lines;
  };
  for (const Case& c :
       std::vector<Case>{{"", "", 0},
                         {"hello\r\n", "hello", 1},
                         {"short\nsecond", "short", 2},
                         {"\r\n \t\r\n\x01\x1f\r  \tword  \r\nrest", "  \tword  ", 5},
                         {"   \r\n\t", "   ", 2},
                         {"\xa0x", "\xa0x", 1},
                         {std::string(4096, ' ') + "x\r\nnext", "next", 2}}) {
    const TDisplayLine d = ChooseDisplayLine(c.text);
    EXPECT_EQ(d.line, c.line) << '"' << c.text << '"';
    EXPECT_EQ(d.lineCount, c.lines) << '"' << c.text << '"';
  }
  EXPECT_EQ(BuildDisplayText("\r\n  \r\nhello", FakeWidth), "hello...");
  EXPECT_EQ(BuildDisplayText(std::string(40, 'W'), FakeWidth), std::string(16, 'W') + "...");
  EXPECT_EQ(BuildDisplayText(std::string(30, 'a'), FakeWidth), std::string(30, 'a'));  // 180
}

// The rule the cut must agree with: take off one character at a time while too wide.
std::string CutOneAtATime(std::string s, const TTextWidthFunction& width) {
  while (width(s) > kDisplayWidthLimit) s.pop_back();
  return s;
}

TEST(ClipStore, CutAgreesWithOneAtATimeInFewMeasurements) {
  std::mt19937 rng(2024);
  for (int round = 0; round < 304; ++round) {
    // Random glyph widths; zero widths make plateaus. The last rounds cut a 4096-character
    // line in a font whose glyphs are at least 1 to 4 pixels wide, as real fonts are.
    const bool longLine = round >= 300;
    std::vector<int> glyph(256);
    for (int& w : glyph) w = static_cast<int>(rng() % 14) + (longLine ? round - 299 : 0);
    int calls = 0;
    TTextWidthFunction width = [&](const std::string& s) {
      ++calls;
      int w = 0;
      for (unsigned char c : s) w += glyph[c];
      return w;
    };
    std::string s(longLine ? 4096 : rng() % 600, ' ');
    for (char& c : s) c = static_cast<char>(rng());
    const TCutResult cut = CutToWidth(s, width, kDisplayWidthLimit);
    EXPECT_LE(calls, longLine ? 12 : 30);
    const std::string slow = CutOneAtATime(s, width);
    ASSERT_EQ(cut.text, slow) << "round " << round;
    ASSERT_EQ(cut.truncated, slow.size() < s.size()) << "round " << round;
  }
}

TEST(ClipStore, ABlockThatWouldOverfillTheStoreIsRefusedWhole) {
  const size_t overhead = MakeBlock("0000000000001", "").size();
  TClipStore store;
  EXPECT_FALSE(store.AddClip(std::string(kStoreCapacity - overhead + 1, 'x'), "0000000000001"));
  ASSERT_TRUE(store.AddClip(std::string(kStoreCapacity / 2, 'a'), "0000000000001"));
  const size_t used = store.Size();
  const size_t room = kStoreCapacity - used - 2 - overhead;  // 2 for the joining break
  EXPECT_FALSE(store.AddClip(std::string(room + 1, 'b'), "0000000000002"));
  // Lone LFs are stored as CR LF and count so.
  EXPECT_FALSE(store.AddClip(std::string(room / 2 + 1, '\n'), "0000000000002"));
  EXPECT_EQ(store.Size(), used);
  EXPECT_FALSE(store.HasHeaderKey("0000000000002"));
  ASSERT_TRUE(store.AddClip(std::string(room, 'c'), "0000000000002"));
  EXPECT_EQ(store.Size(), kStoreCapacity);
}

TEST(ClipStore, FilesRoundTripAndRebuildTheIndex) {
  const std::string path =
      (std::filesystem::temp_directory_path() / "qv_clipstore_test.qvl").string();
  std::ofstream(path, std::ios::binary) << "/:hdr:\\0000000000001\nunix\n/:tlr:\\0000000000001\r";
  TClipStore store;
  store.LoadFromFile(path);
  ASSERT_TRUE(store.AddClip("new", "0000000000002"));
  EXPECT_TRUE(store.HasHeaderKey("0000000000001"));
  EXPECT_EQ(store.Locate(Line("unix", "0000000000001")), "unix");
  store.SaveToFile(path);
  std::ostringstream saved;
  saved << std::ifstream(path, std::ios::binary).rdbuf();
  EXPECT_EQ(saved.str(),
            "/:hdr:\\0000000000002\r\nnew\r\n/:tlr:\\0000000000002\r\n"
            "/:hdr:\\0000000000001\r\nunix\r\n/:tlr:\\0000000000001\r\n");

  std::filesystem::remove(path);
  try {
    store.LoadFromFile(path);
    ADD_FAILURE();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message(), "Cannot open file " + path);
  }
  EXPECT_EQ(store.Locate(Line("new", "0000000000002")), "new");  // unchanged
  store.Clear();
  store.SaveToFile(path);
  EXPECT_EQ(std::filesystem::file_size(path), 0u);
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace qv
