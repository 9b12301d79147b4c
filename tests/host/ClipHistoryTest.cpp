// The clip history model: list lines and store kept together, what a view is told, the
// two files.

#include <gtest/gtest.h>

#include <filesystem>

#include "app/ClipHistory.h"
#include "framework/SysUtils.h"
#include "tests/host/ScratchDir.h"

namespace qv {
namespace {

std::string Id(int n) { return Format("%013d", n); }

// A view that follows only what it is told, so it can be compared with the model.
class TMirrorView : public TClipHistoryView {
 public:
  explicit TMirrorView(const TClipHistory& history) : history_(history) {}
  void LineInserted(int i) override { lines.insert(lines.begin() + i, history_.Line(i)); }
  void LineRemoved(int i) override { lines.erase(lines.begin() + i); }
  void LineMoved(int from, int to) override {
    lines.erase(lines.begin() + from);
    lines.insert(lines.begin() + to, history_.Line(to));
  }
  void LinesReordered(const std::vector<int>& old) override {
    std::vector<std::string> next;
    for (int i : old) next.push_back(lines.at(static_cast<size_t>(i)));
    lines = next;
  }
  void LinesReset() override { lines = history_.Lines(); }
  std::vector<std::string> lines;

 private:
  const TClipHistory& history_;
};

TEST(ClipHistory, LinesTextsRunsAndWhatTheViewIsTold) {
  TClipHistory history;
  TMirrorView view(history);
  history.SetView(&view);
  for (int i = 0; i < 80; ++i)
    ASSERT_TRUE(history.AddClip("c" + std::to_string(i), Id(i), "c" + std::to_string(i)));
  ASSERT_EQ(history.Count(), 80);  // capture never trims
  EXPECT_EQ(history.Display(0), "c79");
  EXPECT_EQ(history.IdOf(0), Id(79));
  EXPECT_EQ(history.TextOf(79), "c0");
  EXPECT_EQ(history.RunText(2), "c77\r\nc78\r\nc79\r\n");
  EXPECT_EQ(history.Gather(1, false), "c78");
  EXPECT_EQ(history.Gather(80, true), "");
  EXPECT_THROW(history.Line(80), EStringListError);

  // A single recall past the limit: the line goes up, then the one at index 72 goes; its
  // text stays in the store.
  history.MoveToTop(15);
  EXPECT_EQ(history.Count(), 79);
  EXPECT_EQ(history.Display(0), "c64");
  EXPECT_EQ(history.Display(71), "c8");
  EXPECT_EQ(history.Display(72), "c6");
  EXPECT_TRUE(history.Store().TextOf(Id(7)).has_value());
  EXPECT_EQ(view.lines, history.Lines());

  history.AddClip("x", Id(500), "x");
  history.AddClip("y", Id(501), "y");
  history.Sort([](const std::string& a, const std::string& b) { return a > b; });
  EXPECT_EQ(history.Display(0), "y");
  EXPECT_EQ(history.TextOf(0), "y");  // the store is untouched; ids still lead home
  EXPECT_EQ(view.lines, history.Lines());

  history.Clear();
  EXPECT_EQ(history.Count(), 0);
  EXPECT_TRUE(history.Store().Empty());
  EXPECT_TRUE(view.lines.empty());
}

TEST(ClipHistory, AFullStoreTakesTheLinesOfTheClipsItLetsGo) {
  // Room for two 1,000-character clips and a little more.
  TClipHistory history(2 * 1044 + 500);
  TMirrorView view(history);
  history.SetView(&view);
  ASSERT_TRUE(history.AddClip(std::string(1000, 'a'), Id(1), "a"));
  ASSERT_TRUE(history.AddClip(std::string(1000, 'b'), Id(2), "b"));
  ASSERT_TRUE(history.AddClip(std::string(1000, 'c'), Id(3), "c"));
  ASSERT_EQ(history.Count(), 2);
  EXPECT_EQ(history.Display(1), "b");
  EXPECT_FALSE(history.Store().HasHeaderKey(Id(1)));
  EXPECT_EQ(view.lines, history.Lines());
  // Larger than the whole store: refused, nothing changed.
  EXPECT_FALSE(history.AddClip(std::string(3000, 'd'), Id(4), "d"));
  EXPECT_EQ(history.Count(), 2);
}

using ClipHistoryFiles = test::ScratchDirTest;

TEST_F(ClipHistoryFiles, SavedFilesLoadBackAndAFailedStoreSaveLeavesTheListAlone) {
  TClipHistory history;
  history.SetFolder(dir_.string() + "/");
  EXPECT_THROW(history.Load(), EFOpenError);  // a first start: no list yet
  history.AddClip("first line\r\nsecond line", Id(1), "first line...");
  history.AddClip("second", Id(2), "second");
  history.Save();
  const std::string list = ReadFile(Path("Lb1.qvl"));
  EXPECT_EQ(list, MakeListLine("second", Id(2)) + "\r\n" + MakeListLine("first line...", Id(1)) + "\r\n");

  TClipHistory loaded;
  loaded.SetFolder(history.Folder());
  loaded.Load();
  EXPECT_EQ(loaded.Lines(), history.Lines());
  EXPECT_EQ(loaded.TextOf(1), "first line\r\nsecond line");

  // A line whose text is gone: no text, and left out of a run.
  const std::string withGone = MakeListLine("gone", Id(9)) + "\r\n" + list;
  WriteFile(Path("Lb1.qvl"), withGone);
  loaded.Load();
  EXPECT_FALSE(loaded.TextOf(0).has_value());
  EXPECT_EQ(loaded.Gather(0, false), "");
  EXPECT_EQ(loaded.RunText(2), "first line\r\nsecond line\r\nsecond\r\n");

  // A folder where the store file should be: the store cannot be replaced, so the list
  // is not written either.
  loaded.AddClip("new", Id(3), "new");
  std::filesystem::remove(Path("vqclips.qvl"));
  std::filesystem::create_directory(Path("vqclips.qvl"));
  try {
    loaded.Save();
    ADD_FAILURE() << "the save succeeded";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message(), "Cannot create file " + loaded.StorePath());
  }
  EXPECT_EQ(ReadFile(Path("Lb1.qvl")), withGone);
}

TEST_F(ClipHistoryFiles, AFileThatWasThereButCouldNotBeReadIsSetAsideAtTheSave) {
  TClipHistory history;
  history.SetFolder(dir_.string() + "/");
  // Something unreadable where the list file should be; the store is not read after it.
  std::filesystem::create_directory(Path("Lb1.qvl"));
  WriteFile(Path("vqclips.qvl"), "kept\r\n");
  WriteFile(Path("vqclips.qvl.bak"), "older\r\n");
  EXPECT_THROW(history.Load(), EFOpenError);
  history.Save();
  EXPECT_TRUE(std::filesystem::is_directory(Path("Lb1.qvl.bak")));
  EXPECT_EQ(ReadFile(Path("vqclips.qvl.bak1")), "kept\r\n");
  EXPECT_EQ(ReadFile(Path("vqclips.qvl.bak")), "older\r\n");
  EXPECT_EQ(ReadFile(Path("Lb1.qvl")), "");
  // Only once: the next save simply writes.
  history.Save();
  EXPECT_FALSE(std::filesystem::exists(Path("Lb1.qvl.bak1")));
}

}  // namespace
}  // namespace qv

namespace qv {
namespace {

TEST(ExactTexts, BlocksReadBackAndDamageCostsOnlyWhatItTouches) {
  const std::string good = ExactTextsImage({{Id(1), "Gr\xC3\xBC\xC3\x9F" "e\r\n/:utf:\\x 3"}, {Id(2), ""}});
  TExactTextMap texts;
  TExactTextsRead read = ReadExactTexts(good, texts);
  EXPECT_FALSE(read.damaged);
  EXPECT_EQ(read.blocks, 2u);
  EXPECT_EQ(texts[Id(1)], "Gr\xC3\xBC\xC3\x9F" "e\r\n/:utf:\\x 3");  // the length, not a line, ends it

  // Bad UTF-8 in one block: that block only. A block cut short: the blocks before it.
  const std::string bad = ExactTextsImage({{Id(3), "\xC3("}, {Id(4), "ok"}});
  texts.clear();
  read = ReadExactTexts(bad + good.substr(0, good.size() - 3), texts);
  EXPECT_TRUE(read.damaged);
  EXPECT_EQ(texts.count(Id(3)), 0u);
  EXPECT_EQ(texts[Id(4)], "ok");
  EXPECT_EQ(texts.count(Id(1)), 1u);
  EXPECT_EQ(texts.count(Id(2)), 0u);
  texts.clear();
  EXPECT_TRUE(ReadExactTexts("not a header\r\n", texts).damaged);
  EXPECT_TRUE(texts.empty());
}

TEST_F(ClipHistoryFiles, ExactTextsLiveBesideTheTwoFilesOnlyWhileAClipNeedsOne) {
  TClipHistory history;
  history.SetFolder(dir_.string() + "/");
  const std::string exact = "Gr\xC3\xBC\xC3\x9F" "e \xE2\x86\x92 A";  // "Grüße → A"
  ASSERT_TRUE(history.AddClip("Gr\xFC\xDF" "e ? A", Id(1), "Gr\xFC\xDF" "e ? A", exact));
  ASSERT_TRUE(history.AddClip("plain", Id(2), "plain"));
  EXPECT_EQ(*history.ExactTextOf(1), exact);
  EXPECT_EQ(history.ExactTextOf(0), nullptr);
  const auto upper = [](std::string_view t) { return "<" + std::string(t) + ">"; };
  EXPECT_EQ(history.GatherExact(1, true, upper), exact + "\r\n<plain>\r\n");
  history.Save();
  // The two files as always: the ANSI rendering.
  EXPECT_NE(ReadFile(Path("vqclips.qvl")).find("\r\nGr\xFC\xDF" "e ? A\r\n"), std::string::npos);
  EXPECT_EQ(ReadFile(Path("vqclips.qvu")), ExactTextsImage({{Id(1), exact}}));

  TClipHistory loaded;
  loaded.SetFolder(history.Folder());
  loaded.Load();
  EXPECT_FALSE(loaded.ExactTextsLost());
  ASSERT_NE(loaded.ExactTextOf(1), nullptr);
  EXPECT_EQ(*loaded.ExactTextOf(1), exact);

  // A damaged file costs its texts only, and is said; the next save writes what is left.
  WriteFile(Path("vqclips.qvu"), ExactTextsImage({{Id(9), "no such clip"}}) + "/:utf:\\cut");
  loaded.Load();
  EXPECT_TRUE(loaded.ExactTextsLost());
  EXPECT_EQ(loaded.ExactTextOf(1), nullptr);
  EXPECT_EQ(loaded.TextOf(1), "Gr\xFC\xDF" "e ? A");
  loaded.Save();  // the block of a clip the store lacks goes; none left: no file
  EXPECT_FALSE(std::filesystem::exists(Path("vqclips.qvu")));
}

TEST(ClipHistory, ExactTextsGoWithTheClipsTheStoreLetsGoAndWithClear) {
  TClipHistory history(2 * 1044 + 500);
  ASSERT_TRUE(history.AddClip(std::string(1000, 'a'), Id(1), "a", "exact a"));
  ASSERT_TRUE(history.AddClip(std::string(1000, 'b'), Id(2), "b", "exact b"));
  ASSERT_TRUE(history.AddClip(std::string(1000, 'c'), Id(3), "c"));
  EXPECT_EQ(history.ExactTextOfId(Id(1)), nullptr);
  ASSERT_NE(history.ExactTextOfId(Id(2)), nullptr);
  history.Clear();
  EXPECT_EQ(history.ExactTextOfId(Id(2)), nullptr);
}

}  // namespace
}  // namespace qv
