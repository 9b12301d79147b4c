// The clip tool's commands, run in-process on prepared files.

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <sstream>
#include <vector>

#include "app/ClipStore.h"
#include "app/ExactTexts.h"
#include "framework/CodePage.h"
#include "framework/SysUtils.h"
#include "qvclips/ClipFiles.h"
#include "qvclips/Commands.h"
#include "tests/host/ScratchDir.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

const std::string kMarker = std::string(70, ' ') + "/:hdr:\\";

std::string Block(const std::string& id, const std::string& text) {
  return "/:hdr:\\" + id + "\r\n" + text + "\r\n/:tlr:\\" + id + "\r\n";
}

std::string Id(int n) { return TClipIdGenerator::FormatId(n, n); }

class QvClips : public test::ScratchDirTest {
 protected:
  void SetUp() override {
    ScratchDirTest::SetUp();
    fs::create_directories(dir_ / "tool");
    fs::create_directories(dir_ / "cwd");
    host.exeFolder = [this] { return Path("tool") + "/"; };
    host.currentFolder = [this] { return Path("cwd"); };
    host.isFolder = [](const std::string& p) { return fs::is_directory(p); };
    host.isFile = [](const std::string& p) { return fs::is_regular_file(p); };
    host.fullPath = [](const std::string& p) { return p; };
    host.toUtf8 = [](std::string_view text, unsigned cp) { return AnsiToUtf8(text, cp ? cp : 1252); };
    host.programRunning = [this](const std::string&) { return running; };
    host.codePageHelp = "1252";
  }

  void WritePair(const std::string& list, const std::string& store) {
    WriteFile(Path("Lb1.qvl"), list);
    WriteFile(Path("vqclips.qvl"), store);
  }

  // Runs the tool on the scratch folder (unless the arguments name another).
  int Run(std::vector<std::string> args, bool withDir = true) {
    if (withDir) args.insert(args.end(), {"--dir", dir_.string()});
    args.insert(args.begin(), "qvclips");
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    std::ostringstream o, e;
    const int code = RunClipsTool(static_cast<int>(argv.size()), argv.data(), o, e, host);
    out = o.str();
    err = e.str();
    return code;
  }

  TClipsHost host;
  bool running = false;
  std::string out, err;
};


TEST_F(QvClips, ListNamesEachLineBySlotThenByNumberWithItsIdAndDisplayText) {
  std::string list, store;
  for (int i = 0; i < 38; ++i) {
    list += "clip " + std::to_string(i) + kMarker + Id(i) + (i % 2 ? "\n" : "\r\n");
    store += Block(Id(i), "text " + std::to_string(i));
  }
  list.insert(0, "a line without a marker\r");
  WritePair(list, store);
  ASSERT_EQ(Run({"list"}), kExitOk) << err;
  std::vector<std::string> rows;
  std::istringstream lines(out);
  for (std::string row; std::getline(lines, row);) rows.push_back(row);
  ASSERT_EQ(rows.size(), 39u);
  EXPECT_EQ(rows[0], "1   -              a line without a marker");
  EXPECT_EQ(rows[1], "2   " + Id(0) + "  clip 0");
  EXPECT_EQ(rows[9], "0   " + Id(8) + "  clip 8");
  EXPECT_EQ(rows[35], "Z   " + Id(34) + "  clip 34");
  EXPECT_EQ(rows[36], "37  " + Id(35) + "  clip 35");
  EXPECT_EQ(rows[38], "39  " + Id(37) + "  clip 37");
}

TEST_F(QvClips, ShowGivesTheTextAsThePasteWouldBySlotLineNumberOrId) {
  const std::string list = "one" + kMarker + Id(1) + "\r\n" + "no marker\r\n" + "gone" + kMarker +
                           Id(9) + "\r\n" + "two" + kMarker + Id(2) + "\r\n";
  // The store read with lone LF breaks: they paste as CR LF. The first clip's text holds
  // the second clip's header line, copied out of a store file: it must not capture it.
  const std::string store = "/:hdr:\\" + Id(1) + "\nsee:\n/:hdr:\\" + Id(2) + "\nend\n/:tlr:\\" +
                            Id(1) + "\n" + Block(Id(2), "the real two\r\n") +
                            Block(Id(3), "unlisted");
  WritePair(list, store);
  ASSERT_EQ(Run({"show", "1"}), kExitOk) << err;
  EXPECT_EQ(out, "see:\r\n/:hdr:\\" + Id(2) + "\r\nend");
  ASSERT_EQ(Run({"show", "4"}), kExitOk) << err;
  EXPECT_EQ(out, "the real two\r\n");
  ASSERT_EQ(Run({"show", Id(2)}), kExitOk);
  EXPECT_EQ(out, "the real two\r\n");
  ASSERT_EQ(Run({"show", Id(3)}), kExitOk);  // a text no list line shows any more
  EXPECT_EQ(out, "unlisted");

  EXPECT_EQ(Run({"show", "2"}), kExitNotFound);
  EXPECT_EQ(err, "The line at slot 2 has no clip id\n");
  EXPECT_EQ(Run({"show", "3"}), kExitNotFound);
  EXPECT_EQ(err, "The text of clip " + Id(9) + " (slot 3) is missing from " + Path("vqclips.qvl") + "\n");
  EXPECT_EQ(Run({"show", "z"}), kExitNotFound);
  EXPECT_EQ(err, "No clip at slot z: the list has 4 lines\n");
  EXPECT_EQ(Run({"show", Id(7)}), kExitNotFound);
  EXPECT_EQ(Run({"show", "#"}), kExitError);
  EXPECT_EQ(out, "");
  EXPECT_EQ(Run({"show"}), kExitError);  // the slot is required
}

TEST_F(QvClips, SearchIgnoresLetterCaseAndPrintsTheLineThatMatches) {
  WritePair("a" + kMarker + Id(1) + "\r\n" + "b" + kMarker + Id(2) + "\r\n" + "c" + kMarker + Id(3) + "\r\n",
            Block(Id(1), "first line\r\nthe Needle here\r\nlast") + Block(Id(2), "no match") +
                Block(Id(3), "NEEDLE") + Block(Id(4), "needle, but unlisted"));
  ASSERT_EQ(Run({"search", "nEEdle"}), kExitOk) << err;
  EXPECT_EQ(out, "1   " + Id(1) + "  the Needle here\n3   " + Id(3) + "  NEEDLE\n");
  EXPECT_EQ(Run({"search", "haystack"}), kExitNotFound);
  EXPECT_EQ(out, "");
  // Every word, anywhere in the text; the line shown is the first word's.
  ASSERT_EQ(Run({"search", "last needle"}), kExitOk) << err;
  EXPECT_EQ(out, "1   " + Id(1) + "  last\n");
  EXPECT_EQ(Run({"search", "needle match"}), kExitNotFound);
}

// For a terminal: UTF-8, and no control character of a copied text reaches it. search looks
// for UTF-8 words in UTF-8 texts; show still gives the exact bytes.
TEST_F(QvClips, ListAndSearchPrintUtf8WithControlCharactersEscaped) {
  const std::string ansi = "\x1b[2J\x7f caf\xE9 \x9D C:\\";  // 0x9D: U+009D in 1252
  WritePair(ansi + kMarker + Id(1) + "\r\n" + "exact" + kMarker + Id(2) + "\r\n",
            Block(Id(1), ansi) + Block(Id(2), "?31m ->"));
  WriteFile(Path("vqclips.qvu"), ExactTextsImage({{Id(2), "\u009B31m\t\u2192"}}));
  const std::string shown = "\\x1b[2J\\x7f caf\xC3\xA9 \\x9d C:\\\\";
  ASSERT_EQ(Run({"list"}), kExitOk) << err;
  EXPECT_EQ(out, "1   " + Id(1) + "  " + shown + "\n2   " + Id(2) + "  exact\n");
  ASSERT_EQ(Run({"search", "c:\\ caf\xC3\xA9"}), kExitOk) << err;
  EXPECT_EQ(out, "1   " + Id(1) + "  " + shown + "\n");
  ASSERT_EQ(Run({"search", "\xE2\x86\x92"}), kExitOk) << err;
  EXPECT_EQ(out, "2   " + Id(2) + "  \\x9b31m\\x09\xE2\x86\x92\n");
  ASSERT_EQ(Run({"show", "1"}), kExitOk);
  EXPECT_EQ(out, "\x1b[2J\x7f caf\xC3\xA9 \xC2\x9D C:\\");
}

TEST_F(QvClips, ExportGivesEveryListLineAndItsTextInJsonAsUtf8) {
  WritePair("euro" + kMarker + Id(1) + "\r\n" + "no marker\r\n" + "gone" + kMarker + Id(9) + "\r\n",
            Block(Id(1), "5 \x80 caf\xE9\r\n\"quoted\"\t"));
  ASSERT_EQ(Run({"export", "--json"}), kExitOk) << err;
  EXPECT_EQ(out, "[\n"
                 "  {\n    \"slot\": \"1\",\n    \"id\": \"" + Id(1) + "\",\n"
                 "    \"text\": \"5 \u20AC caf\u00E9\\r\\n\\\"quoted\\\"\\t\"\n  },\n"
                 "  {\n    \"slot\": \"2\",\n    \"id\": null,\n    \"text\": null\n  },\n"
                 "  {\n    \"slot\": \"3\",\n    \"id\": \"" + Id(9) + "\",\n    \"text\": null\n  }\n"
                 "]\n");
  ASSERT_EQ(Run({"export", "--json", "--codepage", "65001"}), kExitOk);
  EXPECT_NE(out.find("5 \uFFFD caf\uFFFD"), std::string::npos);
  EXPECT_EQ(Run({"export", "--json", "--codepage", "437"}), kExitError);
  EXPECT_EQ(out, "");
  EXPECT_NE(err.find("Code page 437"), std::string::npos);
  EXPECT_EQ(Run({"export", "--codepage", "1252"}), kExitError);  // only with --json

  ASSERT_EQ(Run({"export"}), kExitOk);
  EXPECT_EQ(out, "=== 1 " + Id(1) + "\n5 \xE2\x82\xAC caf\xC3\xA9\r\n\"quoted\"\t\n=== 2 -\n\n=== 3 " +
                     Id(9) + "\n\n");

  // A clip with an exact text: show, search and export give it; check names a damaged file
  // and notes an exact text whose clip is gone; repair keeps only what is sound.
  const std::string exact = "5 \xE2\x82\xAC \xE2\x86\x92";
  WriteFile(Path("vqclips.qvu"), ExactTextsImage({{Id(1), exact}, {Id(7), "orphan"}}) + "/:utf:\\cut");
  ASSERT_EQ(Run({"show", "1"}), kExitOk);
  EXPECT_EQ(out, exact);
  ASSERT_EQ(Run({"search", "\xE2\x86\x92"}), kExitOk);
  ASSERT_EQ(Run({"export", "--json"}), kExitOk);
  EXPECT_NE(out.find("5 \u20AC \u2192"), std::string::npos);
  EXPECT_EQ(Run({"check"}), kExitNotFound);
  EXPECT_NE(out.find("vqclips.qvu: damaged"), std::string::npos);
  EXPECT_NE(out.find("exact text of clip " + Id(7)), std::string::npos);
  ASSERT_EQ(Run({"repair"}), kExitOk);
  EXPECT_EQ(ReadFile(Path("vqclips.qvu")), ExactTextsImage({{Id(1), exact}}));
}

TEST_F(QvClips, CheckNamesEachProblemOnALineAndNotesWhatTheProgramLeavesOnPurpose) {
  const std::string sound = "one" + kMarker + Id(1) + "\r\n";
  WritePair(sound, Block(Id(1), "one") + Block(Id(2), "trimmed from the list"));
  EXPECT_EQ(Run({"check"}), kExitOk);
  EXPECT_EQ(out, "note: vqclips.qvl line 4: clip " + Id(2) +
                     " has no list line (the program keeps the texts of clips its list let go)\n"
                     "sound: 1 list lines, 114 characters of clip texts\n");

  WritePair(sound + "no marker\r\n" + "gone" + kMarker + Id(9) + "\r\n",
            "stray\r\n\r\n" + Block(Id(1), "one") + Block(Id(1), "older twin") + "\r\n\r\n" +
                "/:hdr:\\" + Id(3) + "\r\ncut short");
  EXPECT_EQ(Run({"check"}), kExitNotFound);
  EXPECT_EQ(out, "Lb1.qvl line 2 (slot 2): no clip id\n"
                 "Lb1.qvl line 3 (slot 3): clip " + Id(9) + " has no text in vqclips.qvl\n"
                 "vqclips.qvl lines 1-2: text outside any clip\n"
                 "note: vqclips.qvl line 6: clip " + Id(1) +
                 " repeats the id of a newer clip, whose text every lookup finds\n"
                 "vqclips.qvl lines 9-10: blank lines outside any clip\n"
                 "vqclips.qvl line 11: clip " + Id(3) + " has a header line but no trailer line\n"
                 "5 problems\n");
}

TEST_F(QvClips, CheckReportsAJournalWithUnsavedChangesAndWhereItIsDamagedOrCut) {
  WritePair("", "");
  std::string journal;
  AppendJournalEntry(journal, TJournalKind::Clear, {});
  AppendJournalEntry(journal, TJournalKind::Clear, {});
  WriteFile(Path("vqclips.qvj"), journal.substr(0, journal.size() - 1));
  EXPECT_EQ(Run({"check"}), kExitNotFound);
  EXPECT_EQ(out, "vqclips.qvj: 1 change(s) not saved in the two files yet; the program's next "
                 "start puts them there\n"
                 "note: vqclips.qvj: its last change was cut short at byte 13 (a write the "
                 "program did not finish) and is left out\n"
                 "1 problem\n");
  journal[12] ^= 1;
  WriteFile(Path("vqclips.qvj"), journal);
  EXPECT_EQ(Run({"check"}), kExitNotFound);
  EXPECT_EQ(out, "vqclips.qvj: damaged at byte 0; the changes from there on cannot be read\n"
                 "1 problem\n");
}

TEST_F(QvClips, CheckFindsAStoreOverItsLimit) {
  WritePair("", Block(Id(1), std::string(kStoreCapacity, 'x')));
  EXPECT_EQ(Run({"check"}), kExitNotFound);
  EXPECT_NE(out.find("vqclips.qvl: 16777259 characters, over the limit of 16777215\n"),
            std::string::npos) << out.substr(0, 300);
}

TEST_F(QvClips, RepairWritesASoundPairAndKeepsTheOriginalsAsBak) {
  const std::string list = "one" + kMarker + Id(1) + "\r\n" + "no marker\n" + "gone" + kMarker +
                           Id(9) + "\r\n" + "cut" + kMarker + Id(3) + "\r\n";
  const std::string store = "stray\r\n\r\n" + Block(Id(1), "one") + "\r\n" + Block(Id(2), "kept") +
                            "/:hdr:\\" + Id(3) + "\r\ncut short\r\n";
  WritePair(list, store);
  WriteFile(Path("Lb1.qvl.bak"), "an older backup");

  running = true;
  EXPECT_EQ(Run({"repair"}), kExitError);
  EXPECT_NE(err.find("running"), std::string::npos);
  EXPECT_EQ(ReadFile(Path("Lb1.qvl")), list);
  EXPECT_EQ(ReadFile(Path("vqclips.qvl")), store);
  EXPECT_FALSE(fs::exists(Path("vqclips.qvl.bak")));

  running = false;
  ASSERT_EQ(Run({"repair"}), kExitOk) << err;
  EXPECT_EQ(ReadFile(Path("Lb1.qvl.bak")), "an older backup");
  EXPECT_EQ(ReadFile(Path("Lb1.qvl.bak1")), list);
  EXPECT_EQ(ReadFile(Path("vqclips.qvl.bak")), store);
  EXPECT_EQ(ReadFile(Path("Lb1.qvl")), "one" + kMarker + Id(1) + "\r\n" + "cut" + kMarker + Id(3) + "\r\n");
  // The stray text became a clip of its own; the clip cut short got its trailer back.
  const std::string repaired = ReadFile(Path("vqclips.qvl"));
  ASSERT_EQ(repaired.substr(0, 7), "/:hdr:\\");
  const std::string freshId = repaired.substr(7, 13);
  EXPECT_EQ(repaired, Block(freshId, "stray\r\n") + Block(Id(1), "one") + Block(Id(2), "kept") +
                          Block(Id(3), "cut short"));
  for (int i : {1, 2, 3}) EXPECT_NE(freshId, Id(i));

  EXPECT_EQ(Run({"check"}), kExitOk) << out;
  ASSERT_EQ(Run({"show", "2"}), kExitOk);
  EXPECT_EQ(out, "cut short");
  ASSERT_EQ(Run({"repair"}), kExitOk);
  EXPECT_EQ(out, "nothing to repair\n");
  EXPECT_FALSE(fs::exists(Path("vqclips.qvl.bak1")));
}

TEST_F(QvClips, DeleteTakesAClipBySlotOrIdOutOfEveryFileAndListMarksKeptClips) {
  const std::string list = "one" + kMarker + Id(1) + "\r\n" + "secret" + kMarker + Id(2) +
                           "\r\n" + "three" + kMarker + Id(3) + "\r\n";
  WritePair(list, Block(Id(1), "one") + Block(Id(2), "secret") + Block(Id(3), "three") +
                      Block(Id(4), "secret"));
  WriteFile(Path("vqclips.qvk"), Id(3) + "\r\n");
  WriteFile(Path("Lb1.qvl.bak"), list);  // a copy set aside by an earlier repair
  ASSERT_EQ(Run({"list"}), kExitOk) << err;
  EXPECT_NE(out.find("3*  " + Id(3) + "  three\n"), std::string::npos) << out;
  EXPECT_NE(out.find("2   " + Id(2)), std::string::npos);

  running = true;
  EXPECT_EQ(Run({"delete", "2"}), kExitError);
  running = false;
  EXPECT_EQ(Run({"delete", "9"}), kExitNotFound);
  ASSERT_EQ(Run({"delete", "2"}), kExitOk) << err;
  EXPECT_EQ(out, "deleted clip " + Id(2) + "\n");
  for (const char* file : {"Lb1.qvl", "vqclips.qvl", "Lb1.qvl.bak"})
    EXPECT_EQ(ReadFile(Path(file)).find("secret"), std::string::npos) << file;
  EXPECT_NE(ReadFile(Path("Lb1.qvl.bak")).find("three"), std::string::npos);
  ASSERT_EQ(Run({"delete", Id(3)}), kExitOk) << err;  // a kept one too, by its id
  EXPECT_EQ(ReadFile(Path("Lb1.qvl")), "one" + kMarker + Id(1) + "\r\n");
  EXPECT_FALSE(fs::exists(Path("vqclips.qvk")));
  EXPECT_EQ(Run({"delete", Id(3)}), kExitNotFound);
}

TEST_F(QvClips, MissingFilesAndFoldersAreFileErrors) {
  EXPECT_EQ(Run({"list", "--dir", Path("nowhere")}, false), kExitError);
  EXPECT_EQ(err, "Cannot find folder " + Path("nowhere") + "\n");
  EXPECT_EQ(Run({"list"}), kExitError);
  EXPECT_EQ(err, "Cannot open file " + Path("Lb1.qvl") + "\n");
  WriteFile(Path("Lb1.qvl"), "one" + kMarker + Id(1) + "\r\n");
  for (const char* command : {"list", "check", "repair"}) {
    EXPECT_EQ(Run({command}), kExitError) << command;
    EXPECT_EQ(err, WithSystemReason("Cannot open file " + Path("vqclips.qvl"), ENOENT) + "\n");
    EXPECT_EQ(out, "");
  }
  EXPECT_FALSE(fs::exists(Path("Lb1.qvl.bak")));
}

TEST_F(QvClips, TheFolderIsThatOfAProgramBesideTheToolElseTheCurrentOneElseTheFallback) {
  fs::create_directories(dir_ / "fallback");
  host.fallbackFolder = [this] { return Path("fallback") + "/"; };
  EXPECT_EQ(Run({"list"}, false), kExitError);
  EXPECT_EQ(err, "Cannot open file " + Path("cwd") + "/Lb1.qvl\n");
  WriteFile(Path("tool/qvavad.exe"), "");
  EXPECT_EQ(Run({"list"}, false), kExitError);
  EXPECT_EQ(err, "Cannot open file " + Path("tool") + "/Lb1.qvl\n");
  // The program could not write beside itself and keeps its files in the fallback.
  WriteFile(Path("fallback/vqclips.qvl"), Block(Id(1), "one"));
  EXPECT_EQ(Run({"list"}, false), kExitError);
  EXPECT_EQ(err, "Cannot open file " + Path("fallback") + "/Lb1.qvl\n");
  // Files beside the program win.
  WriteFile(Path("tool/Lb1.qvl"), "");
  EXPECT_EQ(Run({"list"}, false), kExitError);
  EXPECT_EQ(err,
            WithSystemReason("Cannot open file " + Path("tool") + "/vqclips.qvl", ENOENT) + "\n");
}

TEST_F(QvClips, EveryCommandHasHelpAndBadUsageIsAnError) {
  for (const char* command : {"list", "show", "search", "export", "check", "repair"}) {
    EXPECT_EQ(Run({command, "--help"}, false), kExitOk) << command;
    EXPECT_NE(out.find(command), std::string::npos) << out;
  }
  EXPECT_EQ(Run({}, false), kExitError);
  EXPECT_EQ(Run({"frobnicate"}, false), kExitError);
  EXPECT_EQ(Run({"list", "--bogus"}, false), kExitError);
  EXPECT_FALSE(err.empty());
}

TEST(ClipFiles, LineAroundIsTheLineThatHoldsTheOffset) {
  EXPECT_EQ(LineAround("a\r\nbcd\r\ne", 4), "bcd");
  EXPECT_EQ(LineAround("abc", 0), "abc");
}

}  // namespace
}  // namespace qv
