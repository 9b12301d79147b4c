#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "framework/SysUtils.h"
#include "framework/TextBuffer.h"
#include "tests/host/ScratchDir.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

TEST(TextBuffer, NormalisesBreaksAndCountsHardLines) {
  TTextBuffer b;
  b.SetText("a\nb\rc\r\nd\n\re");  // LF CR is two breaks, not one
  EXPECT_EQ(b.Text(), "a\r\nb\r\nc\r\nd\r\n\r\ne");
  EXPECT_EQ(b.Size(), b.Text().size());
  // A last empty line is not counted.
  for (auto [text, lines] : {std::pair{"", 0u},
                             {"a", 1u},
                             {"a\r\n", 1u},
                             {"a\r\n\r\n", 2u},
                             {"\r\n", 1u},
                             {"a\rb\n", 2u}}) {
    b.SetText(text);
    EXPECT_EQ(b.LineCount(), lines) << '"' << text << '"';
  }
  b.SetText(std::string(5000, 'x') + "\r\n\r\nlast\r\n");
  EXPECT_EQ(b.Line(0), std::string(4096, 'x'));  // line access is capped
  EXPECT_EQ(b.Line(2), "last");
  try {
    b.Line(3);  // the empty line after the last break is not a line
    ADD_FAILURE();
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (3)");
  }
}

TEST(TextBuffer, InsertAtTopMatchesPlainConcatenation) {
  // Crosses many regrowths of the front room, from empty and from set text, with the end
  // cut now and then.
  std::mt19937 rng(7);
  for (std::string expected : {"", "seed\r\n"}) {
    TTextBuffer b;
    b.SetText(expected);
    for (int i = 0; i < 600; ++i) {
      std::string piece(rng() % 300, static_cast<char>('a' + i % 26));
      if (i % 7 == 0) piece += "\nsecond";
      b.InsertAtTop(piece);
      piece = TTextBuffer::NormalizeLineBreaks(piece);
      expected = expected.empty() ? piece : piece + "\r\n" + expected;
      if (i % 100 == 0) {  // line access follows the insertions
        ASSERT_EQ(b.Line(0), piece.substr(0, piece.find('\r')));
      }
      // Text that goes from the end leaves room that later insertions move into.
      const size_t last = expected.rfind("\r\n");
      if (i % 5 == 4 && last != std::string::npos) {
        b.Erase(last, expected.size() - last);
        expected.resize(last);
      }
    }
    EXPECT_EQ(b.Text(), expected);
  }
}

TEST(TextBuffer, FindLineMatchesWholeLinesIgnoringCase) {
  TTextBuffer b;
  b.SetText("xkeyx\r\nKey\r\nkey\r\n\r\nkey2\r\n");
  EXPECT_EQ(b.FindLine("key"), 7u);      // "xkeyx" holds it only as part of the line
  EXPECT_EQ(b.FindLine("KEY", 8), 12u);  // from inside a line: the next line start on
  EXPECT_EQ(b.FindLine("key", 13), TTextBuffer::npos);
  EXPECT_EQ(b.FindLine(""), 17u);
  EXPECT_EQ(b.FindLine("", 18), TTextBuffer::npos);  // no line after the last break
  EXPECT_EQ(TTextBuffer().FindLine(""), TTextBuffer::npos);
}

class TextBufferFiles : public test::ScratchDirTest {
 protected:
  static std::string Read(const std::string& path) { return ReadFile(path); }
  static void Write(const std::string& path, const std::string& bytes) { WriteFile(path, bytes); }
};

TEST_F(TextBufferFiles, SaveEndsEveryLineWithCrLf) {
  const std::string path = Path("store.qvl");
  // Files whose lines all end with CR LF come back byte for byte.
  for (std::string bytes : {"", "\r\n", "a\r\n\r\n\r\nb\r\n\r\n", "\xe9t\xe9\r\n\t \r\n"}) {
    Write(path, bytes);
    TTextBuffer b;
    b.LoadFromFile(path);
    EXPECT_EQ(b.LineCount(), static_cast<size_t>(std::count(bytes.begin(), bytes.end(), '\n')));
    b.SaveToFile(path);
    EXPECT_EQ(Read(path), bytes);
  }
  Write(path, "lf\nlone cr\rcrlf\r\nno break at end");
  TTextBuffer b;
  b.LoadFromFile(path);
  b.SaveToFile(path);
  EXPECT_EQ(Read(path), "lf\r\nlone cr\r\ncrlf\r\nno break at end\r\n");
}

TEST_F(TextBufferFiles, ErrorsNameTheFullPath) {
  TTextBuffer b;
  b.SetText("kept");
  try {
    b.LoadFromFile(Path("Lb1.qvl"));
    ADD_FAILURE();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message(), "Cannot open file " + Path("Lb1.qvl"));
  }
  EXPECT_EQ(b.Text(), "kept");
  try {
    b.SaveToFile(Path("no/such/folder"));
    ADD_FAILURE();
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message(), "Cannot create file " + Path("no/such/folder"));
  }
}

}  // namespace
}  // namespace qv
