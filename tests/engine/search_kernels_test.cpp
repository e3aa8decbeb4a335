// Every search kernel against the quick search and the naive oracle: seed cases padded to
// every alignment, and random texts over tiny alphabets, where near and overlapping matches
// are common.
#include "search/search_kernels.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "search/pattern_finder.h"
#include "search/quick_search.h"
#include "tests/support/random_bytes.h"
#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

using testing::NaiveFind;
using testing::RandomBytes;
using testing::ToBytes;

struct NamedKernel {
  const char* name;
  kernels::FindFunction find;
};

std::vector<NamedKernel> AvailableKernels() {
  std::vector<NamedKernel> all = {{"memchr", kernels::FindWithMemchr}};
#if defined(__SSE2__)
  all.push_back({"sse2", kernels::FindSse2});
#endif
#if defined(__x86_64__)
  if (Available(InstructionSet::kAvx2)) all.push_back({"avx2", kernels::FindAvx2});
#endif
  return all;
}

std::int64_t Quick(const Bytes& text, const Bytes& pattern) {
  return QuickSearch(text, pattern, BuildShiftTable(pattern));
}

// The chosen anchors and others, each compared two, three and four at a time from the start.
std::vector<Anchors> AnchorChoices(const Bytes& pattern) {
  const std::size_t n = pattern.size();
  std::vector<Anchors> all;
  for (Anchors anchors : {ChooseAnchors(pattern), Anchors{0, n - 1, n / 2, n / 3}, Anchors{n - 1, 0, n / 2, 1}}) {
    for (int count : {2, 3, 4}) {
      anchors.count = count;
      anchors.failure_spacing_log2 = 9;
      all.push_back(anchors);
    }
  }
  return all;
}

// Runs every kernel, with the chosen anchors and with the given ones, and the finder.
void ExpectAllAgree(const Bytes& text, const Bytes& pattern, const std::string& context) {
  const std::int64_t expected = NaiveFind(text, pattern);
  ASSERT_EQ(Quick(text, pattern), expected) << context;
  ASSERT_EQ(PatternFinder(pattern).Find(text), expected) << context;
  if (pattern.size() < 2) return;
  for (const NamedKernel& kernel : AvailableKernels()) {
    for (const Anchors& anchors : AnchorChoices(pattern)) {
      ASSERT_EQ(kernel.find(text.data(), text.size(), pattern.data(), pattern.size(), anchors), expected)
          << kernel.name << " anchors " << anchors.first << "," << anchors.second << "," << anchors.third << ","
          << anchors.fourth << " count " << anchors.count << " " << context;
    }
  }
}

TEST(ChooseAnchors, PicksTwoDistinctPositionsPreferringRareBytes) {
  const Bytes pattern = ToBytes("e e\x07");
  const Anchors anchors = ChooseAnchors(pattern);
  EXPECT_EQ(anchors.first, 3u);  // the control byte is rarer than letters and spaces
  EXPECT_NE(anchors.second, anchors.first);
  const Anchors same = ChooseAnchors(Bytes(5, 0x41));
  EXPECT_NE(same.first, same.second);
}

TEST(ChooseAnchors, AnchorsOnTheRarestLettersOfAWord) {
  const Anchors anchors = ChooseAnchors(ToBytes("the quick"));
  EXPECT_EQ(anchors.first, 4u);   // q
  EXPECT_EQ(anchors.second, 8u);  // k
}

TEST(ChooseAnchors, PicksFourDistinctPositionsEvenOfOneByteValue) {
  const Anchors anchors = ChooseAnchors(Bytes(5, 0x41));
  const std::vector<std::size_t> positions = {anchors.first, anchors.second, anchors.third, anchors.fourth};
  for (std::size_t i = 0; i < positions.size(); ++i) {
    for (std::size_t j = i + 1; j < positions.size(); ++j) EXPECT_NE(positions[i], positions[j]);
  }
}

TEST(ChooseAnchors, ComparesMoreAnchorsFromTheStartOnlyWhenTheRarestAreCommon) {
  EXPECT_EQ(ChooseAnchors(ToBytes("ndraeoihoaidheen")).count, 3);  // common letters
  EXPECT_EQ(ChooseAnchors(Bytes{0x00, 0x00, 0x01, 0x00}).count, 4);  // zero bytes fill binaries
  EXPECT_EQ(ChooseAnchors(ToBytes("Vantrel-tail-0x5")).count, 2);    // V and 5 are rare enough
  EXPECT_EQ(ChooseAnchors(Bytes{0x8F, 0x93, 0xA7, 0xD3}).count, 2);
  EXPECT_EQ(ChooseAnchors(ToBytes("ee")).count, 2);  // two bytes: two anchors at most
  EXPECT_EQ(ChooseAnchors(ToBytes("e e")).count, 3);
}

TEST(SearchKernels, AgreeOnSeedCasesPaddedToEveryAlignment) {
  const std::vector<std::pair<std::string, std::string>> seeds = {
      {"", ""},          {"a", "a"},           {"ab", "ab"},        {"abab", "bab"},     {"aaab", "aab"},
      {"xyz", "xq"},     {"a\0b", {"\0b", 2}}, {"abcabd", "abd"},   {"zzzz", "zzzzz"},   {"needle", "needle"},
      {"nee", "needle"}, {"aXbaXb", "aXb"},    {"\xff\xfe", "\xfe"}, {"0123456789abcdef0123456789abcdef", "f012"},
  };
  for (const auto& [core, needle] : seeds) {
    for (std::size_t left = 0; left < 70; ++left) {
      for (std::size_t right : {0u, 1u, 15u, 31u, 32u, 63u, 64u, 65u}) {
        Bytes text(left, '.');
        text.insert(text.end(), core.begin(), core.end());
        text.insert(text.end(), right, '.');
        ExpectAllAgree(text, Bytes(needle.begin(), needle.end()),
                       "core '" + core + "' left " + std::to_string(left) + " right " + std::to_string(right));
      }
    }
  }
}

TEST(SearchKernels, AgreeOnRandomTextsOverTinyAlphabets) {
  std::mt19937 rng(4242);
  for (int round = 0; round < 30000; ++round) {
    const int alphabet = 2 + round % 3;
    const Bytes text = RandomBytes(rng, rng() % 600, alphabet);
    Bytes pattern = RandomBytes(rng, rng() % 87, alphabet);
    if (round % 3 == 0 && !text.empty()) {  // plant a copy of a piece of the text
      const std::size_t length = std::min<std::size_t>(pattern.size(), text.size());
      const std::size_t at = rng() % (text.size() - length + 1);
      pattern.assign(text.begin() + static_cast<std::ptrdiff_t>(at),
                     text.begin() + static_cast<std::ptrdiff_t>(at + length));
    }
    ExpectAllAgree(text, pattern, "round " + std::to_string(round));
  }
}

TEST(SearchKernels, AgreeWhenTheOnlyOccurrenceIsTheLastBytes) {
  std::mt19937 rng(77);
  for (std::size_t n = 2; n <= 86; ++n) {
    for (std::size_t length : {n, n + 1, n + 31, n + 62, n + 63, n + 64, n + 65, n + 127, n + 128, n + 129, n + 190,
                               n + 191, n + 192, n + 255, std::size_t{4096}}) {
      Bytes text = RandomBytes(rng, length, 4);
      Bytes pattern(n, 9);
      std::copy(pattern.begin(), pattern.end(), text.end() - static_cast<std::ptrdiff_t>(n));
      ExpectAllAgree(text, pattern, "n " + std::to_string(n) + " length " + std::to_string(length));
    }
  }
}

// The only occurrence at each offset of a text where no other start passes the filter, so
// every position of every step and block of a filter is where the answer lies once.
TEST(SearchKernels, AgreeOnALoneOccurrenceAtEveryOffset) {
  for (const std::string& needle : {std::string("Zq"), std::string("Zq7"), std::string("Zq7#x"), std::string(40, 'Z') + "q"}) {
    const Bytes pattern(needle.begin(), needle.end());
    for (std::size_t at = 0; at + pattern.size() <= 700; ++at) {
      Bytes text(700, '.');
      std::copy(pattern.begin(), pattern.end(), text.begin() + static_cast<std::ptrdiff_t>(at));
      ExpectAllAgree(text, pattern, "'" + needle + "' at " + std::to_string(at));
    }
  }
}

// Text where the first two anchors agree every few bytes and the first three every twelve,
// but the fourth never: the filter adds the third and then the fourth anchor, and must still
// find the one real occurrence wherever it lies, before, during and after each change.
TEST(SearchKernels, AgreeWhileTheFilterAddsAnchors) {
  const Bytes pattern = ToBytes("q-z!");
  const Bytes decoys = ToBytes("q-y!..q-z?..");
  for (std::size_t length : {std::size_t{100000}, std::size_t{1} << 20}) {
    Bytes text;
    while (text.size() < length) text.insert(text.end(), decoys.begin(), decoys.end());
    text.resize(length);
    for (std::size_t at : {std::size_t{0}, std::size_t{401}, std::size_t{4099}, std::size_t{70001}, length - 5, length - 4}) {
      Bytes planted = text;
      std::copy(pattern.begin(), pattern.end(), planted.begin() + static_cast<std::ptrdiff_t>(at));
      const std::int64_t expected = NaiveFind(planted, pattern);
      ASSERT_EQ(expected, static_cast<std::int64_t>(at));
      ASSERT_EQ(PatternFinder(pattern).Find(planted), expected);
      for (int spacing_log2 : {9, 14}) {
        Anchors anchors{0, 1, 2, 3};
        anchors.failure_spacing_log2 = spacing_log2;
        for (const NamedKernel& kernel : AvailableKernels()) {
          EXPECT_EQ(kernel.find(planted.data(), planted.size(), pattern.data(), pattern.size(), anchors), expected)
              << kernel.name << " length " << length << " at " << at << " spacing 2^" << spacing_log2;
        }
      }
    }
  }
}

}  // namespace
}  // namespace vantrel
