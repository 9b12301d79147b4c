// The clip history model: list lines and store kept together, what a view is told, the
// two files.

#include <gtest/gtest.h>

#include <filesystem>

#include "app/ClipFilter.h"
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
    TClipLines next;
    for (int i : old) next.push_back(lines.at(static_cast<size_t>(i)));
    lines = next;
  }
  void LinesReset() override { lines = history_.Lines(); }
  TClipLines lines;

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
  EXPECT_EQ(history.Gather(2, true), "c77\r\nc78\r\nc79\r\n");
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
  EXPECT_NO_THROW(history.Load());  // a first start: nothing there, nothing to say
  history.AddClip("first line\r\nsecond line", Id(1), "first line...");
  history.AddClip("second", Id(2), "second");
  history.Save();
  const std::string list = ReadFile(Path("Lb1.qvl"));
  EXPECT_EQ(list,
            MakeListLine("second", Id(2)) + "\r\n" + MakeListLine("first line...", Id(1)) + "\r\n");

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
  EXPECT_EQ(loaded.Gather(2, true), "first line\r\nsecond line\r\nsecond\r\n");

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

TEST_F(ClipHistoryFiles, ListLinesOfAnyShapeSaveBackByteForByte) {
  const std::string spaces(70, ' ');
  const std::string odd[] = {
      "no marker at all",
      "",
      "one space short" + spaces.substr(1) + "/:hdr:\\" + Id(1),
      "a tail too long" + spaces + "/:hdr:\\" + Id(2) + "x",
      "/:hdr:\\ in the display" + spaces + "/:hdr:\\" + Id(3),
      "a marker in the id" + spaces + "/:hdr:\\" + "12/:hdr:\\4567",
  };
  std::string list;
  for (const std::string& line : odd) list += line + "\r\n";
  // Long lines, so that the lines a recall trims leave enough behind to be cleared away.
  std::deque<std::string> model(std::begin(odd), std::end(odd));
  for (int i = 0; i < 200; ++i) {
    model.push_back(std::string(20000, static_cast<char>('a' + i % 26)) + spaces + "/:hdr:\\" +
                    Id(i));
    list += model.back() + "\r\n";
  }
  WriteFile(Path("Lb1.qvl"), list);
  WriteFile(Path("vqclips.qvl"), "");
  TClipHistory history;
  history.SetFolder(dir_.string() + "/");
  history.Load();
  EXPECT_EQ(history.Display(2), odd[2].substr(0, odd[2].size() - 20));  // spaces kept
  EXPECT_EQ(history.IdOf(3), Id(2));
  EXPECT_EQ(history.Display(4), "/:hdr:\\ in the display");
  EXPECT_EQ(history.IdOf(4), Id(3));
  EXPECT_FALSE(history.IdOf(5).has_value());
  EXPECT_EQ(history.Display(6), model[6].substr(0, 20000));
  history.Save();
  EXPECT_EQ(ReadFile(Path("Lb1.qvl")), list);

  for (int n = 0; n < 120; ++n) {
    history.MoveToTop(kClipListLimit + 1);
    const std::string line = model[kClipListLimit + 1];
    model.erase(model.begin() + kClipListLimit + 1);
    model.push_front(line);
    model.erase(model.begin() + kClipListLimit);
  }
  ASSERT_EQ(history.Lines(), TClipLines(model.begin(), model.end()));
  history.Save();
  TClipHistory loaded;
  loaded.SetFolder(history.Folder());
  loaded.Load();
  EXPECT_EQ(loaded.Lines(), history.Lines());
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

TEST(ClipJournal, EntriesReadBackUpToTheFirstOneCutShortOrDamaged) {
  std::string bytes;
  AppendJournalEntry(bytes, TJournalKind::Capture, {Id(1), "line", std::string("a\0b\r\n", 5)});
  AppendJournalEntry(bytes, TJournalKind::Clear, {});
  const size_t two = bytes.size();
  // A field a later writer adds is passed over.
  AppendJournalEntry(bytes, TJournalKind::Move, {JournalIndexField(300), "moved", "later"});
  TJournalRead read = ReadJournal(bytes);
  ASSERT_EQ(read.entries.size(), 3u);
  EXPECT_EQ(read.end, TJournalEnd::Whole);
  EXPECT_EQ(read.entries[0].fields[2], std::string("a\0b\r\n", 5));
  EXPECT_EQ(read.entries[1].kind, TJournalKind::Clear);
  EXPECT_EQ(JournalIndexOf(read.entries[2].fields[0]), 300u);

  // Cut anywhere inside the third entry: the first two, and the cut is told apart.
  for (size_t cut = two + 1; cut < bytes.size(); ++cut) {
    read = ReadJournal(std::string_view(bytes).substr(0, cut));
    ASSERT_EQ(read.entries.size(), 2u) << cut;
    EXPECT_EQ(read.end, TJournalEnd::CutShort) << cut;
    EXPECT_EQ(read.soundLength, two);
  }
  // Any byte of the second entry changed: only the first.
  for (size_t at = two - 13; at < two; ++at) {
    std::string damaged = bytes;
    damaged[at] ^= 0x20;
    read = ReadJournal(damaged);
    EXPECT_EQ(read.entries.size(), 1u) << at;
    EXPECT_EQ(read.end, TJournalEnd::Damaged) << at;
  }
  // Sound checks but a kind no writer makes, or too few fields for its kind.
  for (const auto& [kind, fields] : std::vector<std::pair<char, std::vector<std::string>>>{
           {'Z', {}}, {'A', {Id(1), "line"}}, {'M', {"12", "line"}}}) {
    std::string odd;
    AppendJournalEntry(odd, static_cast<TJournalKind>(kind), fields);
    EXPECT_EQ(ReadJournal(odd).end, TJournalEnd::Damaged) << kind;
  }
}

// Captures past the list limit, recalls that trim it, a clear and a sort, journaled and
// flushed but never saved: the next start shows what the killed one showed.
TEST_F(ClipHistoryFiles, AJournalReplayedAtStartGivesBackWhatAKilledRunHad) {
  const std::string folder = dir_.string() + "/";
  // Small, so that the store makes room too.
  const size_t capacity = 6000;
  TClipHistory before(capacity);
  before.SetFolder(folder);
  before.Load();  // a first start
  before.AddClip("saved", Id(1), "saved");
  before.Save();
  int pending = 0;
  before.OnJournalPending = [&pending] { ++pending; };
  for (int i = 2; i < 80; ++i)
    before.AddClip("text " + std::to_string(i), Id(i), "c" + std::to_string(i));
  before.MoveToTop(75);
  ASSERT_TRUE(before.FlushJournal());
  before.MoveToTop(3);
  before.Clear();
  for (int i = 100; i < 110; ++i)
    before.AddClip(std::string(700, static_cast<char>('a' + i % 26)), Id(i),
                   "d" + std::to_string(i));
  before.MoveToTop(5);
  before.Sort([](const std::string& a, const std::string& b) { return a > b; });
  ASSERT_TRUE(before.FlushJournal());
  EXPECT_EQ(pending, 2);         // once per flush
  ASSERT_EQ(before.Count(), 8);  // the store made room

  TClipHistory after(capacity);
  TMirrorView afterView(after);
  after.SetView(&afterView);
  after.SetFolder(folder);
  after.Load();
  EXPECT_EQ(after.Lines(), before.Lines());
  EXPECT_EQ(after.Store().Text(), before.Store().Text());
  EXPECT_EQ(afterView.lines, after.Lines());
  // Captures, two moves that each trimmed a line, the clear, captures, a move, the sort.
  EXPECT_EQ(after.Replayed().replayed, 78 + 2 + 2 + 1 + 10 + 1 + 1);
  EXPECT_EQ(after.ReplayNote(), "");
  // Saved and emptied: a third start reads the same from the two files alone.
  EXPECT_FALSE(std::filesystem::exists(after.JournalPath()));
  TClipHistory third(capacity);
  third.SetFolder(folder);
  third.Load();
  EXPECT_EQ(third.Lines(), before.Lines());
  EXPECT_EQ(third.Replayed().replayed, 0);

  // Saving suppressed: nothing is collected.
  third.SetJournaling(false);
  third.AddClip("x", Id(500), "x");
  third.MoveToTop(3);
  third.Sort([](const std::string& a, const std::string& b) { return a < b; });
  EXPECT_EQ(third.JournalPending(), "");
  // A journal that cannot be written keeps its entries for the next try.
  third.SetJournaling(true);
  third.Clear();
  std::filesystem::create_directory(third.JournalPath());
  EXPECT_FALSE(third.FlushJournal());
  EXPECT_NE(third.JournalPending(), "");
}

TEST_F(ClipHistoryFiles, AJournalWithoutFilesCutShortOrDamagedNeverStopsTheStart) {
  const std::string folder = dir_.string() + "/";
  std::string journal;
  for (int i = 1; i <= 4; ++i)
    AppendJournalEntry(
        journal, TJournalKind::Capture,
        {Id(i), MakeListLine("c" + std::to_string(i), Id(i)), "t" + std::to_string(i)});
  const size_t entry = journal.size() / 4;  // all four are of one size

  // Killed before its first save, in the middle of an append: no files, no error, the
  // whole entries.
  WriteFile(Path("vqclips.qvj"), journal.substr(0, journal.size() - 3));
  TClipHistory cut;
  cut.SetFolder(folder);
  cut.Load();
  ASSERT_EQ(cut.Count(), 3);
  EXPECT_EQ(cut.TextOf(0), "t3");
  EXPECT_EQ(cut.ReplayNote(), "");
  EXPECT_EQ(ReadFile(Path("Lb1.qvl")).size(), 3 * (MakeListLine("c1", Id(1)).size() + 2));

  // The third entry damaged: two replayed onto the saved files, the user told once, the
  // journal kept aside.
  std::string damaged = journal;
  damaged[2 * entry + 10] ^= 1;
  WriteFile(Path("vqclips.qvj"), damaged);
  TClipHistory hurt;
  hurt.SetFolder(folder);
  hurt.Load();
  EXPECT_EQ(hurt.Count(), 3);  // the two replayed again are known by their ids
  EXPECT_TRUE(hurt.Replayed().damaged);
  EXPECT_NE(hurt.ReplayNote().find("2 change(s)"), std::string::npos) << hurt.ReplayNote();
  EXPECT_EQ(ReadFile(Path("vqclips.qvj.bak")), damaged);
  EXPECT_FALSE(std::filesystem::exists(Path("vqclips.qvj")));
  TClipHistory again;
  again.SetFolder(folder);
  again.Load();
  EXPECT_EQ(again.ReplayNote(), "");
  EXPECT_EQ(again.Lines(), cut.Lines());
}

}  // namespace
}  // namespace qv

namespace qv {
namespace {

TEST(ExactTexts, BlocksReadBackAndDamageCostsOnlyWhatItTouches) {
  const std::string good = ExactTextsImage({{Id(1),
                                             "Gr\xC3\xBC\xC3\x9F"
                                             "e\r\n/:utf:\\x 3"},
                                            {Id(2), ""}});
  TExactTextMap texts;
  TExactTextsRead read = ReadExactTexts(good, texts);
  EXPECT_FALSE(read.damaged);
  EXPECT_EQ(read.blocks, 2u);
  EXPECT_EQ(texts[Id(1)],
            "Gr\xC3\xBC\xC3\x9F"
            "e\r\n/:utf:\\x 3");  // the length, not a line, ends it

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
  const std::string exact =
      "Gr\xC3\xBC\xC3\x9F"
      "e \xE2\x86\x92 A";  // "Grüße → A"
  ASSERT_TRUE(
      history.AddClip("Gr\xFC\xDF"
                      "e ? A",
                      Id(1),
                      "Gr\xFC\xDF"
                      "e ? A",
                      exact));
  ASSERT_TRUE(history.AddClip("plain", Id(2), "plain"));
  EXPECT_EQ(*history.ExactTextOf(1), exact);
  EXPECT_EQ(history.ExactTextOf(0), nullptr);
  const auto upper = [](std::string_view t) { return "<" + std::string(t) + ">"; };
  EXPECT_EQ(history.GatherExact(1, true, upper), exact + "\r\n<plain>\r\n");
  history.Save();
  // The two files as always: the ANSI rendering.
  EXPECT_NE(ReadFile(Path("vqclips.qvl"))
                .find("\r\nGr\xFC\xDF"
                      "e ? A\r\n"),
            std::string::npos);
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
  EXPECT_EQ(loaded.TextOf(1),
            "Gr\xFC\xDF"
            "e ? A");
  loaded.Save();  // the block of a clip the store lacks goes; none left: no file
  EXPECT_FALSE(std::filesystem::exists(Path("vqclips.qvu")));
}

TEST_F(ClipHistoryFiles, AJournaledCaptureKeepsItsExactText) {
  TClipHistory history;
  history.SetFolder(dir_.string() + "/");
  history.Save();
  history.Load();
  ASSERT_TRUE(history.AddClip("? A", Id(1), "? A", "\xE2\x86\x92 A"));
  ASSERT_TRUE(history.FlushJournal());
  TClipHistory restarted;  // after a crash: only the journal knows the clip
  restarted.SetFolder(history.Folder());
  restarted.Load();
  ASSERT_NE(restarted.ExactTextOf(0), nullptr);
  EXPECT_EQ(*restarted.ExactTextOf(0), "\xE2\x86\x92 A");
  EXPECT_EQ(ReadFile(Path("vqclips.qvu")), ExactTextsImage({{Id(1), "\xE2\x86\x92 A"}}));
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

// Finding as the user types: every word anywhere in the whole text, exact texts in UTF-8,
// and a narrowing search that still gives what a full one gives.
TEST(ClipHistory, FinderMatchesEveryWordOfTheWholeTextNewestFirst) {
  EXPECT_EQ(FindWords("  ab\tc \r\n"), (std::vector<std::string>{"ab", "c"}));
  EXPECT_EQ(FindIgnoringCase("xxAbAbC", "abc"), 4u);
  EXPECT_EQ(FindIgnoringCase("xyz ABC", "abc"), 4u);  // at the very end
  EXPECT_EQ(FindIgnoringCase("ab", "abc"), std::string_view::npos);
  // Looked for by its rarest letter: the first place still counts, and the text's edges.
  EXPECT_EQ(FindIgnoringCase("zaz-az-az", "AZ"), 1u);
  EXPECT_EQ(FindIgnoringCase("xqua", "qua"), 1u);
  EXPECT_EQ(FindIgnoringCase("qu", "qua"), std::string_view::npos);
  EXPECT_EQ(FindIgnoringCase("equa", "equ"), 0u);
  EXPECT_EQ(FindIgnoringCase("\xE9", "\xC9"), std::string_view::npos);  // ASCII letters only

  TClipHistory history;
  ASSERT_TRUE(history.AddClip("Main Street 5\r\nTuesday", Id(1), "Main Street 5..."));
  ASSERT_TRUE(history.AddClip("caf? street", Id(2), "caf? street", "caf\xC3\xA9 street"));
  ASSERT_TRUE(history.AddClip("street", Id(3), "street"));
  ASSERT_TRUE(history.AddClip("gone", Id(4), "gone"));
  history.MoveToTop(3);  // the oldest line on top: its block is still there
  TClipFinder finder;
  finder.SetTexts(FindTexts(history));
  using Rows = std::vector<int>;
  EXPECT_EQ(finder.Find({}, {}), (Rows{0, 1, 2, 3}));
  EXPECT_EQ(finder.Find({"STREET"}, {"STREET"}), (Rows{0, 2, 3}));
  // Both words, in any order, one of them past the first line, which is all the list shows.
  EXPECT_EQ(finder.Find({"tues", "street"}, {"tues", "street"}), (Rows{0}));
  // Words that do not narrow the last ones search everything again.
  EXPECT_EQ(finder.Find({"stree"}, {"stree"}), (Rows{0, 2, 3}));
  EXPECT_EQ(finder.Find({"caf?"}, {"caf\xC3\xA9"}), (Rows{3}));
  EXPECT_EQ(finder.Find({"?"}, {"?"}), (Rows{}));  // the exact text has no "?"
  finder.SetTexts({{"x"}, {""}});
  EXPECT_EQ(finder.Find({"x"}, {"x"}), (Rows{0}));
}

}  // namespace
}  // namespace qv
