#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "framework/FileIO.h"
#include "tests/host/ScratchDir.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

class FileIO : public test::ScratchDirTest {
 protected:
  std::string Read(const std::string& name) const { return ReadFile(Path(name)); }
  void Write(const std::string& name, const std::string& bytes) const {
    WriteFile(Path(name), bytes);
  }
  long Entries() const {
    return static_cast<long>(std::distance(fs::directory_iterator(dir_), {}));
  }
};

TEST_F(FileIO, ReadsEveryByteAndFailsWithTheSystemsReasonOnWhatIsNoFile) {
  std::string large(200000, '\0');  // beyond one read chunk
  for (size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 131 % 251);
  Write("large", large);
  Write("empty", "");
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(Path("large"), bytes));
  EXPECT_EQ(bytes, large);
  ASSERT_TRUE(ReadWholeFile(Path("empty"), bytes));
  EXPECT_EQ(bytes, "");

  bytes = "kept";
  EXPECT_EQ(ReadWholeFile(Path("missing"), bytes).Error(), static_cast<unsigned long>(ENOENT));
  fs::create_directory(Path("folder"));
  EXPECT_EQ(ReadWholeFile(Path("folder"), bytes).Error(), static_cast<unsigned long>(EISDIR));
  EXPECT_EQ(bytes, "kept");
}

TEST_F(FileIO, WritesWholeOrLeavesNoTraceAndTheTargetUntouched) {
  ASSERT_TRUE(WriteFileAtomically(Path("Lb1.qvl"), "written\r\n"));
  EXPECT_EQ(Read("Lb1.qvl"), "written\r\n");
  fs::remove(Path("Lb1.qvl"));

  const TFileStatus noFolder = WriteFileAtomically(Path("no-such-folder/vqclips.qvl"), "x");
  EXPECT_FALSE(noFolder);
  EXPECT_EQ(noFolder.Error(), static_cast<unsigned long>(ENOENT));

  // A folder where the file should go: the write fails and the folder keeps its content.
  fs::create_directory(Path("Lb1.qvl"));
  Write("Lb1.qvl/inside", "old");
  EXPECT_EQ(WriteFileAtomically(Path("Lb1.qvl"), "new").Error(),
            static_cast<unsigned long>(EISDIR));
  EXPECT_TRUE(fs::is_directory(Path("Lb1.qvl")));
  EXPECT_EQ(Read("Lb1.qvl/inside"), "old");

  EXPECT_EQ(Entries(), 1) << "a temporary file was left behind";
}

TEST_F(FileIO, KnowsTheTemporaryFilesAKilledWriterLeaves) {
  for (const char* name : {"vqclips.qvl.tmp4711-1", "VQCLIPS.QVL.tmp1-23"})
    EXPECT_TRUE(IsTemporaryFileOf(name, "vqclips.qvl")) << name;
  for (const char* name : {"vqclips.qvl", "vqclips.qvl.tmp", "vqclips.qvl.tmp12", "vqclips.qvl.tmp-1",
                           "vqclips.qvl.tmp1-", "vqclips.qvl.tmp1-2x", "vqclips.qvl.TMP1-2",
                           "vqclips.qvl.bak", "xvqclips.qvl.tmp1-1", "Lb1.qvl.tmp1-1"})
    EXPECT_FALSE(IsTemporaryFileOf(name, "vqclips.qvl")) << name;
}

}  // namespace
}  // namespace qv
