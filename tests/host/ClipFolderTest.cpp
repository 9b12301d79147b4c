// The clip files: saving and loading, files set aside, exact texts beside them, and the
// journal that keeps every change between saves, under random work and random trouble.

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <map>
#include <random>

#include "app/ClipFolder.h"
#include "app/ExactTexts.h"
#include "framework/SysUtils.h"
#include "tests/host/DurabilityDriver.h"
#include "tests/host/ScratchDir.h"

namespace qv {
namespace {

std::string Id(int n) { return Format("%013d", n); }

// A history with its files, as the program keeps them.
struct TKept : TClipHistory {
  explicit TKept(std::string folder, size_t capacity = kStoreCapacity)
      : TClipHistory(capacity), files(*this) {
    files.SetFolder(std::move(folder));
  }
  void Load() { files.Load(); }
  void Save() { files.Save(); }
  TClipFolder files;
};

using ClipFolder = test::ScratchDirTest;

// Seeded runs of the durability driver: a failure names its seed, so it can be run again.
TEST_F(ClipFolder, NoCrashOrRefusedWriteEverLosesReordersOrMixesUpAClip) {
  // In memory where the system has such a folder: every write is pushed to the disk, and
  // thousands of those would make the test wait on the disk, not on the code.
  namespace fs = std::filesystem;
  const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") / dir_.filename() : dir_;
  int crashes = 0;
  for (uint32_t seed = 1; seed <= 16; ++seed) {
    std::mt19937 rng(seed);
    const std::string folder = (base / ("run" + std::to_string(seed))).string() + "/";
    fs::create_directories(folder);
    test::TDurabilityDriver driver([&rng](uint32_t n) { return static_cast<uint32_t>(rng() % n); },
                                   folder, (base / "crash").string() + "/", 2500 + 1000 * (seed % 3));
    EXPECT_EQ(driver.Run(400), "") << "seed " << seed;
    crashes += driver.Crashes();
  }
  fs::remove_all(base);
  EXPECT_GT(crashes, 1000);  // the runs did reach the crash points
}


TEST_F(ClipFolder, SavedFilesLoadBackAndAFailedStoreSaveLeavesTheListAlone) {
  TKept history(dir_.string() + "/");
  EXPECT_NO_THROW(history.Load());  // a first start: nothing there, nothing to say
  history.AddClip("first line\r\nsecond line", Id(1), "first line...");
  history.AddClip("second", Id(2), "second");
  history.Save();
  const std::string list = ReadFile(Path("Lb1.qvl"));
  EXPECT_EQ(list,
            MakeListLine("second", Id(2)) + "\r\n" + MakeListLine("first line...", Id(1)) + "\r\n");

  TKept loaded(history.files.Folder());
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
    EXPECT_EQ(e.Message(), "Cannot create file " + loaded.files.StorePath());
    EXPECT_EQ(e.ErrorCode(), static_cast<unsigned long>(EISDIR));
  }
  EXPECT_EQ(ReadFile(Path("Lb1.qvl")), withGone);
}

TEST_F(ClipFolder, ListLinesOfAnyShapeSaveBackByteForByte) {
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
  TKept history(dir_.string() + "/");
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
  TKept loaded(history.files.Folder());
  loaded.Load();
  EXPECT_EQ(loaded.Lines(), history.Lines());
}

TEST_F(ClipFolder, AFileThatWasThereButCouldNotBeReadIsSetAsideAtTheSave) {
  TKept history(dir_.string() + "/");
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

TEST_F(ClipFolder, ANewClipNeverTakesTheIdOfALineWhoseTextIsGoneNorItsExactText) {
  TClipIdGenerator first([] { return 1000000u; });
  const std::string gone = first.Next(), orphan = first.Next();
  WriteFile(Path("Lb1.qvl"), MakeListLine("old", gone) + "\r\n");
  WriteFile(Path("vqclips.qvl"), "");
  // An exact text whose clip is gone (a file older than the store): the next id drawn.
  WriteFile(Path("vqclips.qvu"), ExactTextsImage({{orphan, "someone else's text"}}));
  TKept history(dir_.string() + "/");
  history.Load();
  EXPECT_EQ(history.files.OrphanExactTexts(), std::vector<std::string>{orphan});
  TClipIdGenerator ids([] { return 1000000u; });  // its first id is the old line's
  const auto width = [](const std::string&) { return 0; };
  const auto id = history.AddClip("new", ids, width);
  ASSERT_TRUE(id);
  EXPECT_NE(*id, gone);
  EXPECT_FALSE(history.TextOf(1));  // the old line still recalls nothing
  ASSERT_TRUE(history.AddClip("hello", ids, width));
  EXPECT_EQ(history.ExactTextOf(0), nullptr);  // "hello" pastes hello
}

TEST_F(ClipFolder, AJournalThatCannotBeReadOrDoesNotFitIsKeptAsideAndSaidNeverDropped) {
  const std::string folder = dir_.string() + "/";
  {
    TKept run(folder);
    run.Load();
    run.AddClip("saved", Id(1), "saved");
    run.Save();
    run.AddClip("journaled", Id(2), "journaled");
    ASSERT_TRUE(run.files.Flush());
  }
  const std::string journal = ReadFile(Path("vqclips.qvj"));
  // The list was replaced by hand since: the journal does not fit it.
  WriteFile(Path("Lb1.qvl"), MakeListLine("restored", Id(1)) + "\r\n");
  TKept restarted(folder);
  restarted.Load();
  ASSERT_EQ(restarted.files.Notes().size(), 1u);
  EXPECT_NE(restarted.files.Notes()[0].find("does not fit"), std::string::npos);
  EXPECT_EQ(restarted.Count(), 1);
  EXPECT_EQ(restarted.Display(0), "restored");
  EXPECT_EQ(ReadFile(Path("vqclips.qvj.bak")), journal);
  EXPECT_FALSE(std::filesystem::exists(Path("vqclips.qvj")));

  // Something that cannot be read where the journal is: said, and kept aside at the start.
  std::filesystem::create_directory(Path("vqclips.qvj"));
  TKept unread(folder);
  unread.Load();
  ASSERT_EQ(unread.files.Notes().size(), 1u);
  EXPECT_NE(unread.files.Notes()[0].find("could not be read"), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_directory(Path("vqclips.qvj.bak1")));
  unread.AddClip("new", Id(3), "new");
  EXPECT_TRUE(unread.files.Flush());
}

TEST_F(ClipFolder, AJournalPastTwiceTheCapacityIsSavedIntoTheFiles) {
  // Auto save off, as shipped: only the journal's size makes a save.
  const size_t capacity = 4000;
  TKept history(dir_.string() + "/", capacity);
  history.Load();
  uint64_t now = 0;
  for (int i = 0; i < 200; ++i) {
    history.AddClip(std::string(900, static_cast<char>('a' + i % 26)), Id(i), "c");
    history.files.Tick(now += kJournalFlushDelay);
    ASSERT_LE(history.files.JournalSize(), 2 * capacity + 1200) << i;
  }
  EXPECT_TRUE(std::filesystem::exists(Path("Lb1.qvl")));
  TKept restarted(dir_.string() + "/", capacity);
  restarted.Load();
  EXPECT_EQ(restarted.Lines(), history.Lines());
}

TEST_F(ClipFolder, WithEveryAsideNameTakenTheOldestCopyMakesRoom) {
  std::filesystem::create_directory(Path("Lb1.qvl"));
  WriteFile(Path("vqclips.qvl"), "unread\r\n");
  const auto now = std::filesystem::file_time_type::clock::now();
  for (int n = 0; n < 100; ++n) {
    const std::string name = Path("vqclips.qvl.bak" + (n ? std::to_string(n) : ""));
    WriteFile(name, "copy " + std::to_string(n));
    // .bak57 was written longest ago; the names' order says nothing about age.
    std::filesystem::last_write_time(name, now - std::chrono::hours(n == 57 ? 500 : 100 - n));
  }
  TKept history(dir_.string() + "/");
  EXPECT_THROW(history.Load(), EFOpenError);
  history.Save();
  EXPECT_EQ(ReadFile(Path("vqclips.qvl.bak57")), "unread\r\n");
  EXPECT_EQ(ReadFile(Path("vqclips.qvl.bak")), "copy 0");
  EXPECT_EQ(ReadFile(Path("vqclips.qvl.bak99")), "copy 99");
  EXPECT_FALSE(std::filesystem::exists(Path("vqclips.qvl.bak100")));
}

TEST_F(ClipFolder, ExactTextsLiveBesideTheTwoFilesOnlyWhileAClipNeedsOne) {
  TKept history(dir_.string() + "/");
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

  TKept loaded(history.files.Folder());
  loaded.Load();
  EXPECT_FALSE(loaded.files.ExactTextsDamaged());
  ASSERT_NE(loaded.ExactTextOf(1), nullptr);
  EXPECT_EQ(*loaded.ExactTextOf(1), exact);

  // A damaged file costs its texts only, and is said; the next save writes what is left.
  WriteFile(Path("vqclips.qvu"), ExactTextsImage({{Id(9), "no such clip"}}) + "/:utf:\\cut");
  loaded.Load();
  EXPECT_TRUE(loaded.files.ExactTextsDamaged());
  EXPECT_EQ(loaded.ExactTextOf(1), nullptr);
  EXPECT_EQ(loaded.TextOf(1),
            "Gr\xFC\xDF"
            "e ? A");
  loaded.Save();  // the block of a clip the store lacks goes; none left: no file
  EXPECT_FALSE(std::filesystem::exists(Path("vqclips.qvu")));
}

TEST_F(ClipFolder, KeptMarksOutliveRestartsAndClearsAndADeletedTextLeavesNoFileSoonAfter) {
  TKept history(dir_.string() + "/");
  history.Load();
  history.AddClip("keep me", Id(1), "keep me");
  history.AddClip("secret-pass", Id(2), "secret-pass");
  history.AddClip("third", Id(3), "third");
  history.SetKept(2, true);
  history.Save();  // the files hold the secret now, and the journal will
  history.files.Flush();
  ASSERT_NE(ReadFile(Path("vqclips.qvl")).find("secret-pass"), std::string::npos);
  EXPECT_EQ(ReadFile(Path("vqclips.qvk")), Id(1) + "\r\n");

  history.Delete(1);
  // The journal tells the delete without the text.
  EXPECT_EQ(history.files.Pending().find("secret-pass"), std::string::npos);
  EXPECT_NE(history.files.Pending(), "");
  EXPECT_LE(history.files.NextTick(0), kPurgeDelay);
  history.files.Tick(kPurgeDelay);
  for (const auto& entry : std::filesystem::directory_iterator(dir_))
    EXPECT_EQ(ReadFile(entry.path().string()).find("secret-pass"), std::string::npos)
        << entry.path();

  // The mark comes back at a start, from the file and from the journal; a Clear keeps
  // both kept clips, and a start after it too.
  TKept again(history.files.Folder());
  again.Load();
  ASSERT_EQ(again.Count(), 2);
  EXPECT_TRUE(again.Kept(1));
  EXPECT_FALSE(again.Kept(0));
  again.SetKept(0, true);
  again.AddClip("gone at the clear", Id(4), "gone");
  again.Clear();
  again.files.Flush();
  TKept third(history.files.Folder());
  third.Load();
  ASSERT_EQ(third.Count(), 2);
  EXPECT_EQ(third.KeptCount(), 2);
  EXPECT_EQ(third.TextOf(0), "third");
}

// Copies of the files set aside at random moments (journals among them with damage before,
// between and after their entries): after random deletes, keeps and perhaps a clear, and
// the save, no file holds a byte of a deleted clip, while the copies keep every other clip
// and still read.
TEST_F(ClipFolder, DeletedAndClearedClipsLeaveTheCopiesSetAsideAndNothingElseDoes) {
  namespace fs = std::filesystem;
  const char* const kNames[] = {"Lb1.qvl", "vqclips.qvl", "vqclips.qvu", "vqclips.qvj"};
  // In memory where the system has such a folder, as above.
  const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") / dir_.filename() : dir_;
  for (uint32_t seed = 1; seed <= 8; ++seed) {
    std::mt19937 rng(seed);
    auto pick = [&rng](uint32_t n) { return static_cast<uint32_t>(rng() % n); };
    const std::string folder = (base / ("run" + std::to_string(seed))).string() + "/";
    fs::create_directories(folder);
    TKept history(folder);
    history.Load();
    // Every clip carries a marker no other text holds, so "a byte of it" is a search.
    auto marker = [](int n) { return Format("<m%05d>", n); };
    int clips = 0, copies = 0;
    auto setAside = [&] {
      ++copies;
      for (const char* name : kNames) {
        if (!fs::exists(folder + name)) continue;
        std::string bytes = ReadFile(folder + name);
        if (std::string(name) == kClipJournalFile && pick(2))
          bytes.insert(pick(2) ? 0 : bytes.size(), "\x07\x00\x00\x00damaged");
        WriteFile(folder + name + ".bak" + std::to_string(copies), bytes);
      }
    };
    for (int step = 0; step < 120; ++step) {
      const int lines = history.Count();
      const uint32_t what = pick(100);
      if (what < 50 || lines == 0) {
        std::string text = marker(++clips);
        for (uint32_t more = pick(4); more > 0; --more) text += pick(2) ? "\r\nline " : " word";
        if (pick(3) == 0) text = "\r\n" + text + "\r\n" + marker(clips);
        // The line shows the text's first line that is not blank, cut or not.
        history.AddClip(text, Id(clips), marker(clips).substr(0, 6 + pick(3)) + (pick(2) ? "..." : ""),
                        pick(4) ? std::string() : "\xE2\x86\x92" + text);
      } else if (what < 62) {
        history.SetKept(static_cast<int>(pick(lines)), pick(2));
      } else if (what < 72) {
        history.MoveToTop(static_cast<int>(pick(lines)));
      } else if (what < 82) {
        history.files.Flush();
      } else if (what < 90) {
        history.Save();
      } else {
        setAside();
      }
    }
    history.files.Flush();
    setAside();
    auto files = [&folder] {
      std::map<std::string, std::string> bytes;
      for (const auto& entry : fs::directory_iterator(folder))
        bytes[entry.path().filename().string()] = ReadFile(entry.path().string());
      return bytes;
    };
    const auto before = files();
    for (int n = static_cast<int>(pick(4)); n > 0 && history.Count() > 0; --n)
      history.Delete(static_cast<int>(pick(static_cast<uint32_t>(history.Count()))));
    if (pick(2)) history.Clear();
    history.files.Tick(kPurgeDelay);
    auto after = files();

    const std::string kept = history.Store().Text() + history.ExactImage();
    for (int n = 1; n <= clips; ++n) {
      const bool gone = kept.find(marker(n)) == std::string::npos;
      for (const auto& [name, was] : before) {
        const std::string& now = after[name];
        // A list line may show only the start of the marker: its id tells it.
        const std::string sign = name.rfind(kClipListFile, 0) == 0 ? std::string(kHeaderMarker) + Id(n) : marker(n);
        if (gone)
          EXPECT_EQ(now.find(sign), std::string::npos) << "seed " << seed << ": clip " << n << " in " << name;
        else if (name.find(".bak") != std::string::npos)
          EXPECT_EQ(now.find(sign) != std::string::npos, was.find(sign) != std::string::npos)
              << "seed " << seed << ": clip " << n << " in " << name;
      }
    }
    for (const auto& [name, was] : before)
      if (name.rfind(std::string(kClipJournalFile) + ".bak", 0) == 0)
        EXPECT_EQ(ReadJournal(after[name]).entries.size(), ReadJournal(was).entries.size())
            << "seed " << seed << ": " << name;
  }
  fs::remove_all(base);
}

}  // namespace
}  // namespace qv
