#include "framework/SysUtils.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace qv {
namespace {

TEST(StrToInt, AcceptsDecimalAndHexadecimal) {
  EXPECT_EQ(StrToInt("100"), 100);
  EXPECT_EQ(StrToInt("-7"), -7);
  EXPECT_EQ(StrToInt("  42"), 42);
  EXPECT_EQ(StrToInt("0x1F"), 31);
  EXPECT_EQ(StrToInt("$ff"), 255);
  EXPECT_EQ(StrToInt("-2147483648"), -2147483647 - 1);
  EXPECT_EQ(StrToInt("0xFFFFFFFF"), -1);
}

TEST(StrToInt, RejectsWithTheExactMessage) {
  for (const char* bad : {"", " ", "12a", "abc", "2147483648", "1 ", "0x", "+"}) {
    try {
      StrToInt(bad);
      ADD_FAILURE() << "accepted '" << bad << "'";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), std::string("'") + bad + "' is not a valid integer value");
    }
  }
}

TEST(SysUtils, MessagesAndPaths) {
  EXPECT_EQ(MsgCannotOpenFile("C:\\x\\Lb1.qvl"), "Cannot open file C:\\x\\Lb1.qvl");
  EXPECT_EQ(WithSystemReason("Unable to write to a.ini", ENOENT),
            "Unable to write to a.ini (" + SystemErrorText(ENOENT) + ")");
  EXPECT_EQ(WithSystemReason("Unable to write to a.ini", 0), "Unable to write to a.ini");
  EXPECT_EQ(MsgListIndexError(3), "List index out of bounds (3)");
  EXPECT_EQ(ExtractFilePath("C:\\a\\b\\qvavad.exe"), "C:\\a\\b\\");
  EXPECT_EQ(ExtractFileName("C:\\a\\b\\qvavad.exe"), "qvavad.exe");
  EXPECT_TRUE(SameText("Form2", "FORM2"));
  EXPECT_LT(CompareText("abc", "ABD"), 0);
}

TEST(SysUtils, TimeIsTruncatedToWholeSeconds) {
  const double now = NowSeconds();
  EXPECT_DOUBLE_EQ(TruncateToSeconds(now), now);
  const double t = 45000.0 + (3600.0 * 10 + 61.75) / 86400.0;
  EXPECT_DOUBLE_EQ(TruncateToSeconds(t), 45000.0 + (3600.0 * 10 + 61) / 86400.0);
  EXPECT_GT(now, 45000.0);  // after 2023
}

}  // namespace
}  // namespace qv
