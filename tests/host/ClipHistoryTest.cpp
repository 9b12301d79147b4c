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

TEST_F(ClipHistoryFiles, ANewClipNeverTakesTheIdOfALineWhoseTextIsGone) {
  const std::string gone = TClipIdGenerator([] { return 1000000u; }).Next();
  WriteFile(Path("Lb1.qvl"), MakeListLine("old", gone) + "\r\n");
  WriteFile(Path("vqclips.qvl"), "");
  TClipHistory history;
  history.SetFolder(dir_.string() + "/");
  history.Load();
  TClipIdGenerator ids([] { return 1000000u; });  // its first id is the old line's
  const auto id = history.AddClip("new", ids, [](const std::string&) { return 0; });
  ASSERT_TRUE(id);
  EXPECT_NE(*id, gone);
  EXPECT_FALSE(history.TextOf(1));  // the old line still recalls nothing
}

TEST_F(ClipHistoryFiles, WithEveryAsideNameTakenTheOldestCopyMakesRoom) {
  std::filesystem::create_directory(Path("Lb1.qvl"));
  WriteFile(Path("vqclips.qvl"), "unread\r\n");
  const auto now = std::filesystem::file_time_type::clock::now();
  for (int n = 0; n < 100; ++n) {
    const std::string name = Path("vqclips.qvl.bak" + (n ? std::to_string(n) : ""));
    WriteFile(name, "copy " + std::to_string(n));
    // .bak57 was written longest ago; the names' order says nothing about age.
    std::filesystem::last_write_time(name, now - std::chrono::hours(n == 57 ? 500 : 100 - n));
  }
  TClipHistory history;
  history.SetFolder(dir_.string() + "/");
  EXPECT_THROW(history.Load(), EFOpenError);
  history.Save();
  EXPECT_EQ(ReadFile(Path("vqclips.qvl.bak57")), "unread\r\n");
  EXPECT_EQ(ReadFile(Path("vqclips.qvl.bak")), "copy 0");
  EXPECT_EQ(ReadFile(Path("vqclips.qvl.bak99")), "copy 99");
  EXPECT_FALSE(std::filesystem::exists(Path("vqclips.qvl.bak100")));
}

}  // namespace
}  // namespace qv
