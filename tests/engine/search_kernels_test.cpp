// Every search kernel against the quick search and the naive oracle: seed cases padded to
// every alignment, and random texts over tiny alphabets, where near and overlapping matches
// are common.
#include "engine/search_kernels.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/pattern_finder.h"
#include "engine/quick_search.h"
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
  if (kernels::HaveAvx2()) all.push_back({"avx2", kernels::FindAvx2});
#endif
  return all;
}

std::int64_t Quick(const Bytes& text, const Bytes& pattern) {
  return QuickSearch(text, pattern, BuildShiftTable(pattern));
}

// Runs every kernel, with the chosen anchors and with the given ones, and the finder.
void ExpectAllAgree(const Bytes& text, const Bytes& pattern, const std::string& context) {
  const std::int64_t expected = NaiveFind(text, pattern);
  ASSERT_EQ(Quick(text, pattern), expected) << context;
  ASSERT_EQ(PatternFinder(pattern).Find(text), expected) << context;
  if (pattern.size() < 2) return;
  const Anchors chosen = ChooseAnchors(pattern);
  const Anchors ends{0, pattern.size() - 1, pattern.size() - 1};
  for (const NamedKernel& kernel : AvailableKernels()) {
    for (const Anchors& anchors : {chosen, ends, Anchors{pattern.size() - 1, 0, pattern.size() / 2}}) {
      ASSERT_EQ(kernel.find(text.data(), text.size(), pattern.data(), pattern.size(), anchors), expected)
          << kernel.name << " anchors " << anchors.first << "," << anchors.second << " " << context;
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
    for (std::size_t length : {n, n + 1, n + 31, n + 63, n + 64, std::size_t{4096}}) {
      Bytes text = RandomBytes(rng, length, 4);
      Bytes pattern(n, 9);
      std::copy(pattern.begin(), pattern.end(), text.end() - static_cast<std::ptrdiff_t>(n));
      ExpectAllAgree(text, pattern, "n " + std::to_string(n) + " length " + std::to_string(length));
    }
  }
}

}  // namespace
}  // namespace vantrel
