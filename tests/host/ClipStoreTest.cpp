#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <set>
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

  // Header lines inside clip text open no block, so their ids stay free.
  ASSERT_TRUE(store.AddClip("copied:\r\n/:HDR:\\0000000000042\r\n", "0000000000041"));
  EXPECT_FALSE(store.HasHeaderKey("0000000000042"));
  EXPECT_TRUE(store.HasHeaderKey("0000000000041"));
  // An id whose trailer line the text holds would end the block early: drawn again.
  TClipIdGenerator fresh([] { return 1000000u; });
  const std::string text = "x\r\n/:TLR:\\" + taken;
  EXPECT_FALSE(store.AddClip(text, taken));
  EXPECT_NE(NextUniqueClipId(fresh, TClipStore(), text), taken);
  store.Clear();
  EXPECT_FALSE(store.HasHeaderKey(taken));

  // An id a list line carries is taken even when the store has no block for it.
  TClipIdGenerator listedAgain([] { return 1000000u; });
  const std::string firstDrawn = listedAgain.Next();
  TClipIdGenerator listed([] { return 1000000u; });
  const std::string chosen = NextUniqueClipId(
      listed, TClipStore(), {}, [&](const std::string& key) { return key == firstDrawn; });
  EXPECT_NE(chosen, firstDrawn);
  EXPECT_EQ(chosen, listedAgain.Next());

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

  // Whole header and trailer lines inside a newer clip (lines copied out of a store file)
  // open no block: the older clip still finds its own text, the newer one all of its own.
  const std::string copied = "/:hdr:\\0000000000001\r\ninside\r\n/:tlr:\\0000000000001";
  ASSERT_TRUE(store.AddClip(copied, "0000000000003"));
  EXPECT_EQ(store.Locate(Line("x", "0000000000001")), "older");
  EXPECT_EQ(store.Locate(Line("x", "0000000000003")), copied);
  ASSERT_EQ(store.Segments().size(), 4u);
  EXPECT_EQ(store.Segments()[0].key, "0000000000003");
}

TEST(ClipStore, NotFoundIsNotAnEmptyText) {
  TClipStore store;
  store.SetText(
      "/:TLR:\\0000000000009\r\n"  // a trailer above its header does not close it
      "/:HDR:\\0000000000009\r\n\r\n/:tlr:\\0000000000009\r\n"
      "/:hdr:\\0000000000007\r\n/:tlr:\\0000000000007\r\n"  // no line between
      "/:hdr:\\0000000000008\r\nno trailer\r\n"
      "/:hdr:\\0000000000005");
  EXPECT_EQ(store.Locate(Line("", "0000000000009")), "");  // case ignored
  EXPECT_EQ(store.Locate(Line("", "0000000000007")), "");
  EXPECT_EQ(store.Locate(Line("x", "0000000000008")), std::nullopt);
  EXPECT_EQ(store.Locate(Line("x", "0000000000005")), std::nullopt);
  EXPECT_EQ(store.Locate(Line("x", "0000000000004")), std::nullopt);
  EXPECT_EQ(store.Locate("a list line edited by hand"), std::nullopt);
  EXPECT_EQ(store.Locate(std::string(kListLineMarker) + "000000000009"), std::nullopt);
  // Lines outside any block are segments of their own.
  std::vector<std::string> keys;
  for (const TStoreSegment& s : store.Segments()) keys.push_back(s.key);
  EXPECT_EQ(keys, (std::vector<std::string>{"", "0000000000009", "0000000000007", ""}));
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

std::string Id(int n) { return TClipIdGenerator::FormatId(n, n); }

// The store's blocks, top first, by their number ("" for lines outside any block).
std::vector<std::string> Blocks(const TClipStore& store) {
  std::vector<std::string> out;
  for (const TStoreSegment& s : store.Segments())
    out.push_back(s.key.empty() ? "" : std::to_string(std::stoi(s.key.substr(0, 7))));
  return out;
}

// What a fresh reading of the store's text finds must be what its index says.
void ExpectIndexMatchesText(const TClipStore& store) {
  TClipStore fresh;
  fresh.SetText(store.Text());
  const std::vector<TStoreSegment> a = store.Segments(), b = fresh.Segments();
  ASSERT_EQ(a.size(), b.size());
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].offset, b[i].offset) << i;
    EXPECT_EQ(a[i].length, b[i].length) << i;
    EXPECT_EQ(a[i].key, b[i].key) << i;
    if (!a[i].key.empty()) {
      const std::string line = MakeListLine("x", a[i].key);
      EXPECT_EQ(store.Locate(line), fresh.Locate(line)) << i;
    }
  }
}

TEST(ClipStore, AFullStoreMakesRoomUnlistedBlocksFirstThenTheOldestClips) {
  // A 10-character clip takes 54 characters, 56 with the break that joins it.
  TClipStore store(5 * 56 - 2);
  for (int i = 1; i <= 5; ++i) ASSERT_TRUE(store.AddClip(std::string(10, 'a'), Id(i)));
  ASSERT_EQ(store.Size(), store.Capacity());
  std::set<std::string> listed = {Id(1), Id(3), Id(5), Id(6)};
  auto isListed = [&](const std::string& key) { return listed.count(key) != 0; };
  std::vector<std::string> evicted;

  ASSERT_TRUE(store.AddClip(std::string(10, 'b'), Id(6), isListed, &evicted));
  EXPECT_EQ(Blocks(store), (std::vector<std::string>{"6", "5", "4", "3", "1"}));
  EXPECT_TRUE(evicted.empty());
  // Room for two: the last unlisted block, then the oldest listed clip, never the new one.
  ASSERT_TRUE(store.AddClip(std::string(10 + 56, 'c'), Id(7), isListed, &evicted));
  EXPECT_EQ(Blocks(store), (std::vector<std::string>{"7", "6", "5", "3"}));
  EXPECT_EQ(evicted, std::vector<std::string>{Id(1)});
  EXPECT_LE(store.Size(), store.Capacity());
  ExpectIndexMatchesText(store);

  // Larger than the whole store: refused, nothing changed. As large as it: alone.
  const std::string before = store.Text();
  EXPECT_FALSE(store.AddClip(std::string(store.Capacity() - 43, 'd'), Id(8), isListed, &evicted));
  EXPECT_EQ(store.Text(), before);
  evicted.clear();
  ASSERT_TRUE(store.AddClip(std::string(store.Capacity() - 44, 'e'), Id(9), isListed, &evicted));
  EXPECT_EQ(Blocks(store), std::vector<std::string>{"9"});
  EXPECT_EQ(store.Size(), store.Capacity());
  EXPECT_EQ(evicted, (std::vector<std::string>{Id(6), Id(5), Id(3)}));

  // Lines outside any block (a file edited by hand) go before any clip.
  TClipStore loose(2 * 56);
  loose.SetText("/:hdr:\\" + Id(1) + "\r\naaaaaaaaaa\r\n/:tlr:\\" + Id(1) +
                "\r\nstray\r\n/:hdr:\\" + Id(2) + "\r\nno trailer\r\n");
  ASSERT_TRUE(loose.AddClip(std::string(10, 'f'), Id(3), isListed, &evicted));
  EXPECT_EQ(Blocks(loose), (std::vector<std::string>{"3", "1"}));
  ExpectIndexMatchesText(loose);
  // The oldest block goes from under stray lines that end with an empty one: that line
  // is the store's last line break now.
  TClipStore tail(130);
  tail.SetText("/:hdr:\\" + Id(1) + "\r\naaaaaaaaaa\r\n/:tlr:\\" + Id(1) + "\r\nstray\r\n\r\n/:hdr:\\" +
               Id(2) + "\r\nbbbbbbbbbb\r\n/:tlr:\\" + Id(2));
  ASSERT_TRUE(tail.AddClip(std::string(10, 'g'), Id(3), isListed, &evicted));
  EXPECT_EQ(Blocks(tail), (std::vector<std::string>{"3", "1", ""}));
  ExpectIndexMatchesText(tail);
}

TEST(ClipStore, TheIndexStaysTrueThroughAnyRunOfCapturesAndEvictions) {
  std::mt19937 rng(7);
  for (int run = 0; run < 20; ++run) {
    TClipStore store(2000 + rng() % 2000);
    // A hand-edited file to start from: stray and empty lines between blocks, a header
    // without its trailer.
    const char* pieces[] = {"stray", "", "/:hdr:\\0000000000099", "x"};
    std::string start;
    for (int b = 0; b < 12; ++b) {
      start += pieces[rng() % 4] + std::string("\r\n");
      if (rng() % 2) start += MakeBlock(Id(1000 + b), std::string(rng() % 50, 's')) + "\r\n";
    }
    store.SetText(start);
    ASSERT_NO_FATAL_FAILURE(ExpectIndexMatchesText(store));
    std::set<std::string> listed;
    auto isListed = [&](const std::string& key) { return listed.count(key) != 0; };
    // A twin that counts the lines itself must make the same room as the one that asks
    // about every block.
    TClipStore tracked(store.Capacity());
    tracked.SetText(start);
    auto setListed = [&](std::string key, bool on) {
      if (on ? listed.insert(key).second : listed.erase(key) != 0) tracked.CountLines(key, on ? 1 : -1);
    };
    for (int i = 1; i <= 150; ++i) {
      std::string text(rng() % 300, 'a' + static_cast<char>(i % 26));
      for (char& c : text)
        if (rng() % 20 == 0) c = '\n';
      // Now and then an id again, as files edited by hand can have.
      const std::string id = Id(i > 1 && rng() % 8 == 0 ? i - 1 : i);
      std::vector<std::string> evicted, evictedByTwin;
      ASSERT_TRUE(store.AddClip(text, id, isListed, &evicted));
      ASSERT_TRUE(tracked.AddClip(text, id, nullptr, &evictedByTwin));
      EXPECT_EQ(evictedByTwin, evicted);
      ASSERT_EQ(tracked.Text(), store.Text()) << "run " << run << " clip " << i;
      for (const std::string& key : evicted) {
        EXPECT_TRUE(listed.count(key)) << key;
        setListed(key, false);
      }
      if (rng() % 2) setListed(id, true);
      if (rng() % 5 == 0 && !listed.empty()) setListed(*listed.begin(), false);
      ASSERT_LE(store.Size(), store.Capacity());
      EXPECT_EQ(store.Locate(MakeListLine("x", id)), TTextBuffer::NormalizeLineBreaks(text));
      ASSERT_NO_FATAL_FAILURE(ExpectIndexMatchesText(store)) << "run " << run << " clip " << i;
    }
  }
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
