// The clip history model: list lines and store kept together, what a view is told, the
// two files.

#include <gtest/gtest.h>

#include "app/ClipFilter.h"
#include "app/ClipHistory.h"
#include "app/ClipJournal.h"
#include "framework/SysUtils.h"

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

TEST(ClipHistory, KeptClipsAreNeverMadeRoomForTrimmedOrClearedAndADeleteLeavesNoTrace) {
  // Room for three 1,000-character clips.
  TClipHistory history(3 * 1044 + 500);
  TMirrorView view(history);
  history.SetView(&view);
  ASSERT_TRUE(history.AddClip(std::string(1000, 'a'), Id(1), "a"));
  ASSERT_TRUE(history.AddClip(std::string(1000, 'b'), Id(2), "b"));
  ASSERT_TRUE(history.AddClip(std::string(1000, 'c'), Id(3), "c"));
  EXPECT_TRUE(history.SetKept(2, true));  // a, the oldest
  EXPECT_TRUE(history.Kept(2));
  // Room is made from b, the oldest that is not kept.
  ASSERT_TRUE(history.AddClip(std::string(1000, 'd'), Id(4), "d"));
  EXPECT_TRUE(history.Store().HasHeaderKey(Id(1)));
  EXPECT_FALSE(history.Store().HasHeaderKey(Id(2)));
  // With only kept clips in the way the copy is refused, and nothing changes.
  history.SetKept(0, true);
  history.SetKept(1, true);
  EXPECT_EQ(history.KeptCount(), 3);
  EXPECT_FALSE(history.AddClip(std::string(1000, 'e'), Id(5), "e"));
  EXPECT_TRUE(history.Store().KeptInTheWay());
  EXPECT_EQ(history.Count(), 3);
  EXPECT_TRUE(history.AddClip("f", Id(6), "f"));  // small enough: no room is needed
  EXPECT_FALSE(history.Store().KeptInTheWay());

  // The 72-line trim passes over kept lines.
  TClipHistory list;
  for (int i = 0; i < 74; ++i) list.AddClip("t" + std::to_string(i), Id(100 + i), "t");
  list.SetKept(72, true);
  list.MoveToTop(5);  // 74 lines: the first unkept line at or past 72 goes
  ASSERT_EQ(list.Count(), 73);
  EXPECT_TRUE(list.Kept(72));
  EXPECT_EQ(list.TextOf(72), "t1");

  // Clear keeps the kept clips, their lines and texts, and nothing else.
  history.Clear();
  EXPECT_EQ(history.Count(), 3);
  EXPECT_EQ(history.KeptIds(), (std::vector<std::string>{Id(4), Id(3), Id(1)}));
  EXPECT_EQ(history.TextOf(2), std::string(1000, 'a'));
  EXPECT_FALSE(history.Store().HasHeaderKey(Id(6)));
  EXPECT_EQ(view.lines, history.Lines());

  // A delete takes the line, every block of its id, its exact text, its mark, and the
  // same text where no line shows it; other clips keep theirs.
  TClipHistory secret;
  secret.AddClip("pw", Id(7), "pw", "\xE2\x86\x92pw");
  secret.AddClip("other", Id(8), "other");
  secret.AddClip("pw", Id(9), "pw");
  secret.SetKept(0, true);
  secret.RemoveLine(2);  // Id(7)'s block is now unlisted
  secret.Delete(0);
  EXPECT_EQ(secret.Count(), 1);
  EXPECT_EQ(secret.KeptCount(), 0);
  EXPECT_EQ(secret.Store().Text().find("pw"), std::string::npos);
  EXPECT_TRUE(secret.ExactTexts().empty());
  EXPECT_EQ(secret.TextOf(0), "other");
}

TEST(ClipJournal, EntriesReadBackUpToTheFirstOneCutShortOrDamaged) {
  // The check is the standard CRC-32 (its check value), and it continues across pieces.
  EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
  std::string long_(1001, 'x');
  for (size_t i = 0; i < long_.size(); ++i) long_[i] = static_cast<char>(i * 7 + i / 13);
  EXPECT_EQ(Crc32(long_.substr(333), Crc32(long_.substr(0, 333))), Crc32(long_));
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
    // What a power cut leaves when the file grew before its bytes were written: zeros
    // from some point on, a torn write too, never damage.
    std::string zeroed = bytes.substr(0, cut) + std::string(bytes.size() - cut + cut % 7, '\0');
    read = ReadJournal(zeroed);
    ASSERT_EQ(read.entries.size(), 2u) << cut;
    EXPECT_EQ(read.end, TJournalEnd::CutShort) << cut;
  }
  EXPECT_EQ(ReadJournal(bytes.substr(0, two) + std::string(40, '\0')).end, TJournalEnd::CutShort);
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
           {'Z', {}}, {'A', {Id(1), "line"}}, {'M', {"12", "line"}}, {'S', {"1", "2", "3"}}}) {
    std::string odd;
    AppendJournalEntry(odd, static_cast<TJournalKind>(kind), fields);
    EXPECT_EQ(ReadJournal(odd).end, TJournalEnd::Damaged) << kind;
  }
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
  EXPECT_EQ(FoundText(12), "12 clips found");
  EXPECT_EQ(FoundText(1), "1 clip found");
  EXPECT_EQ(FoundText(0), "0 clips found");
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
  // A word cut back to part of the last one widens the search again.
  finder.SetTexts({{"street"}, {"streep"}});
  EXPECT_EQ(finder.Find({"street"}, {"street"}), (Rows{0}));
  EXPECT_EQ(finder.Find({"stree"}, {"stree"}), (Rows{0, 1}));
  finder.SetTexts({{"x"}, {""}});
  EXPECT_EQ(finder.Find({"x"}, {"x"}), (Rows{0}));
}

// In Shift-JIS the second byte of a character can be "\" or a letter: a word matches whole
// characters only, and only such a match lets a search narrow the last one.
TEST(ClipHistory, FinderOnADoubleByteCodePageMatchesWholeCharactersOnly) {
  TLeadBytes sjis;
  sjis.Add(0x81, 0x9F);
  sjis.Add(0xE0, 0xFC);
  const std::string table = "\x95\x5C";
  constexpr size_t npos = std::string_view::npos;
  EXPECT_EQ(FindIgnoringCase(table, "\\", &sjis), npos);
  EXPECT_EQ(FindIgnoringCase(table + "\\", "\\", &sjis), 2u);
  // Lead bytes pair up after the last byte that cannot be one.
  EXPECT_EQ(FindIgnoringCase("\x95\x95\x95\x5C", "\\", &sjis), npos);
  EXPECT_EQ(FindIgnoringCase("\x95\x95\\", "\\", &sjis), 2u);
  EXPECT_EQ(FindIgnoringCase(table + table + "\\", "\\", &sjis), 4u);
  // A character of the word across two of the text's; a second byte is never folded.
  EXPECT_EQ(FindIgnoringCase("\x95\x81\x40", "\x81\x40", &sjis), npos);
  EXPECT_EQ(FindIgnoringCase("x\x81\x40", "\x81\x40", &sjis), 1u);
  EXPECT_EQ(FindIgnoringCase("\x83\x61", "\x83\x41", &sjis), npos);
  EXPECT_EQ(FindIgnoringCase(table + "Abc", "aBC", &sjis), 2u);

  TClipFinder finder(sjis);
  finder.SetTexts({{table}, {"C:\\"}});
  using Rows = std::vector<int>;
  EXPECT_EQ(finder.Find({"\\"}, {"\\"}), (Rows{1}));
  EXPECT_EQ(finder.Find({table}, {"\xE8\xA1\xA8"}), (Rows{0}));
}

}  // namespace
}  // namespace qv
