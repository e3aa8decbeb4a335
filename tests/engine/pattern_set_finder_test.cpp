// Every search for a set of patterns against the naive oracle: the set finder, and each of
// its parts on its own with every kernel this processor runs (Teddy, q-grams, one pattern
// with wildcards). Seed cases padded to every alignment, random sets over tiny alphabets
// (overlapping and near matches are common there), long lists, long patterns, and hits in
// the last bytes of a text, where the SIMD kernels hand over to their tails.
#include "search/pattern_set_finder.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "search/masked_kernels.h"
#include "search/masked_pattern_finder.h"
#include "search/qgram_finder.h"
#include "search/teddy_finder.h"
#include "tests/support/naive_pattern_set.h"
#include "tests/support/random_bytes.h"
#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

using testing::NaiveFindAny;
using testing::RandomBytes;
using testing::ToBytes;
using Patterns = std::vector<MaskedPattern>;

MaskedPattern Text(std::string_view text) { return ExactPattern(ToBytes(text)); }
MaskedPattern Hex(std::string_view hex) { return ParseHexPattern(hex).pattern; }
PatternHit At(std::int64_t offset, std::size_t index) { return PatternHit{offset, index}; }

std::vector<masked_kernels::MaskedFindFunction> MaskedKernels() {
  std::vector<masked_kernels::MaskedFindFunction> all = {masked_kernels::FindPortable};
#if defined(__SSE2__)
  all.push_back(masked_kernels::FindSse2);
#endif
#if defined(__x86_64__)
  if (Available(InstructionSet::kAvx2)) all.push_back(masked_kernels::FindAvx2);
#endif
  return all;
}

// One pattern: the finder, and every kernel with the chosen anchors and with anchors at
// its ends and middle (whatever their masks).
void ExpectSingleAgrees(const Bytes& text, const MaskedPattern& pattern, std::int64_t expected,
                        const std::string& context) {
  ASSERT_EQ(MaskedPatternFinder(pattern).Find(text), expected) << context;
  masked_kernels::MaskedAnchors ends;
  const std::size_t n = pattern.size();
  ends.position = {n - 1, 0, n / 2};
  for (std::size_t k = 0; k < 3; ++k) {
    ends.value[k] = pattern.bytes[ends.position[k]];
    ends.mask[k] = pattern.mask[ends.position[k]];
  }
  ends.masked = true;
  const masked_kernels::MaskedAnchors chosen = masked_kernels::ChooseMaskedAnchors(pattern);
  for (const masked_kernels::MaskedFindFunction kernel : MaskedKernels()) {
    ASSERT_EQ(kernel(text.data(), text.size(), pattern, chosen), expected) << "chosen anchors " << context;
    ASSERT_EQ(kernel(text.data(), text.size(), pattern, ends), expected) << "end anchors " << context;
  }
}

// The set finder, Teddy with every kernel, q-grams of every size the fixed prefixes allow, and for
// one pattern its own finders: all give the oracle's hit.
void ExpectAllAgree(const Bytes& text, const Patterns& patterns, const std::string& context) {
  const PatternHit expected = NaiveFindAny(text, patterns);
  ASSERT_EQ(PatternSetFinder(patterns).Find(text), expected) << context;
  for (const TeddyFinder::Kernel kernel : TeddyFinder::AvailableKernels()) {
    ASSERT_EQ(TeddyFinder(patterns, kernel).Find(text), expected) << "teddy " << static_cast<int>(kernel) << context;
  }
  std::size_t prefix = QGramFinder::kMaxGram + 4;
  for (const MaskedPattern& p : patterns) prefix = std::min(prefix, QGramFinder::FixedPrefix(p));
  for (std::size_t gram = 1; gram <= prefix && gram <= QGramFinder::kMaxGram; ++gram) {
    for (std::size_t sampled = gram; sampled <= prefix; sampled += 1 + sampled / 3) {
      ASSERT_EQ(QGramFinder(patterns, sampled, gram).Find(text), expected)
          << "q-gram " << gram << " of prefix " << sampled << " " << context;
    }
  }
  if (patterns.size() == 1) ExpectSingleAgrees(text, patterns.front(), expected.offset, context);
}

// A pattern of random bytes over the alphabet, some of its nibbles unknown.
MaskedPattern RandomPattern(std::mt19937& rng, std::size_t n, int alphabet, int wildcard_percent) {
  MaskedPattern pattern = ExactPattern(RandomBytes(rng, n, alphabet));
  for (std::size_t k = 0; k < n; ++k) {
    if (static_cast<int>(rng() % 100) >= wildcard_percent) continue;
    static constexpr std::uint8_t kMasks[] = {0x00, 0xF0, 0x0F};
    pattern.mask[k] = kMasks[rng() % 3];
    pattern.bytes[k] &= pattern.mask[k];
  }
  return pattern;
}

// A copy of n bytes of the text (if it has them), so the pattern occurs.
MaskedPattern Planted(std::mt19937& rng, const Bytes& text, std::size_t n) {
  n = std::min(n, text.size());
  const std::size_t at = rng() % (text.size() - n + 1);
  return ExactPattern(std::span(text).subspan(at, n));
}

Patterns RandomSet(std::mt19937& rng, const Bytes& text, std::size_t count, std::size_t max_length, int alphabet) {
  Patterns patterns;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t n = 1 + rng() % max_length;
    if (rng() % 4 == 0 && !text.empty()) {
      patterns.push_back(Planted(rng, text, n));
      if (rng() % 2 == 0) {  // with a nibble of the copy made unknown
        const std::size_t k = rng() % patterns.back().size();
        patterns.back().mask[k] = (rng() % 2 == 0) ? 0xF0 : 0x0F;
        patterns.back().bytes[k] &= patterns.back().mask[k];
      }
    } else {
      patterns.push_back(RandomPattern(rng, n, alphabet, rng() % 2 == 0 ? 0 : 15));
    }
  }
  return patterns;
}

struct Seed {
  std::string text;
  Patterns patterns;
  PatternHit expected;  // in the text as written, without padding
};

std::vector<Seed> Seeds() {
  return {
      {"abcd", {Text("abcd"), Text("ab")}, At(0, 0)},            // same start: the first listed wins
      {"abcd", {Text("ab"), Text("abcd")}, At(0, 0)},            // whatever the lengths
      {"abcd", {Text("bcd"), Text("abcd")}, At(0, 1)},           // an earlier start wins
      {"zzabcdef", {Text("cdef"), Text("ab")}, At(2, 1)},       // a shorter pattern at an earlier start wins
      {"zzabcdef", {Text("bcdef"), Text("cd")}, At(3, 0)},      // a longer one at an earlier start wins
      {"abab", {Text("ab"), Text("ab")}, At(0, 0)},              // twins: the first
      {"xyzxy", {Text("xyq"), Text("zxy")}, At(2, 1)},           // a near match first
      {"....xy", {Text("xy")}, At(4, 0)},                        // at the very end
      {"....xy", {Text("xyz"), Text("y")}, At(5, 1)},            // one pattern runs past the end
      {"....xy", {Hex("78 79 ??")}, At(-1, 0)},                  // a wildcard still needs its byte
      {"\x10\x4F\x30", {Hex("4?")}, At(1, 0)},
      {"\x10\x4F\x30", {Hex("?0")}, At(0, 0)},
      {"\x13\x4F\x30", {Hex("?0"), Hex("3?")}, At(2, 0)},        // both at 2: the first listed
      {"\x13\x4F\x30", {Hex("?? 3?")}, At(1, 0)},
      {"q", {Hex("??")}, At(0, 0)},                              // `??` alone matches every byte
      {"qr", {Hex("?? ?? ??")}, At(-1, 0)},                      // but needs its length
      {"qrs", {Hex("72 73"), Hex("?? ?? ??")}, At(0, 1)},
      {std::string("a\0b\0", 4), {Hex("00 62"), Hex("62 00")}, At(1, 0)},  // zero bytes
      {"\xE8\x01\x02\x03\x04\x85\xC0", {Hex("E8 ?? ?? ?? ?? 85 C0")}, At(0, 0)},
      {"\xE8\x01\x02\x03\x04\x85\xC1", {Hex("E8 ?? ?? ?? ?? 85 C0"), Hex("C1")}, At(6, 1)},
      {"needle in a haystack", {Text("hay"), Text("in a"), Text("needles")}, At(7, 1)},
  };
}

TEST(NaiveFindAny, GivesTheEarliestStartAndThenTheFirstListed) {
  for (const Seed& seed : Seeds()) {
    EXPECT_EQ(NaiveFindAny(ToBytes(seed.text), seed.patterns), seed.expected) << seed.text;
  }
}

TEST(PatternSetFinder, GivesTheSeedHits) {
  for (const Seed& seed : Seeds()) {
    EXPECT_EQ(PatternSetFinder(seed.patterns).Find(ToBytes(seed.text)), seed.expected) << seed.text;
  }
}

TEST(PatternSetFinder, AgreesOnSeedCasesPaddedToEveryAlignment) {
  for (const Seed& seed : Seeds()) {
    for (std::size_t left = 0; left < 70; ++left) {
      for (std::size_t right : {0u, 1u, 15u, 31u, 32u, 63u, 64u, 65u, 130u}) {
        Bytes text(left, '.');
        text.insert(text.end(), seed.text.begin(), seed.text.end());
        text.insert(text.end(), right, '.');
        ExpectAllAgree(text, seed.patterns,
                       "seed '" + seed.text + "' left " + std::to_string(left) + " right " + std::to_string(right));
      }
    }
  }
}

TEST(PatternSetFinder, AgreesOnRandomSetsOverTinyAlphabets) {
  std::mt19937 rng(4243);
  for (int round = 0; round < 6000; ++round) {
    const int alphabet = 2 + round % 3;
    const Bytes text = RandomBytes(rng, rng() % 700, alphabet);
    const std::size_t count = 1 + rng() % (round % 4 == 0 ? 40 : 8);
    const std::size_t max_length = round % 2 == 0 ? 6 : 20;
    ExpectAllAgree(text, RandomSet(rng, text, count, max_length, alphabet), "round " + std::to_string(round));
  }
}

TEST(PatternSetFinder, AgreesOnLongListsWithShortAndWildcardPatternsAmongThem) {
  std::mt19937 rng(99);
  for (int round = 0; round < 150; ++round) {
    const int alphabet = 2 + round % 3;
    const Bytes text = RandomBytes(rng, 500 + rng() % 3000, alphabet);
    const std::size_t count = 17 + rng() % 300;
    ExpectAllAgree(text, RandomSet(rng, text, count, 4 + rng() % 30, alphabet), "round " + std::to_string(round));
  }
}

TEST(PatternSetFinder, AgreesOnLongPatterns) {
  std::mt19937 rng(31);
  for (int round = 0; round < 200; ++round) {
    const Bytes text = RandomBytes(rng, 1000 + rng() % 3000, 2 + round % 2);
    const std::size_t count = 1 + rng() % (round % 2 == 0 ? 6 : 40);
    ExpectAllAgree(text, RandomSet(rng, text, count, 1000, 2 + round % 2), "round " + std::to_string(round));
  }
}

TEST(PatternSetFinder, AgreesWhenTheOnlyHitIsTheLastBytes) {
  std::mt19937 rng(77);
  for (std::size_t n = 1; n <= 40; ++n) {
    for (std::size_t length : {n, n + 1, n + 31, n + 63, n + 64, n + 65, n + 127, std::size_t{4096}}) {
      Bytes text = RandomBytes(rng, length, 4);
      MaskedPattern last = ExactPattern(Bytes(n, 9));
      std::copy(last.bytes.begin(), last.bytes.end(), text.end() - static_cast<std::ptrdiff_t>(n));
      Patterns patterns = {RandomPattern(rng, n + 1, 4, 0), last};
      ExpectAllAgree(text, {last}, "alone n " + std::to_string(n) + " length " + std::to_string(length));
      last.mask[n / 2] = 0xF0;
      last.bytes[n / 2] &= 0xF0;
      ExpectAllAgree(text, {last}, "masked n " + std::to_string(n) + " length " + std::to_string(length));
      patterns.push_back(last);
      ExpectAllAgree(text, patterns, "set n " + std::to_string(n) + " length " + std::to_string(length));
    }
  }
}

TEST(PatternSetFinder, AgreesOnTextLikeListsOfEveryLength) {
  // The kind of list a translation makes: words over a text; some present, most absent.
  std::mt19937 rng(5);
  const std::string letters = "etaoin shrdlu";
  for (int round = 0; round < 60; ++round) {
    Bytes text(20000);
    for (auto& b : text) b = static_cast<std::uint8_t>(letters[rng() % letters.size()]);
    Patterns patterns;
    const std::size_t count = 1 + rng() % 1500;
    for (std::size_t i = 0; i < count; ++i) {
      MaskedPattern p = ExactPattern(RandomBytes(rng, 1 + rng() % 17, 1));
      for (auto& b : p.bytes) b = static_cast<std::uint8_t>(letters[rng() % letters.size()]);
      patterns.push_back(std::move(p));
    }
    ExpectAllAgree(text, patterns, "round " + std::to_string(round));
  }
}

TEST(PatternSetFinder, FindsNothingInAnEmptyOrShortText) {
  const PatternSetFinder finder({Text("abc"), Hex("?? ??")});
  EXPECT_FALSE(finder.Find(Bytes{}).found());
  EXPECT_FALSE(finder.Find(ToBytes("a")).found());
  EXPECT_EQ(finder.Find(ToBytes("ab")), At(0, 1));
}

TEST(PatternSetFinder, TellsTheShortestAndLongestPattern) {
  const PatternSetFinder finder({Text("abc"), Hex("??"), Text("abcdefg")});
  EXPECT_EQ(finder.min_length(), 1u);
  EXPECT_EQ(finder.max_length(), 7u);
  EXPECT_EQ(finder.size(), 3u);
}

TEST(PatternSetFinder, IgnoresBitsOutsideTheMask) {
  const PatternSetFinder finder({MaskedPattern{{0x4F}, {0xF0}}});
  EXPECT_EQ(finder.Find(Bytes{0x30, 0x41}), At(1, 0));
}

TEST(PatternSetFinder, ChoosesTheSearchThatSuitsTheSet) {
  using Plan = std::vector<std::string>;
  const auto plan = [](const Patterns& patterns) {
    const std::vector<const char*> names = PatternSetFinder(patterns).Plan();
    return Plan(names.begin(), names.end());
  };
  EXPECT_EQ(plan({Text("plain")}), Plan{"PatternFinder"});
  EXPECT_EQ(plan({Hex("E8 ?? 85")}), Plan{"MaskedPatternFinder"});
  EXPECT_EQ(plan({Text("one"), Hex("74 ?? 6F")}), Plan{"TeddyFinder"});
  EXPECT_EQ(plan({Hex("??"), Text("one")}), (Plan{"AnyBytes", "PatternFinder"}));
  std::mt19937 rng(3);
  Patterns list;
  for (int i = 0; i < 100; ++i) list.push_back(ExactPattern(RandomBytes(rng, 9 + rng() % 9)));
  EXPECT_EQ(plan(list), Plan{"QGramFinder"});
  list.push_back(Text("ab"));
  list.push_back(Hex("?? 41 ??"));
  EXPECT_EQ(plan(list), (Plan{"QGramFinder", "TeddyFinder"}));
}

}  // namespace
}  // namespace vantrel
