// Hex arguments with wildcard nibbles: how they are read, and the masked compare.
#include "text/masked_pattern.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/support/naive_pattern_set.h"
#include "tests/support/random_bytes.h"

namespace vantrel {
namespace {

MaskedPattern Pattern(Bytes bytes, Bytes mask) { return MaskedPattern{std::move(bytes), std::move(mask)}; }

TEST(ParseHexPattern, ReadsDigitPairsAsFixedBytes) {
  const HexPattern read = ParseHexPattern("E8 00 85 c0");
  EXPECT_EQ(read.pattern, Pattern({0xE8, 0x00, 0x85, 0xC0}, {0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(read.nibbles, 8u);
  EXPECT_FALSE(read.has_wildcard);
}

TEST(ParseHexPattern, ReadsAQuestionMarkAsAnUnknownNibble) {
  EXPECT_EQ(ParseHexPattern("??").pattern, Pattern({0x00}, {0x00}));
  EXPECT_EQ(ParseHexPattern("4?").pattern, Pattern({0x40}, {0xF0}));
  EXPECT_EQ(ParseHexPattern("?0").pattern, Pattern({0x00}, {0x0F}));
  EXPECT_EQ(ParseHexPattern("?a").pattern, Pattern({0x0A}, {0x0F}));
  EXPECT_EQ(ParseHexPattern("E8 ?? ?? ?? ?? 85 C0").pattern,
            Pattern({0xE8, 0, 0, 0, 0, 0x85, 0xC0}, {0xFF, 0, 0, 0, 0, 0xFF, 0xFF}));
  EXPECT_TRUE(ParseHexPattern("41 4?").has_wildcard);
}

TEST(ParseHexPattern, IgnoresEveryOtherCharacterAsTheHexBoxesDo) {
  EXPECT_EQ(ParseHexPattern("4-?,?:0").pattern, Pattern({0x40, 0x00}, {0xF0, 0x0F}));
  EXPECT_EQ(ParseHexPattern("x\t4\xE5\x85\xA8?\n").pattern, Pattern({0x40}, {0xF0}));  // 全 is no nibble
  EXPECT_EQ(ParseHexPattern("ghij*").nibbles, 0u);
}

TEST(ParseHexPattern, CountsAnOddLastNibbleAndDropsIt) {
  const HexPattern digit = ParseHexPattern("AB C");
  EXPECT_EQ(digit.nibbles, 3u);
  EXPECT_EQ(digit.pattern, Pattern({0xAB}, {0xFF}));
  const HexPattern wildcard = ParseHexPattern("AB ?");
  EXPECT_EQ(wildcard.nibbles, 3u);
  EXPECT_FALSE(wildcard.has_wildcard);  // the only `?` was dropped
}

TEST(ParseHexPattern, GivesNoNibblesForATextWithout) {
  const HexPattern read = ParseHexPattern("");
  EXPECT_EQ(read.nibbles, 0u);
  EXPECT_EQ(read.pattern.size(), 0u);
  EXPECT_EQ(ParseHexPattern("  -- ").nibbles, 0u);
}

TEST(ParseHexPattern, ReadsDigitsAsHexTextToBytesDoesAndKeepsBytesInsideTheirMasks) {
  std::mt19937 rng(13);
  const std::string alphabet = "0123456789abcdefABCDEF?? -x\xC3";
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    for (std::size_t k = rng() % 30; k > 0; --k) text.push_back(alphabet[rng() % alphabet.size()]);
    const HexPattern read = ParseHexPattern(text);
    ASSERT_EQ(read.pattern.bytes.size(), read.pattern.mask.size()) << text;
    ASSERT_EQ(read.pattern.size(), read.nibbles / 2) << text;
    for (std::size_t i = 0; i < read.pattern.size(); ++i) {
      ASSERT_EQ(read.pattern.bytes[i] & ~read.pattern.mask[i], 0) << text;
    }
    if (text.find('?') == std::string::npos) {
      ASSERT_EQ(read.pattern, ExactPattern(HexTextToBytes(text))) << text;
    }
  }
}

TEST(HasWildcard, IsTrueWhenAnyBitIsUnknown) {
  EXPECT_FALSE(HasWildcard(ExactPattern(Bytes{1, 2, 3})));
  EXPECT_TRUE(HasWildcard(Pattern({1, 2, 0}, {0xFF, 0xFF, 0xFE})));
  EXPECT_FALSE(HasWildcard(Pattern({}, {})));
}

TEST(MatchesAt, ComparesOnlyTheKnownBits) {
  const MaskedPattern pattern = ParseHexPattern("4? ?0 ?? 41").pattern;
  EXPECT_TRUE(MatchesAt(pattern, Bytes{0x4F, 0xA0, 0x99, 0x41}.data()));
  EXPECT_TRUE(MatchesAt(pattern, Bytes{0x40, 0x00, 0x00, 0x41}.data()));
  EXPECT_FALSE(MatchesAt(pattern, Bytes{0x50, 0xA0, 0x99, 0x41}.data()));
  EXPECT_FALSE(MatchesAt(pattern, Bytes{0x4F, 0xA1, 0x99, 0x41}.data()));
  EXPECT_FALSE(MatchesAt(pattern, Bytes{0x4F, 0xA0, 0x99, 0x42}.data()));
}

TEST(MatchesAt, AgreesWithAByteByByteCompareOnLongPatterns) {
  std::mt19937 rng(21);
  for (int round = 0; round < 5000; ++round) {
    const std::size_t n = 1 + rng() % 40;
    const Bytes text = testing::RandomBytes(rng, n, 4);
    MaskedPattern pattern{text, Bytes(n, 0xFF)};
    for (std::size_t k = rng() % 3; k > 0; --k) {  // a few bytes changed, a few masks cleared
      pattern.bytes[rng() % n] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
      pattern.mask[rng() % n] = static_cast<std::uint8_t>(rng());
    }
    for (std::size_t k = 0; k < n; ++k) pattern.bytes[k] &= pattern.mask[k];
    ASSERT_EQ(MatchesAt(pattern, text.data()), testing::NaiveMatchesAt(text, 0, pattern)) << round;
  }
}

}  // namespace
}  // namespace vantrel
