#include "app/ClipStore.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

#include "framework/SysUtils.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

const std::string kSpaces70(70, ' ');

// A fake font: every character 6 pixels wide, except 'i' (2) and 'W' (11).
int FakeWidth(const std::string& s) {
  int w = 0;
  for (char c : s) w += c == 'i' ? 2 : c == 'W' ? 11 : 6;
  return w;
}

TClipIdGenerator::TTickSource FixedTicks(uint32_t ticks) {
  return [ticks] { return ticks; };
}

// --- Formats -------------------------------------------------------------------------

TEST(ClipFormats, BlocksAndListLines) {
  EXPECT_EQ(kListLineMarker, kSpaces70 + "/:hdr:\\");
  EXPECT_EQ(kListLineMarker.size(), 77u);

  EXPECT_EQ(MakeBlock("0001234000056", "hello"),
            "/:hdr:\\0001234000056\r\nhello\r\n/:tlr:\\0001234000056");
  EXPECT_EQ(MakeListLine("hello", "0001234000056"),
            "hello" + kSpaces70 + "/:hdr:\\0001234000056");
  EXPECT_EQ(BuildDisplayText("hello", FakeWidth), "hello");

  // An empty clip is a header line, one empty line and a trailer line.
  TClipStore store;
  ASSERT_TRUE(store.AddClip("", "0000000000001"));
  EXPECT_EQ(store.Buffer().LineCount(), 3u);
  EXPECT_EQ(store.Buffer().Line(1), "");

  // Three lines make a five-line block, and the list line says there is more.
  store.Clear();
  ASSERT_TRUE(store.AddClip("first\r\nsecond\r\nthird", "0000000000002"));
  EXPECT_EQ(store.Buffer().LineCount(), 5u);
  EXPECT_EQ(BuildDisplayText("first\r\nsecond\r\nthird", FakeWidth), "first...");

  // A text ending with a line break keeps it, and shows no "...".
  store.Clear();
  ASSERT_TRUE(store.AddClip("one line\r\n", "0000000000003"));
  EXPECT_EQ(store.Text(), "/:hdr:\\0000000000003\r\none line\r\n\r\n/:tlr:\\0000000000003");
  EXPECT_EQ(BuildDisplayText("one line\r\n", FakeWidth), "one line");
  EXPECT_EQ(store.Locate(MakeListLine("one line", "0000000000003")), "one line\r\n");
}

TEST(ClipFormats, NewestBlockGoesOnTop) {
  TClipStore store;
  ASSERT_TRUE(store.AddClip("old", "1111111111111"));
  ASSERT_TRUE(store.AddClip("new", "2222222222222"));
  EXPECT_EQ(store.Text(),
            "/:hdr:\\2222222222222\r\nnew\r\n/:tlr:\\2222222222222\r\n"
            "/:hdr:\\1111111111111\r\nold\r\n/:tlr:\\1111111111111");
}

// --- Ids -------------------------------------------------------------------------------

TEST(ClipIds, FormatPadsAndCuts) {
  EXPECT_EQ(TClipIdGenerator::FormatId(1234, 56), "0001234000056");
  EXPECT_EQ(TClipIdGenerator::FormatId(123456789, 0), "1234567000000");
  EXPECT_EQ(TClipIdGenerator::FormatId(0, 123456789), "0000000123456");
  EXPECT_EQ(TClipIdGenerator::FormatId(-5, -56), "-000000-00005");  // the sign stays
}

TEST(ClipIds, DrawsFollowTheSeedSequence) {
  // Known sequences for fixed tick counts; the first draw of each id is thrown away.
  TClipIdGenerator a(FixedTicks(1000000));
  EXPECT_EQ(a.Next(), "0031379861048");
  EXPECT_EQ(a.Next(), "0272921671654");

  // A tick count above 2^31 gives draws past the signed range: they print negative.
  TClipIdGenerator b(FixedTicks(0xFFFFFFFFu));
  EXPECT_EQ(b.Next(), "1347758-59679");
  EXPECT_EQ(b.Next(), "1172187-14102");

  // Every run starts from the same seed.
  TClipIdGenerator c(FixedTicks(123456789)), d(FixedTicks(123456789));
  for (int i = 0; i < 5; ++i) EXPECT_EQ(c.Next(), d.Next());
  EXPECT_EQ(c.Seed(), d.Seed());
}

TEST(ClipIds, TickCountIsReadBeforeEachDraw) {
  std::vector<uint32_t> ticks = {5, 1000000, 0xFFFFFFFFu};
  size_t reads = 0;
  TClipIdGenerator g([&] { return ticks[reads++ % ticks.size()]; });
  const std::string id = g.Next();
  EXPECT_EQ(reads, 3u);
  // Draw 2 scales seed 134775814 by 1000000; draw 3 scales its successor by 2^32 - 1.
  const int32_t r1 = static_cast<int32_t>((uint64_t{1000000} * 134775814u) >> 32);
  EXPECT_EQ(id, TClipIdGenerator::FormatId(r1, -596792290));
}

TEST(ClipIds, ARepeatedIdIsDrawnAgain) {
  TClipIdGenerator first(FixedTicks(1000000));
  const std::string taken = first.Next();
  const std::string next = first.Next();

  TClipStore store;
  ASSERT_TRUE(store.AddClip("text", taken));
  EXPECT_TRUE(store.HasHeaderKey(taken));

  TClipIdGenerator again(FixedTicks(1000000));  // would draw `taken` first
  EXPECT_EQ(NextUniqueClipId(again, store), next);
  EXPECT_EQ(again.Seed(), first.Seed());  // three more draws, no more

  TClipIdGenerator fresh(FixedTicks(1000000));
  store.Clear();
  EXPECT_FALSE(store.HasHeaderKey(taken));
  EXPECT_EQ(NextUniqueClipId(fresh, store), taken);
}

TEST(ClipIds, HeaderLinesInsideClipTextCountAsTaken) {
  TClipStore store;
  ASSERT_TRUE(store.AddClip("pasted from the store:\r\n/:HDR:\\0000000000042\r\nmore", "1"));
  EXPECT_TRUE(store.HasHeaderKey("0000000000042"));  // a whole line, case ignored
  ASSERT_TRUE(store.AddClip("see /:hdr:\\0000000000043 here", "2"));
  EXPECT_FALSE(store.HasHeaderKey("0000000000043"));  // only part of a line
  EXPECT_FALSE(store.HasHeaderKey("000000000004"));
}

TEST(ClipIds, AStuckClockDoesNotHang) {
  TClipStore store;
  TClipIdGenerator g(FixedTicks(0));
  const std::string id = g.Next();
  EXPECT_EQ(id, "0000000000000");
  ASSERT_TRUE(store.AddClip("x", id));
  EXPECT_EQ(NextUniqueClipId(g, store), id);  // no other id exists; it gives up
}

// --- Locate ----------------------------------------------------------------------------

TEST(ClipLocate, EachListLineFindsItsOwnText) {
  TClipStore store;
  const std::vector<std::pair<std::string, std::string>> clips = {
      {"0000001000001", "first"},
      {"0000002000002", ""},
      {"0000003000003", "two\r\nlines\r\n"},
      {"-000004000004", "  indented"}};
  for (const auto& [id, text] : clips) ASSERT_TRUE(store.AddClip(text, id));
  for (const auto& [id, text] : clips) {
    const auto found = store.Locate(MakeListLine(BuildDisplayText(text, FakeWidth), id));
    ASSERT_TRUE(found.has_value()) << id;
    EXPECT_EQ(*found, text);
  }
}

TEST(ClipLocate, AMarkerInTheDisplayTextDoesNotHideTheId) {
  TClipStore store;
  const std::string text = "path /:hdr:\\0000000000000 in it";
  ASSERT_TRUE(store.AddClip(text, "0000123000456"));
  ASSERT_TRUE(store.AddClip("decoy", "0000000000000"));
  const std::string line = MakeListLine(BuildDisplayText(text, FakeWidth), "0000123000456");
  EXPECT_EQ(ListLineId(line), "0000123000456");
  EXPECT_EQ(store.Locate(line), text);
}

TEST(ClipLocate, OnlyWholeLinesOfTheStoreMatch) {
  TClipStore store;
  ASSERT_TRUE(store.AddClip("older text", "0000000000001"));
  // A newer clip that mentions the older clip's keys inside longer lines.
  ASSERT_TRUE(store.AddClip(
      "x/:hdr:\\0000000000001\r\n/:tlr:\\0000000000001 and more\r\n/:hdr:\\00000000000012",
      "0000000000002"));
  EXPECT_EQ(store.Locate(MakeListLine("older text", "0000000000001")), "older text");

  // A newer clip that holds the older clip's header as a whole line is found first: the
  // lookup takes the first whole line from the top, then the first trailer after it.
  ASSERT_TRUE(store.AddClip("/:hdr:\\0000000000001\r\ninside", "0000000000003"));
  EXPECT_EQ(store.Locate(MakeListLine("x", "0000000000001")),
            "inside\r\n/:tlr:\\0000000000003\r\n"
            "/:hdr:\\0000000000002\r\n"
            "x/:hdr:\\0000000000001\r\n/:tlr:\\0000000000001 and more\r\n/:hdr:\\00000000000012\r\n"
            "/:tlr:\\0000000000002\r\n/:hdr:\\0000000000001\r\nolder text");
}

TEST(ClipLocate, CopiedListFileLinesInAClipAreHarmless) {
  TClipStore store;
  ASSERT_TRUE(store.AddClip("alpha", "0000000000011"));
  ASSERT_TRUE(store.AddClip("beta", "0000000000022"));
  const std::string copiedList = MakeListLine("beta", "0000000000022") + "\r\n" +
                                 MakeListLine("alpha", "0000000000011") + "\r\n";
  ASSERT_TRUE(store.AddClip(copiedList, "0000000000033"));
  EXPECT_EQ(store.Locate(MakeListLine("alpha", "0000000000011")), "alpha");
  EXPECT_EQ(store.Locate(MakeListLine("beta", "0000000000022")), "beta");
  EXPECT_EQ(store.Locate(MakeListLine(BuildDisplayText(copiedList, FakeWidth), "0000000000033")),
            copiedList);
}

TEST(ClipLocate, StoreKeysMatchWhateverTheirCase) {
  TTextBuffer store;
  store.SetText("/:HDR:\\0000000000007\r\nshouting\r\n/:TLR:\\0000000000007\r\n");
  EXPECT_EQ(LocateClipText(store, MakeListLine("shouting", "0000000000007")), "shouting");
}

TEST(ClipLocate, NotFoundIsNotAnEmptyText) {
  TTextBuffer store;
  store.SetText(
      "/:tlr:\\0000000000009\r\n"  // a trailer above its header does not close it
      "/:hdr:\\0000000000009\r\n\r\n/:tlr:\\0000000000009\r\n"
      "/:hdr:\\0000000000008\r\nno trailer\r\n"
      "/:hdr:\\0000000000006\r\n/:tlr:\\0000000000006\r\n"
      "/:hdr:\\0000000000005");
  EXPECT_EQ(LocateClipText(store, MakeListLine("", "0000000000009")), "");
  EXPECT_EQ(LocateClipText(store, MakeListLine("", "0000000000006")), "");  // no line between
  EXPECT_EQ(LocateClipText(store, MakeListLine("x", "0000000000008")), std::nullopt);
  EXPECT_EQ(LocateClipText(store, MakeListLine("x", "0000000000005")), std::nullopt);
  EXPECT_EQ(LocateClipText(store, MakeListLine("x", "0000000000004")), std::nullopt);
  EXPECT_EQ(LocateClipText(store, "a list line edited by hand"), std::nullopt);
  EXPECT_EQ(LocateClipText(store, "short id " + std::string(kListLineMarker) + "000000000009"),
            std::nullopt);
  EXPECT_EQ(ListLineId("/:hdr:\\0000000000009 and more"), "0000000000009");
}

// --- Display text ----------------------------------------------------------------------

TEST(ClipDisplay, ChoosesTheFirstLineThatIsNotBlank) {
  struct Case {
    std::string text, line;
    int lines;
  };
  const std::vector<Case> cases = {
      {"", "", 0},
      {"hello", "hello", 1},
      {"hello\r\n", "hello", 1},
      {"\r\n", "", 1},
      {"short\r\nsecond", "short", 2},
      {"\r\n \t\r\n\x01\x1f\r\n  \tword  \r\nrest", "  \tword  ", 5},
      {"   \r\n\t", "   ", 2},  // all blank: line 0 as it is
      {"\nlf\rcr", "lf", 3},
      {"\xa0x", "\xa0x", 1},  // a non-breaking space (code 160) is not blank
  };
  for (const Case& c : cases) {
    const TDisplayLine d = ChooseDisplayLine(c.text);
    EXPECT_EQ(d.line, c.line) << '"' << c.text << '"';
    EXPECT_EQ(d.lineCount, c.lines) << '"' << c.text << '"';
  }
  // Lines are read 4096 characters at a time, as the buffer hands them out.
  EXPECT_EQ(ChooseDisplayLine(std::string(5000, 'x')).line, std::string(4096, 'x'));
  const std::string late = std::string(4096, ' ') + "x\r\nnext";
  EXPECT_EQ(ChooseDisplayLine(late).line, "next");
}

TEST(ClipDisplay, SuffixWhenCutOrMultiLine) {
  EXPECT_EQ(BuildDisplayText("", FakeWidth), "");
  EXPECT_EQ(BuildDisplayText("\r\n  \r\nhello", FakeWidth), "hello...");
  const std::string wide(40, 'W');  // 440 pixels
  EXPECT_EQ(BuildDisplayText(wide, FakeWidth), std::string(16, 'W') + "...");
  EXPECT_EQ(BuildDisplayText(std::string(30, 'a'), FakeWidth), std::string(30, 'a'));  // 180
  EXPECT_EQ(BuildDisplayText(std::string(31, 'a'), FakeWidth), std::string(30, 'a') + "...");
}

// The rule the cut must agree with: take off one character at a time while too wide.
TCutResult CutOneAtATime(std::string s, const TTextWidthFunction& width, int limit) {
  bool truncated = false;
  while (width(s) > limit) {
    truncated = true;
    s.pop_back();
  }
  return {s, truncated};
}

TEST(ClipDisplay, CutAgreesWithRemovingOneCharacterAtATime) {
  std::mt19937 rng(2024);
  for (int round = 0; round < 400; ++round) {
    // Random per-character widths, zero included, so that plateaus occur.
    std::vector<int> glyph(256);
    for (int& w : glyph) w = static_cast<int>(rng() % (round % 4 == 0 ? 3 : 14));
    TTextWidthFunction width = [&](const std::string& s) {
      int w = 0;
      for (unsigned char c : s) w += glyph[c];
      return w;
    };
    std::string s(rng() % (round % 3 == 0 ? 600 : 80), ' ');
    for (char& c : s) c = static_cast<char>(rng() % 256);
    const int limit = static_cast<int>(rng() % 300);
    const TCutResult fast = CutToWidth(s, width, limit);
    const TCutResult slow = CutOneAtATime(s, width, limit);
    ASSERT_EQ(fast.text, slow.text) << "round " << round;
    ASSERT_EQ(fast.truncated, slow.truncated) << "round " << round;
  }
}

TEST(ClipDisplay, CuttingALongLineMeasuresADozenTimesAtMost) {
  std::mt19937 rng(5);
  for (int narrowest : {1, 2, 5, 12}) {
    std::vector<int> glyph(256);
    for (int& w : glyph) w = narrowest + static_cast<int>(rng() % 8);
    int calls = 0;
    TTextWidthFunction width = [&](const std::string& s) {
      ++calls;
      int w = 0;
      for (unsigned char c : s) w += glyph[c];
      return w;
    };
    std::string line(4096, ' ');
    for (char& c : line) c = static_cast<char>(32 + rng() % 95);
    const TCutResult cut = CutToWidth(line, width, kDisplayWidthLimit);
    EXPECT_TRUE(cut.truncated);
    EXPECT_LE(calls, 12) << "narrowest glyph " << narrowest;
    EXPECT_EQ(cut.text, CutOneAtATime(line, width, kDisplayWidthLimit).text);
  }
  int calls = 0;
  CutToWidth("fits", [&](const std::string& s) { return ++calls, FakeWidth(s); });
  EXPECT_EQ(calls, 1);
}

// --- Capacity --------------------------------------------------------------------------

TEST(ClipCapacity, ABlockThatWouldOverfillTheStoreIsRefusedWhole) {
  const size_t blockOverhead = MakeBlock("0000000000001", "").size();  // 44
  TClipStore store;
  EXPECT_FALSE(store.AddClip(std::string(kStoreCapacity - blockOverhead + 1, 'x'), "0000000000001"));
  EXPECT_TRUE(store.Empty());
  EXPECT_FALSE(store.HasHeaderKey("0000000000001"));

  ASSERT_TRUE(store.AddClip(std::string(kStoreCapacity / 2, 'a'), "0000000000001"));
  const size_t used = store.Size();
  const size_t room = kStoreCapacity - used - 2 - blockOverhead;  // 2 for the joining break
  EXPECT_FALSE(store.AddClip(std::string(room + 1, 'b'), "0000000000002"));
  EXPECT_EQ(store.Size(), used);
  EXPECT_FALSE(store.HasHeaderKey("0000000000002"));

  // Lone LFs become CR LF in the store, and count so: this fits only when counted raw.
  std::string lf(room / 2 + 1, '\n');
  EXPECT_FALSE(store.AddClip(lf, "0000000000003"));
  EXPECT_EQ(store.Size(), used);

  ASSERT_TRUE(store.AddClip(std::string(room, 'c'), "0000000000004"));  // exactly full
  EXPECT_EQ(store.Size(), kStoreCapacity);
  EXPECT_FALSE(store.AddClip("", "0000000000005"));
}

// --- Files -----------------------------------------------------------------------------

class ClipFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("qv_clipstore_" + std::string(
                                  ::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string File(const std::string& name) const { return (dir_ / name).string(); }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
  }
  static void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  fs::path dir_;
};

TEST_F(ClipFiles, StoreRoundTripsByteForByte) {
  TClipStore store;
  ASSERT_TRUE(store.AddClip("lone\nlf and lone\rcr", "0000000000001"));
  ASSERT_TRUE(store.AddClip("", "0000000000002"));
  ASSERT_TRUE(store.AddClip("ends with a break\r\n", "0000000000003"));
  const std::string path = File("vqclips.qvl");
  store.SaveToFile(path);
  const std::string saved = Read(path);
  EXPECT_EQ(saved, store.Text() + "\r\n");

  TClipStore loaded;
  loaded.LoadFromFile(path);
  loaded.SaveToFile(path);
  EXPECT_EQ(Read(path), saved);
  EXPECT_EQ(loaded.Locate(MakeListLine("lone...", "0000000000001")), "lone\r\nlf and lone\r\ncr");
  EXPECT_EQ(loaded.Locate(MakeListLine("", "0000000000002")), "");
  EXPECT_TRUE(loaded.HasHeaderKey("0000000000003"));  // the index is rebuilt on load

  // A clip added after a load goes on top and both old and new are found.
  ASSERT_TRUE(loaded.AddClip("after load", "0000000000004"));
  EXPECT_EQ(loaded.Locate(MakeListLine("after load", "0000000000004")), "after load");
  EXPECT_EQ(loaded.Locate(MakeListLine("", "0000000000003")), "ends with a break\r\n");
}

TEST_F(ClipFiles, EmptyStoreSavesAnEmptyFile) {
  TClipStore store;
  ASSERT_TRUE(store.AddClip("gone", "0000000000001"));
  store.Clear();
  const std::string path = File("vqclips.qvl");
  store.SaveToFile(path);
  EXPECT_TRUE(fs::exists(path));
  EXPECT_EQ(Read(path), "");
  store.LoadFromFile(path);
  EXPECT_TRUE(store.Empty());
}

TEST_F(ClipFiles, HandEditedLineBreaksLoadAsCrLf) {
  const std::string path = File("vqclips.qvl");
  Write(path, "/:hdr:\\0000000000001\nunix\n/:tlr:\\0000000000001\r/:hdr:\\0000000000002\r\r/:tlr:\\0000000000002");
  TClipStore store;
  store.LoadFromFile(path);
  EXPECT_EQ(store.Locate(MakeListLine("unix", "0000000000001")), "unix");
  EXPECT_EQ(store.Locate(MakeListLine("", "0000000000002")), "");
  store.SaveToFile(path);
  EXPECT_EQ(Read(path),
            "/:hdr:\\0000000000001\r\nunix\r\n/:tlr:\\0000000000001\r\n"
            "/:hdr:\\0000000000002\r\n\r\n/:tlr:\\0000000000002\r\n");
}

TEST_F(ClipFiles, MissingStoreFileRaisesWithTheFullPath) {
  TClipStore store;
  ASSERT_TRUE(store.AddClip("kept", "0000000000001"));
  const std::string path = File("vqclips.qvl");
  try {
    store.LoadFromFile(path);
    ADD_FAILURE() << "a missing store loaded";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message(), "Cannot open file " + path);
  }
  EXPECT_TRUE(store.HasHeaderKey("0000000000001"));
  EXPECT_EQ(store.Locate(MakeListLine("kept", "0000000000001")), "kept");
}

}  // namespace
}  // namespace qv
