#include "framework/TextBuffer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

#include "framework/SysUtils.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

class TempDir {
 public:
  TempDir() {
    path_ = fs::temp_directory_path() /
            ("qv_textbuffer_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(path_);
  }
  ~TempDir() { fs::remove_all(path_); }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  fs::path path_;
};

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

TEST(TextBuffer, NormalisesEveryKindOfLineBreak) {
  TTextBuffer b;
  b.SetText("a\nb\rc\r\nd\n\re");  // LF CR is two breaks, not one
  EXPECT_EQ(b.Text(), "a\r\nb\r\nc\r\nd\r\n\r\ne");
  EXPECT_EQ(b.Size(), b.Text().size());
  EXPECT_EQ(TTextBuffer::NormalizeLineBreaks("\r\r\n\n"), "\r\n\r\n\r\n");
  EXPECT_EQ(TTextBuffer::NormalizeLineBreaks("x\r"), "x\r\n");
  b.Clear();
  EXPECT_TRUE(b.Empty());
  EXPECT_EQ(b.Text(), "");
}

TEST(TextBuffer, LineCountLeavesOutALastEmptyLine) {
  struct Case {
    const char* text;
    size_t lines;
  };
  for (const Case& c : {Case{"", 0}, Case{"a", 1}, Case{"a\r\n", 1}, Case{"a\r\n\r\n", 2},
                        Case{"\r\n", 1}, Case{"a\r\nb", 2}, Case{"a\rb\n", 2}}) {
    TTextBuffer b;
    b.SetText(c.text);
    EXPECT_EQ(b.LineCount(), c.lines) << '"' << c.text << '"';
  }
}

TEST(TextBuffer, LineAccessIsCappedAndChecked) {
  TTextBuffer b;
  b.SetText(std::string(5000, 'x') + "\r\n\r\nlast");
  ASSERT_EQ(b.LineCount(), 3u);
  EXPECT_EQ(b.Line(0), std::string(4096, 'x'));
  EXPECT_EQ(b.Line(1), "");
  EXPECT_EQ(b.Line(2), "last");
  try {
    b.Line(3);
    ADD_FAILURE() << "line 3 of 3 was handed out";
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (3)");
  }
  b.SetText("a\r\n");
  EXPECT_THROW(b.Line(1), EStringListError);  // the empty last line is not a line
}

TEST(TextBuffer, InsertAtTopPutsTheFormerFirstLineOnTheNextLine) {
  TTextBuffer b;
  b.InsertAtTop("");
  EXPECT_TRUE(b.Empty());
  b.InsertAtTop("one");
  EXPECT_EQ(b.Text(), "one");
  b.InsertAtTop("two\nlines");
  EXPECT_EQ(b.Text(), "two\r\nlines\r\none");
  EXPECT_EQ(b.LineCount(), 3u);
  EXPECT_EQ(b.Line(2), "one");  // the line index follows the insertion
  b.InsertAtTop("");
  EXPECT_EQ(b.Text(), "\r\ntwo\r\nlines\r\none");
}

TEST(TextBuffer, ManyInsertionsMatchPlainConcatenation) {
  // Crosses many regrowths of the front room, starting both empty and from set text.
  std::mt19937 rng(7);
  for (const char* start : {"", "seed\r\n"}) {
    TTextBuffer b;
    b.SetText(start);
    std::vector<std::string> pieces;  // newest last
    auto expected = [&] {
      std::string all;
      for (auto it = pieces.rbegin(); it != pieces.rend(); ++it) {
        if (!all.empty()) all += "\r\n";
        all += *it;
      }
      if (*start) all = all.empty() ? std::string(start) : all + "\r\n" + start;
      return all;
    };
    for (int i = 0; i < 2000; ++i) {
      std::string piece(rng() % 300 + 1, static_cast<char>('a' + i % 26));
      if (i % 7 == 0) piece += "\r\nsecond";
      b.InsertAtTop(piece);
      pieces.push_back(piece);
      if (i % 500 == 0) {
        ASSERT_EQ(b.Text(), expected());
      }
    }
    const std::string all = expected();
    EXPECT_EQ(b.Text(), all);
    size_t breaks = 0;
    for (char c : all) breaks += c == '\n';
    EXPECT_EQ(b.LineCount(), breaks + (all.back() == '\n' ? 0 : 1));
  }
}

TEST(TextBuffer, FindLineMatchesWholeLinesIgnoringCase) {
  TTextBuffer b;
  b.SetText("xkeyx\r\nKey\r\nkey\r\n\r\nkey2\r\n");
  EXPECT_EQ(b.FindLine("key"), 7u);   // "Key": case ignored, "xkeyx" is not a whole match
  EXPECT_EQ(b.FindLine("KEY", 8), 12u);  // from inside a line: the next line start on
  EXPECT_EQ(b.FindLine("key", 12), 12u);
  EXPECT_EQ(b.FindLine("key", 13), TTextBuffer::npos);
  EXPECT_EQ(b.FindLine("ke"), TTextBuffer::npos);
  EXPECT_EQ(b.FindLine(""), 17u);  // the empty line in the middle
  EXPECT_EQ(b.FindLine("", 18), TTextBuffer::npos);  // but not the one after the last break
  EXPECT_EQ(b.FindLine("key", 1000), TTextBuffer::npos);
  b.SetText("last");
  EXPECT_EQ(b.FindLine("LAST"), 0u);
  EXPECT_EQ(TTextBuffer().FindLine(""), TTextBuffer::npos);
}

TEST(TextBuffer, FilesRoundTripByteForByte) {
  TempDir dir;
  const std::string path = dir.File("store.qvl");
  for (const std::string& bytes :
       {std::string(""), std::string("\r\n"), std::string("one\r\n"),
        std::string("a\r\n\r\n\r\nb\r\n\r\n"), std::string("\xe9t\xe9\r\n\t \r\n")}) {
    WriteBytes(path, bytes);
    TTextBuffer b;
    b.LoadFromFile(path);
    b.SaveToFile(path);
    EXPECT_EQ(ReadBytes(path), bytes);
  }
}

TEST(TextBuffer, FilesGetCrLfAfterEveryLine) {
  TempDir dir;
  const std::string path = dir.File("mixed.qvl");
  WriteBytes(path, "lf\nlone cr\rcrlf\r\nno break at end");
  TTextBuffer b;
  b.LoadFromFile(path);
  EXPECT_EQ(b.LineCount(), 4u);
  b.SaveToFile(path);
  EXPECT_EQ(ReadBytes(path), "lf\r\nlone cr\r\ncrlf\r\nno break at end\r\n");

  b.Clear();
  b.SaveToFile(path);
  EXPECT_TRUE(fs::exists(path));
  EXPECT_EQ(ReadBytes(path), "");
}

TEST(TextBuffer, FileErrorsNameTheFullPath) {
  TempDir dir;
  const std::string missing = dir.File("Lb1.qvl");
  TTextBuffer b;
  b.SetText("kept");
  try {
    b.LoadFromFile(missing);
    ADD_FAILURE() << "a missing file loaded";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message(), "Cannot open file " + missing);
  }
  EXPECT_EQ(b.Text(), "kept");

  const std::string unwritable = dir.File("no/such/folder/vqclips.qvl");
  try {
    b.SaveToFile(unwritable);
    ADD_FAILURE() << "saved into a missing folder";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message(), "Cannot create file " + unwritable);
  }
}

}  // namespace
}  // namespace qv
