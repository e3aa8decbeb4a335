// The set search against the naive oracle, on any set of patterns and any text: the set
// finder, Teddy with every kernel this processor runs, q-grams over the shortest fixed prefix
// (grams of one byte, of the chosen size and of the whole prefix), and for one pattern every
// kernel with wildcards. Texts up to 4 KiB.
//
// Input: [flags, count, seed, pattern lengths..., text...]. count patterns (1-64, or up to
// 256 with flags bit 0), each of the length its byte says (1-24, or up to 300 with bit 1).
// Their bytes come from a generator seeded by `seed`: copies of pieces of the text (bit 2),
// else random over the text's alphabet, with some nibbles unknown unless bit 3. With bit 4
// text and patterns use only the letters a-d, so overlapping and near matches are common.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

#include "search/masked_kernels.h"
#include "search/masked_pattern_finder.h"
#include "search/pattern_set_finder.h"
#include "search/qgram_finder.h"
#include "search/teddy_finder.h"
#include "fuzz/check.h"
#include "tests/support/naive_pattern_set.h"

namespace {

using namespace vantrel;

// Texts longer than the SIMD kernels' steps and tails, short enough for the oracle.
constexpr std::size_t kLongestText = 4096;

std::vector<MaskedPattern> MakePatterns(std::minstd_rand& rng, const std::vector<std::size_t>& lengths,
                                        const Bytes& text, std::uint8_t flags, bool small_alphabet) {
  std::vector<MaskedPattern> patterns;
  for (std::size_t n : lengths) {
    MaskedPattern p = ExactPattern(Bytes(n, 0));
    if ((flags & 4) != 0 && text.size() >= n && rng() % 2 == 0) {
      const std::size_t at = rng() % (text.size() - n + 1);
      std::copy_n(text.begin() + static_cast<std::ptrdiff_t>(at), n, p.bytes.begin());
    } else {
      for (auto& b : p.bytes) b = static_cast<std::uint8_t>(small_alphabet ? 'a' + rng() % 4 : rng());
    }
    if ((flags & 8) == 0) {
      const unsigned percent = rng() % 40;
      for (std::size_t k = 0; k < n; ++k) {
        if (rng() % 100 >= percent) continue;
        static constexpr std::uint8_t kMasks[] = {0x00, 0xF0, 0x0F, 0xFE, 0x7F};
        p.mask[k] = kMasks[rng() % 5];
        p.bytes[k] &= p.mask[k];
      }
    }
    patterns.push_back(std::move(p));
  }
  return patterns;
}

void CheckSingle(const Bytes& text, const MaskedPattern& pattern, std::int64_t expected) {
  FUZZ_CHECK(MaskedPatternFinder(pattern).Find(text) == expected);
  const masked_kernels::MaskedAnchors anchors = masked_kernels::ChooseMaskedAnchors(pattern);
  FUZZ_CHECK(masked_kernels::FindPortable(text.data(), text.size(), pattern, anchors) == expected);
#if defined(__SSE2__)
  FUZZ_CHECK(masked_kernels::FindSse2(text.data(), text.size(), pattern, anchors) == expected);
#endif
#if defined(__x86_64__)
  if (Available(InstructionSet::kAvx2)) {
    FUZZ_CHECK(masked_kernels::FindAvx2(text.data(), text.size(), pattern, anchors) == expected);
  }
#endif
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const std::uint8_t flags = data[0];
  const std::size_t count = (flags & 1) != 0 ? 1 + data[1] : 1 + data[1] % 64u;
  const bool small_alphabet = (flags & 16) != 0;
  std::minstd_rand rng(data[2] + 1u);
  std::size_t at = 3;
  std::vector<std::size_t> lengths;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t byte = at < size ? data[at++] : static_cast<std::uint8_t>(rng());
    lengths.push_back(1 + ((flags & 2) != 0 ? byte * 300u / 256 : byte % 24u));
  }
  Bytes text(data + std::min(at, size), data + std::max(std::min(at, size), std::min(size, at + kLongestText)));
  if (small_alphabet) {
    for (auto& b : text) b = static_cast<std::uint8_t>('a' + b % 4);
  }
  const std::vector<MaskedPattern> patterns = MakePatterns(rng, lengths, text, flags, small_alphabet);

  const PatternHit expected = testing::NaiveFindAny(text, patterns);
  FUZZ_CHECK(PatternSetFinder(patterns).Find(text) == expected);
  for (const TeddyFinder::Kernel kernel : TeddyFinder::AvailableKernels()) {
    FUZZ_CHECK(TeddyFinder(patterns, kernel).Find(text) == expected);
  }
  std::size_t prefix = QGramFinder::kMaxGram;
  for (const MaskedPattern& p : patterns) prefix = std::min(prefix, QGramFinder::FixedPrefix(p));
  if (prefix > 0) {
    for (std::size_t gram : {std::size_t{1}, QGramFinder::GramFor(prefix), prefix}) {
      FUZZ_CHECK(QGramFinder(patterns, prefix, gram).Find(text) == expected);
    }
  }
  if (patterns.size() == 1) CheckSingle(text, patterns.front(), expected.offset);
  return 0;
}
