#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "framework/FileIO.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

class FileIO : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("qv_fileio_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  std::string Read(const std::string& name) const {
    std::ifstream in(dir_ / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
  }
  long Entries() const {
    return static_cast<long>(std::distance(fs::directory_iterator(dir_), {}));
  }

  fs::path dir_;
};

TEST_F(FileIO, ReadsEveryByteOfSmallAndLargeFiles) {
  std::string small("a\r\nb\0c\rd\n", 9);
  std::string large(200000, '\0');
  for (size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 131 % 251);
  Write("small", small);
  Write("large", large);
  Write("empty", "");

  std::string bytes = "stale";
  ASSERT_TRUE(ReadWholeFile(Path("small"), bytes));
  EXPECT_EQ(bytes, small);
  ASSERT_TRUE(ReadWholeFile(Path("large"), bytes));
  EXPECT_EQ(bytes, large);
  ASSERT_TRUE(ReadWholeFile(Path("empty"), bytes));
  EXPECT_EQ(bytes, "");
}

TEST_F(FileIO, ReadFailsForMissingFilesAndFolders) {
  std::string bytes = "kept";
  EXPECT_FALSE(ReadWholeFile(Path("missing"), bytes));
  fs::create_directory(Path("folder"));
  EXPECT_FALSE(ReadWholeFile(Path("folder"), bytes));
  EXPECT_EQ(bytes, "kept");
}

TEST_F(FileIO, WriteCreatesAndReplacesWhole) {
  ASSERT_TRUE(WriteFileAtomically(Path("Lb1.qvl"), "first version, longer\r\n"));
  EXPECT_EQ(Read("Lb1.qvl"), "first version, longer\r\n");
  ASSERT_TRUE(WriteFileAtomically(Path("Lb1.qvl"), "second\r\n"));
  EXPECT_EQ(Read("Lb1.qvl"), "second\r\n");
  ASSERT_TRUE(WriteFileAtomically(Path("Lb1.qvl"), ""));
  EXPECT_TRUE(fs::exists(Path("Lb1.qvl")));
  EXPECT_EQ(fs::file_size(Path("Lb1.qvl")), 0u);
  EXPECT_EQ(Entries(), 1) << "a temporary file was left behind";
}

TEST_F(FileIO, FailedWriteLeavesNoTemporaryAndTheTargetUntouched) {
  Write("vqclips.qvl", "precious");
  EXPECT_FALSE(WriteFileAtomically(Path("no-such-folder/vqclips.qvl"), "x"));

  // A folder where the file should go: the write fails and the folder keeps its content.
  fs::create_directory(Path("Lb1.qvl"));
  Write("Lb1.qvl/inside", "old");
  EXPECT_FALSE(WriteFileAtomically(Path("Lb1.qvl"), "new"));
  EXPECT_TRUE(fs::is_directory(Path("Lb1.qvl")));
  EXPECT_EQ(Read("Lb1.qvl/inside"), "old");

  EXPECT_EQ(Read("vqclips.qvl"), "precious");
  EXPECT_EQ(Entries(), 2) << "a temporary file was left behind";
}

}  // namespace
}  // namespace qv
