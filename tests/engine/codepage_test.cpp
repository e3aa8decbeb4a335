// Code pages: names, conversions both ways, and cutting text to fit without splitting a character.
#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "text/text_limits.h"

namespace vantrel {
namespace {

constexpr os::CodePage kGbk{936};
constexpr os::CodePage kWestern{1252};

TEST(FindCodePage, KnowsNumbersAndTheNamesPeopleUse) {
  EXPECT_EQ(os::FindCodePage("936"), kGbk);
  EXPECT_EQ(os::FindCodePage("GBK"), kGbk);
  EXPECT_EQ(os::FindCodePage("gb2312"), kGbk);
  EXPECT_EQ(os::FindCodePage("cp1252"), kWestern);
  EXPECT_EQ(os::FindCodePage("Windows-1252"), kWestern);
  EXPECT_EQ(os::FindCodePage("utf-8"), os::kUtf8);
  EXPECT_EQ(os::FindCodePage("UTF8"), os::kUtf8);
}

TEST(FindCodePage, RefusesWhatItCannotConvert) {
  EXPECT_FALSE(os::FindCodePage("klingon"));
  EXPECT_FALSE(os::FindCodePage("99999"));
  EXPECT_FALSE(os::FindCodePage(""));
  EXPECT_FALSE(os::FindCodePage("0"));
}

TEST(CodePageConversion, TurnsGbkAndWesternBytesIntoTheSameCharactersAndBack) {
  EXPECT_EQ(os::ToUtf16("\xD6\xD0\xCE\xC4", kGbk), u"中文");
  EXPECT_EQ(os::FromUtf16(u"中文", kGbk), "\xD6\xD0\xCE\xC4");
  EXPECT_EQ(os::ToUtf16("\xD6\xD0\xCE\xC4", kWestern), u"ÖÐÎÄ");
  EXPECT_EQ(os::FromUtf16(u"é", kWestern), "\xE9");
  EXPECT_EQ(os::FromUtf16(u"😀", os::kUtf8), "\xF0\x9F\x98\x80");
  EXPECT_EQ(os::ToUtf16("\xF0\x9F\x98\x80", os::kUtf8), u"😀");
}

TEST(CodePageConversion, ReplacesWhatCannotBeConverted) {
  EXPECT_EQ(os::ToUtf16("\xFF" "A", os::kUtf8), u"\uFFFDA");
  EXPECT_EQ(os::FromUtf16(u"a中b", kWestern), "a?b");
  EXPECT_EQ(os::ToUtf16("", kGbk), u"");
}

// A converter serves many texts; what one text leaves behind (half a character at its end, a
// replacement) must not reach the next.
TEST(CodePageConversion, AConverterUsedAgainConvertsEachTextAsANewOneWould) {
  os::CodePageConverter gbk(kGbk);
  EXPECT_EQ(gbk.ToUtf16("\xD6\xD0\xCE"), os::ToUtf16("\xD6\xD0\xCE", kGbk));
  EXPECT_EQ(gbk.ToUtf16("\xC4" "A"), os::ToUtf16("\xC4" "A", kGbk));
  EXPECT_EQ(gbk.ToUtf16("\xD6\xD0"), u"中");
  EXPECT_EQ(gbk.FromUtf16(u"中文"), "\xD6\xD0\xCE\xC4");
  os::CodePageConverter utf8(os::kUtf8);
  EXPECT_EQ(utf8.ToUtf16("\xE4\xB8"), u"\uFFFD");
  EXPECT_EQ(utf8.ToUtf16("\xAD" "b"), u"\uFFFDb");
  EXPECT_EQ(utf8.FromUtf16(u"\xD83D"), "\xEF\xBF\xBD");
  EXPECT_EQ(utf8.FromUtf16(u"\xDE00z"), os::FromUtf16(u"\xDE00z", os::kUtf8));
}

#ifndef _WIN32
// The locale's character set names the ANSI code page on POSIX.
TEST(SystemAnsiCodePage, FollowsTheLocalesCharacterSet) {
  const char* saved = std::getenv("LC_ALL");
  const std::string restore = saved != nullptr ? saved : "";
  const auto with = [](const char* locale) {
    setenv("LC_ALL", locale, 1);
    return os::SystemAnsiCodePage();
  };
  EXPECT_EQ(with("zh_CN.GBK"), kGbk);
  EXPECT_EQ(with("de_DE.CP1252@euro"), kWestern);
  EXPECT_EQ(with("en_US.UTF-8"), os::kUtf8);
  EXPECT_EQ(with("C"), os::kUtf8);
  if (saved != nullptr) setenv("LC_ALL", restore.c_str(), 1);
  else unsetenv("LC_ALL");
}
#endif

TEST(TextLimits, Utf16PrefixNeverKeepsHalfASurrogatePair) {
  EXPECT_EQ(Utf16Prefix(u"ab😀", 3), u"ab");  // 😀 is two units
  EXPECT_EQ(Utf16Prefix(u"ab😀", 4), u"ab😀");
  EXPECT_EQ(Utf16Prefix(u"abc", 2), u"ab");
}

TEST(TextLimits, NarrowPrefixCutsAfterTheLastWholeCharacterThatFits) {
  EXPECT_EQ(NarrowPrefix(u"a中文", kGbk, 2), "a");  // 中 takes two bytes and does not fit
  EXPECT_EQ(NarrowPrefix(u"a中文", kGbk, 3), "a\xD6\xD0");
  EXPECT_EQ(NarrowPrefix(u"a😀", os::kUtf8, 4), "a");
  EXPECT_EQ(NarrowPrefix(u"a😀", os::kUtf8, 5), "a\xF0\x9F\x98\x80");
  EXPECT_EQ(NarrowPrefix(std::u16string(300, u'x'), kWestern, 259), std::string(259, 'x'));
}

}  // namespace
}  // namespace vantrel
