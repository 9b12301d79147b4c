#pragma once
// A fresh folder for each test under the system's temporary folder, unique per
// process and test (two builds testing at once stay apart), with whole-file helpers.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace qv::test {

class ScratchDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }

  const std::filesystem::path dir_ =
      std::filesystem::temp_directory_path() /
      ("qv_" + std::to_string(getpid()) + "_" +
       testing::UnitTest::GetInstance()->current_test_info()->test_suite_name() + "_" +
       testing::UnitTest::GetInstance()->current_test_info()->name());
};

}  // namespace qv::test
