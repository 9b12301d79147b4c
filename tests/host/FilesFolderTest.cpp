#include <gtest/gtest.h>

#include "app/FilesFolder.h"

namespace qv {
namespace {

// The folder that holds the clips is kept unless the exe's folder really cannot be
// written: a probe that failed otherwise never shows the user another history.
TEST(FilesFolder, TheFallbackFolderOnlyWhenTheExeFolderRefusesOrTheClipsAreThere) {
  using P = TFolderProbe;
  struct Row {
    P probe;
    bool exeClips, fallbackClips, lastInFallback, fallback;
  };
  const Row rows[] = {
      {P::Writable, false, false, false, false},
      {P::Failed, false, false, false, false},
      {P::Failed, true, true, true, false},
      {P::Writable, true, true, true, false},
      {P::Refused, false, false, false, true},
      {P::Refused, true, false, false, true},
      {P::Writable, false, true, true, true},
      {P::Failed, false, true, true, true},
      // Another copy's clips in the fallback folder do not draw this one there.
      {P::Writable, false, true, false, false},
      // Recorded there, but the clips are gone: back beside the exe.
      {P::Failed, false, false, true, false},
  };
  for (const Row& r : rows) {
    const TFolderFacts facts{r.probe, r.exeClips, r.fallbackClips, r.lastInFallback};
    EXPECT_EQ(KeepFilesInFallback(facts), r.fallback)
        << static_cast<int>(r.probe) << r.exeClips << r.fallbackClips << r.lastInFallback;
  }
}

TEST(FilesFolder, TheRecordListsEachFolderOnceAndKeepsTheOthers) {
  const std::string a = "C:\\PROGRAM FILES\\QV", b = "D:\\CLIPS \xCE\xA9";
  std::string record = RecordWithFolder("", a, true);
  EXPECT_EQ(record, a + "\r\n");
  record = RecordWithFolder(record, b, true);
  EXPECT_EQ(RecordWithFolder(record, b, true), record);
  EXPECT_TRUE(RecordListsFolder(record, a));
  EXPECT_FALSE(RecordListsFolder(record, "C:\\PROGRAM FILES"));
  // Lines ended by LF alone or by nothing are read too; removing one keeps the other.
  EXPECT_EQ(RecordWithFolder(a + "\n" + b, a, false), b + "\r\n");
  EXPECT_EQ(RecordWithFolder("", a, false), "");
  EXPECT_EQ(FallbackFilesFolder("C:\\Users\\\xC3\xA9\\AppData\\Local\\"),
            "C:\\Users\\\xC3\xA9\\AppData\\Local\\Quorvel Vavad\\");
  EXPECT_EQ(FallbackFilesFolder(""), "");
}

}  // namespace
}  // namespace qv
