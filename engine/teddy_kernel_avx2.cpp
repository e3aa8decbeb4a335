// The Teddy filter with AVX2: 32 starts per lookup, 64 per loop, the same 16-entry tables in
// both lanes. 64-bit builds only, and only when the processor has AVX2.
#if defined(__x86_64__)
#include <immintrin.h>

#include <algorithm>

#include "engine/teddy_finder.h"

namespace vantrel::teddy_kernels {
namespace {

#define VANTREL_AVX2 __attribute__((target("avx2")))

struct Lookup {
  __m256i low[TeddyTables::kMaxDistances];
  __m256i high[TeddyTables::kMaxDistances];
  std::array<std::size_t, TeddyTables::kMaxDistances> distance;
};

// For the 32 starts from `at`: the buckets whose nibbles pass at distances kFrom to kTo - 1,
// one byte per start.
template <std::size_t kFrom, std::size_t kTo>
VANTREL_AVX2 inline __m256i Buckets(const std::uint8_t* at, const Lookup& lookup) {
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  __m256i buckets = _mm256_set1_epi8(-1);
  for (std::size_t j = kFrom; j < kTo; ++j) {
    const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + lookup.distance[j]));
    const __m256i low = _mm256_shuffle_epi8(lookup.low[j], _mm256_and_si256(bytes, nibble));
    const __m256i high = _mm256_shuffle_epi8(lookup.high[j], _mm256_and_si256(_mm256_srli_epi16(bytes, 4), nibble));
    buckets = _mm256_and_si256(buckets, _mm256_and_si256(low, high));
  }
  return buckets;
}

VANTREL_AVX2 inline std::uint32_t NonZero(__m256i v) {
  return ~static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v, _mm256_setzero_si256())));
}

VANTREL_AVX2 inline __m256i BothLanes(const std::array<std::uint8_t, 16>& table) {
  return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(table.data())));
}

// The lowest pattern at the first start of the 64 from s that has one, given the buckets
// each start passed.
VANTREL_AVX2 inline PatternHit VerifyStep(const TeddyFinder& finder, const std::uint8_t* text, std::size_t length,
                                          std::size_t s, __m256i first, __m256i second) {
  std::array<std::uint8_t, 64> buckets;
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(buckets.data()), first);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(buckets.data() + 32), second);
  std::uint64_t starts = NonZero(first) | std::uint64_t{NonZero(second)} << 32;
  for (; starts != 0; starts &= starts - 1) {
    const auto k = static_cast<std::size_t>(__builtin_ctzll(starts));
    if (const PatternHit hit = finder.Verify(text, length, s + k, buckets[k]); hit.found()) return hit;
  }
  return {};
}

VANTREL_AVX2 inline bool NoneOf(__m256i first, __m256i second) {
  const __m256i any = _mm256_or_si256(first, second);
  return _mm256_testz_si256(any, any) != 0;
}

// More steps than one in eight that needed the third distance, after a start-up allowance:
// then reading all three at once is cheaper than a second, mispredicted test.
inline bool ThirdOftenNeeded(std::size_t thirds, std::size_t steps) { return thirds > 64 + steps / 8; }

template <std::size_t kCount>
VANTREL_AVX2 TeddyScan Scan(const TeddyFinder& finder, const std::uint8_t* text, std::size_t length) {
  const TeddyTables& tables = finder.tables();
  Lookup lookup{};
  for (std::size_t j = 0; j < kCount; ++j) {
    lookup.low[j] = BothLanes(tables.low[j]);
    lookup.high[j] = BothLanes(tables.high[j]);
    lookup.distance[j] = tables.distance[j];
  }
  const std::size_t reach = 64 + *std::max_element(tables.distance.begin(), tables.distance.begin() + kCount);
  std::size_t s = 0;  // 64 starts from s read below s + reach
  if constexpr (kCount == 3) {
    // Two distances first: where no start passes them, the third is not read.
    for (std::size_t thirds = 0; s + reach <= length && !ThirdOftenNeeded(thirds, s / 64); s += 64) {
      __m256i first = Buckets<0, 2>(text + s, lookup);
      __m256i second = Buckets<0, 2>(text + s + 32, lookup);
      if (NoneOf(first, second)) continue;
      ++thirds;
      first = _mm256_and_si256(first, Buckets<2, 3>(text + s, lookup));
      second = _mm256_and_si256(second, Buckets<2, 3>(text + s + 32, lookup));
      if (NoneOf(first, second)) continue;
      if (const PatternHit hit = VerifyStep(finder, text, length, s, first, second); hit.found()) return {hit, s};
    }
  }
  for (; s + reach <= length; s += 64) {
    const __m256i first = Buckets<0, kCount>(text + s, lookup);
    const __m256i second = Buckets<0, kCount>(text + s + 32, lookup);
    if (NoneOf(first, second)) continue;
    if (const PatternHit hit = VerifyStep(finder, text, length, s, first, second); hit.found()) return {hit, s};
  }
  return {PatternHit{}, s};
}

}  // namespace

TeddyScan ScanAvx2(const TeddyFinder& finder, const std::uint8_t* text, std::size_t length) {
  switch (finder.tables().count) {
    case 1:
      return Scan<1>(finder, text, length);
    case 2:
      return Scan<2>(finder, text, length);
    default:
      return Scan<3>(finder, text, length);
  }
}

#undef VANTREL_AVX2

}  // namespace vantrel::teddy_kernels
#endif
