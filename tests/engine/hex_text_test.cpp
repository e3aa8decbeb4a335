// The hex text format: which characters are digits, the normal form, decoding and encoding.
#include "text/hex_text.h"

#include <gtest/gtest.h>

#include <random>

#include "tests/support/random_bytes.h"
#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

using testing::ToBytes;

TEST(HexDigitValue, GivesTheValueOfTheTwentyTwoDigitsAndZeroForAnythingElse) {
  EXPECT_EQ(HexDigitValue('0'), 0);
  EXPECT_EQ(HexDigitValue('9'), 9);
  EXPECT_EQ(HexDigitValue('A'), 10);
  EXPECT_EQ(HexDigitValue('f'), 15);
  EXPECT_EQ(HexDigitValue('g'), 0);
  EXPECT_EQ(HexDigitValue(' '), 0);
  int digits = 0;
  for (int c = 0; c < 256; ++c) digits += IsHexDigit(static_cast<char>(c)) ? 1 : 0;
  EXPECT_EQ(digits, 22);
}

TEST(HexDigitValue, NeverTakesAByteWithTheHighBitSetForADigit) {
  for (int c = 0x80; c < 0x100; ++c) {
    EXPECT_FALSE(IsHexDigit(static_cast<char>(c))) << c;
    EXPECT_EQ(HexDigitValue(static_cast<char>(c)), 0) << c;
  }
}

TEST(NormalizeHexText, GroupsUppercaseDigitsInPairsWithSingleSpaces) {
  EXPECT_EQ(NormalizeHexText("ab c d e f 0"), "AB CD EF 0");
  EXPECT_EQ(NormalizeHexText("ABC"), "AB C");
  EXPECT_EQ(NormalizeHexText("41-42-43"), "41 42 43");
  EXPECT_EQ(NormalizeHexText("  4a\t6B\r\n00  "), "4A 6B 00");
}

TEST(NormalizeHexText, DropsEverythingThatIsNotADigit) {
  EXPECT_EQ(NormalizeHexText("xyz"), "");
  EXPECT_EQ(NormalizeHexText("  "), "");
  EXPECT_EQ(NormalizeHexText(""), "");
  EXPECT_EQ(NormalizeHexText("A全B"), "AB");  // the bytes of 全 are never digits
}

TEST(NormalizeHexText, IsIdempotent) {
  std::mt19937 rng(7);
  for (int round = 0; round < 2000; ++round) {
    const Bytes raw = testing::RandomBytes(rng, rng() % 40);
    const std::string once = NormalizeHexText(std::string(raw.begin(), raw.end()));
    EXPECT_EQ(NormalizeHexText(once), once);
  }
}

TEST(HexTextToBytes, TakesDigitsInPairsAndDropsAnOddLastDigit) {
  EXPECT_EQ(HexTextToBytes("4a6B"), (Bytes{0x4A, 0x6B}));
  EXPECT_EQ(HexTextToBytes("4A 6b"), (Bytes{0x4A, 0x6B}));
  EXPECT_EQ(HexTextToBytes("ABC"), (Bytes{0xAB}));
  EXPECT_EQ(HexTextToBytes("0"), Bytes{});
  EXPECT_EQ(HexTextToBytes("xyz"), Bytes{});
  EXPECT_EQ(HexTextToBytes(" 00"), (Bytes{0x00}));  // one zero byte, though it reads as an empty string
  EXPECT_EQ(HexTextToBytes("A全B"), (Bytes{0xAB}));
}

TEST(HexTextToBytes, DecodesTheLongestTextABoxGivesTo86Bytes) {
  // 259 characters of normal form hold 86 whole pairs and one digit.
  std::string box(NormalizeHexText(std::string(600, 'F')).substr(0, 259));
  EXPECT_EQ(HexTextToBytes(box), Bytes(86, 0xFF));
}

TEST(BytesToHexText, WritesEachByteAsTwoUppercaseDigitsInNormalForm) {
  EXPECT_EQ(BytesToHexText(ToBytes("abc")), "61 62 63");
  EXPECT_EQ(BytesToHexText(Bytes{0x00, 0xFF, 0x0A}), "00 FF 0A");
  EXPECT_EQ(BytesToHexText(Bytes{}), "");
}

TEST(HexCodec, DecodingTheEncodingGivesTheBytesBackAndNormalisingChangesNothing) {
  std::mt19937 rng(11);
  for (int round = 0; round < 2000; ++round) {
    const Bytes bytes = testing::RandomBytes(rng, rng() % 300);
    const std::string text = BytesToHexText(bytes);
    EXPECT_EQ(HexTextToBytes(text), bytes);
    EXPECT_EQ(NormalizeHexText(text), text);
  }
}

TEST(HexCodec, DecodingAnyTextEqualsDecodingItsNormalForm) {
  std::mt19937 rng(13);
  for (int round = 0; round < 2000; ++round) {
    const Bytes raw = testing::RandomBytes(rng, rng() % 60);
    const std::string text(raw.begin(), raw.end());
    EXPECT_EQ(HexTextToBytes(text), HexTextToBytes(NormalizeHexText(text)));
  }
}

}  // namespace
}  // namespace vantrel
