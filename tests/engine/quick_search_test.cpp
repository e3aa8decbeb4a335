// The quick search and the prepared finder, against a naive oracle.
#include "search/quick_search.h"

#include <gtest/gtest.h>

#include <random>

#include "search/pattern_finder.h"
#include "tests/support/random_bytes.h"
#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

using testing::NaiveFind;
using testing::RandomBytes;
using testing::ToBytes;

std::int64_t Quick(const Bytes& text, const Bytes& pattern) {
  return QuickSearch(text, pattern, BuildShiftTable(pattern));
}

TEST(BuildShiftTable, GivesNPlusOneForAbsentBytesAndTheDistanceFromTheLastOccurrence) {
  const ShiftTable table = BuildShiftTable(ToBytes("abca"));
  EXPECT_EQ(table['z'], 5);
  EXPECT_EQ(table['a'], 1);  // the last 'a' wins
  EXPECT_EQ(table['b'], 3);
  EXPECT_EQ(table['c'], 2);
  EXPECT_EQ(table[256], 5);
}

TEST(QuickSearch, FindsThePatternAtTheStartAndAtTheEnd) {
  EXPECT_EQ(Quick(ToBytes("abcdef"), ToBytes("abc")), 0);
  EXPECT_EQ(Quick(ToBytes("abcdef"), ToBytes("def")), 3);
}

TEST(QuickSearch, GivesTheLowerOfTwoOccurrences) { EXPECT_EQ(Quick(ToBytes("xxabxxab"), ToBytes("ab")), 2); }

TEST(QuickSearch, DoesNotSkipAnOccurrenceAfterAPartialAgreement) {
  EXPECT_EQ(Quick(ToBytes("AAAB"), ToBytes("AAB")), 1);
}

TEST(QuickSearch, FindsNothingInAShorterOrEmptyText) {
  EXPECT_EQ(Quick(ToBytes("ab"), ToBytes("abc")), -1);
  EXPECT_EQ(Quick(Bytes{}, ToBytes("a")), -1);
  EXPECT_EQ(Quick(Bytes{}, Bytes{}), -1);
}

TEST(QuickSearch, FindsAnEmptyPatternAtTheStartOfAnyNonEmptyText) { EXPECT_EQ(Quick(ToBytes("x"), Bytes{}), 0); }

TEST(QuickSearch, DoesNotMatchWithBytesPastTheEnd) {
  // The pattern ends with 0x00; the text ends with the rest of it.
  EXPECT_EQ(Quick(ToBytes("xxabc"), Bytes{'a', 'b', 'c', 0}), -1);
}

TEST(QuickSearch, AgreesWithTheNaiveSearchOnRandomInputs) {
  std::mt19937 rng(2024);
  for (int round = 0; round < 20000; ++round) {
    const int alphabet = round % 3 == 0 ? 2 : (round % 3 == 1 ? 4 : 256);
    const Bytes text = RandomBytes(rng, rng() % 3000, alphabet);
    Bytes pattern = RandomBytes(rng, rng() % 87, alphabet);
    if (round % 4 == 0 && text.size() >= pattern.size()) {
      // plant it: at the start, at the end, or anywhere
      const std::size_t at = round % 8 == 0 ? 0 : text.size() - pattern.size();
      pattern.assign(text.begin() + static_cast<std::ptrdiff_t>(at),
                     text.begin() + static_cast<std::ptrdiff_t>(at + pattern.size()));
    }
    ASSERT_EQ(Quick(text, pattern), NaiveFind(text, pattern)) << "round " << round;
  }
}

TEST(PatternFinder, GivesWhatTheQuickSearchGivesForEveryPaddedSeedCase) {
  const std::vector<std::pair<Bytes, Bytes>> seeds = {
      {ToBytes(""), ToBytes("")},        {ToBytes("a"), ToBytes("")},       {ToBytes("abc"), ToBytes("abc")},
      {ToBytes("abcab"), ToBytes("ab")}, {ToBytes("aaaab"), ToBytes("aab")}, {Bytes{1, 0, 2}, Bytes{0, 2}},
      {ToBytes("xyz"), ToBytes("q")},    {Bytes{0, 0, 0}, Bytes{0, 0, 0, 0}},
  };
  for (const auto& [core, pattern] : seeds) {
    for (std::size_t left = 0; left < 40; ++left) {
      for (std::size_t right = 0; right < 40; right += 7) {
        Bytes text(left, 'z');
        text.insert(text.end(), core.begin(), core.end());
        text.insert(text.end(), right, 'z');
        EXPECT_EQ(PatternFinder(pattern).Find(text), Quick(text, pattern));
      }
    }
  }
}

}  // namespace
}  // namespace vantrel
