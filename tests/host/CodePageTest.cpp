#include <gtest/gtest.h>

#include "framework/CodePage.h"
#include "framework/SysUtils.h"

namespace qv {
namespace {

TEST(CodePage, WesternTextBecomesUtf8) {
  EXPECT_EQ(AnsiToUtf8("plain"), "plain");
  EXPECT_EQ(AnsiToUtf8("\x80 \x9F \xA0\xE9\xFF"), "\u20AC \u0178 \u00A0\u00E9\u00FF");
  // The bytes the page leaves undefined come through as the control characters they number.
  EXPECT_EQ(AnsiToUtf8("\x81\x8D\x8F\x90\x9D"), "\u0081\u008D\u008F\u0090\u009D");
  EXPECT_EQ(AnsiToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
  // Latin-1 differs in 0x80..0x9F only.
  EXPECT_EQ(AnsiToUtf8("\x80\xE9", kCodePageLatin1), "\u0080\u00E9");
}

TEST(CodePage, Utf8PassesThroughAndBrokenBytesBecomeTheReplacementCharacter) {
  const std::string good = "\u00E9\u20AC\U0001F600";
  EXPECT_EQ(AnsiToUtf8(good, kCodePageUtf8), good);
  const std::string fffd = "\uFFFD";
  EXPECT_EQ(AnsiToUtf8("\xE9t\xE9", kCodePageUtf8), fffd + "t" + fffd);
  EXPECT_EQ(AnsiToUtf8("\xC0\xAF", kCodePageUtf8), fffd + fffd);        // overlong
  EXPECT_EQ(AnsiToUtf8("\xED\xA0\x80", kCodePageUtf8), fffd + fffd + fffd);  // a surrogate
  EXPECT_EQ(AnsiToUtf8("\xE2\x82", kCodePageUtf8), fffd + fffd);        // cut short at the end
}

// The way paths reach the wide calls of Windows and come back.
TEST(CodePage, Utf8AndUtf16RoundTripAndWhatIsNotWellFormedBecomesTheReplacementCharacter) {
  const std::string path = "C:\\Clips \u03A9\u0416\u2192 \U0001F600\\Lb1.qvl";
  const std::u16string wide = u"C:\\Clips \u03A9\u0416\u2192 \U0001F600\\Lb1.qvl";
  EXPECT_EQ(Utf8ToUtf16(path), wide);
  EXPECT_EQ(Utf16ToUtf8(wide), path);
  EXPECT_EQ(Utf8ToUtf16(""), u"");
  EXPECT_EQ(Utf8ToUtf16(std::string("a\xE9") + "b\xE2\x82"), u"a\uFFFDb\uFFFD\uFFFD");
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // an encoded surrogate
  EXPECT_EQ(Utf16ToUtf8(std::u16string{u'a', 0xD83D, u'b', 0xDE00}), "a\uFFFDb\uFFFD");
}

TEST(CodePage, OtherCodePagesAreRefused) {
  EXPECT_FALSE(IsBuiltInCodePage(437));
  EXPECT_THROW(AnsiToUtf8("x", 437), EConvertError);
  EXPECT_THROW(AnsiToUtf8("", 0), EConvertError);
}

}  // namespace
}  // namespace qv
