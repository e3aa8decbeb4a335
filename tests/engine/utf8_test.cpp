// UTF-8 read one character at a time: well-formed characters of every length, and each
// kind of ill-formed input counted as Unicode's maximal subparts, the way Rust's lossy
// conversion (and so ripgrep) counts them.
#include "text/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace vantrel {
namespace {

TEST(Utf8Test, DecodesCharactersOfEachLength) {
  EXPECT_EQ(DecodeUtf8Lossy("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"), (std::u32string{U'a', 0xE9, 0x20AC, 0x1F600}));
  EXPECT_EQ(DecodeUtf8Lossy(std::string("\0\x7F", 2)), (std::u32string{0, 0x7F}));
  EXPECT_EQ(DecodeUtf8Lossy("\xF4\x8F\xBF\xBF"), std::u32string{0x10FFFF});
}

TEST(Utf8Test, EachMaximalIllFormedPartIsOneReplacementCharacter) {
  // A three-byte character cut after two bytes, at the end and before a letter.
  EXPECT_EQ(DecodeUtf8Lossy("\xE2\x82"), std::u32string{0xFFFD});
  EXPECT_EQ(DecodeUtf8Lossy("\xE2\x82z"), (std::u32string{0xFFFD, U'z'}));
  // Bytes no character starts with: each on its own.
  EXPECT_EQ(DecodeUtf8Lossy("\x80\xBF\xFF\xC0\xC1\xF5"), std::u32string(6, 0xFFFD));
  // Overlong forms, surrogates and code points above U+10FFFF fail at their second byte.
  EXPECT_EQ(DecodeUtf8Lossy("\xE0\x80\x80"), std::u32string(3, 0xFFFD));
  EXPECT_EQ(DecodeUtf8Lossy("\xED\xA0\x80"), std::u32string(3, 0xFFFD));
  EXPECT_EQ(DecodeUtf8Lossy("\xF4\x90\x80\x80"), std::u32string(4, 0xFFFD));
  EXPECT_EQ(DecodeUtf8Lossy("\xF0\x9F\x98"), std::u32string{0xFFFD});
}

TEST(Utf8Test, TellsWhetherATextIsWellFormed) {
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_TRUE(IsValidUtf8("plain \xC3\xA9\xE4\xB8\xAD"));
  EXPECT_FALSE(IsValidUtf8("\xC3"));
  EXPECT_FALSE(IsValidUtf8("a\xFF"));
  EXPECT_FALSE(IsValidUtf8("\xED\xBF\xBF"));  // a surrogate
}

TEST(Utf8Test, EncodingAndDecodingMeetAtEveryLengthBoundary) {
  for (char32_t ch : {0x0u, 0x7Fu, 0x80u, 0x7FFu, 0x800u, 0xD7FFu, 0xE000u, 0xFFFFu, 0x10000u, 0x10FFFFu}) {
    std::string bytes;
    AppendUtf8(bytes, ch);
    const Utf8Character decoded = DecodeUtf8(bytes);
    EXPECT_TRUE(decoded.valid) << std::hex << static_cast<unsigned>(ch);
    EXPECT_EQ(decoded.code_point, ch);
    EXPECT_EQ(decoded.length, bytes.size());
  }
}

}  // namespace
}  // namespace vantrel
