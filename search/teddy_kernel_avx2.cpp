// The Teddy filter with AVX2: 32 starts per lookup, 64 per loop, the same 16-entry tables in
// both lanes. 64-bit builds only, and only when the processor has AVX2.
#if defined(__x86_64__)
#include <immintrin.h>

#include <algorithm>

#include "search/teddy_finder.h"

namespace vantrel::teddy_kernels {
namespace {

#define VANTREL_AVX2 __attribute__((target("avx2")))

// One distance of the filter: its nibble tables and how far from a start it reads. Kept as
// separate values, not arrays, so the compiler holds the tables in registers.
struct Distance {
  __m256i low;
  __m256i high;
  std::size_t at;
};

VANTREL_AVX2 inline __m256i BothLanes(const std::array<std::uint8_t, 16>& table) {
  return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(table.data())));
}

VANTREL_AVX2 inline Distance LoadDistance(const TeddyTables& tables, std::size_t j) {
  return Distance{BothLanes(tables.low[j]), BothLanes(tables.high[j]), tables.distance[j]};
}

// For the 32 starts from `start`: the buckets whose nibbles pass at one distance.
VANTREL_AVX2 inline __m256i Pass(const std::uint8_t* start, const Distance& distance) {
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(start + distance.at));
  const __m256i low = _mm256_shuffle_epi8(distance.low, _mm256_and_si256(bytes, nibble));
  const __m256i high = _mm256_shuffle_epi8(distance.high, _mm256_and_si256(_mm256_srli_epi16(bytes, 4), nibble));
  return _mm256_and_si256(low, high);
}

// The buckets that pass at the first kCount distances.
template <std::size_t kCount>
VANTREL_AVX2 inline __m256i Buckets(const std::uint8_t* start, const Distance& d0, const Distance& d1,
                                    const Distance& d2) {
  __m256i passed = Pass(start, d0);
  if constexpr (kCount > 1) passed = _mm256_and_si256(passed, Pass(start, d1));
  if constexpr (kCount > 2) passed = _mm256_and_si256(passed, Pass(start, d2));
  return passed;
}

VANTREL_AVX2 inline std::uint32_t NonZero(__m256i v) {
  return ~static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v, _mm256_setzero_si256())));
}

VANTREL_AVX2 inline bool NoneOf(__m256i first, __m256i second) {
  const __m256i any = _mm256_or_si256(first, second);
  return _mm256_testz_si256(any, any) != 0;
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

// More steps than one in eight that needed the third distance, after a start-up allowance:
// then reading all three at once is cheaper than a second, mispredicted test.
inline bool ThirdOftenNeeded(std::size_t thirds, std::size_t steps) { return thirds > 64 + steps / 8; }

template <std::size_t kCount>
VANTREL_AVX2 TeddyScan Scan(const TeddyFinder& finder, const std::uint8_t* text, std::size_t length) {
  const TeddyTables& tables = finder.tables();
  // Fewer than three distances: the unused ones repeat the first and are never read.
  const Distance d0 = LoadDistance(tables, 0);
  const Distance d1 = LoadDistance(tables, kCount > 1 ? 1 : 0);
  const Distance d2 = LoadDistance(tables, kCount > 2 ? 2 : 0);
  const std::size_t reach = 64 + std::max({d0.at, d1.at, d2.at});
  std::size_t s = 0;  // 64 starts from s read below s + reach
  if constexpr (kCount == 3) {
    // Two distances first: where no start passes them, the third is not read.
    for (std::size_t thirds = 0; s + reach <= length && !ThirdOftenNeeded(thirds, s / 64); s += 64) {
      __m256i first = Buckets<2>(text + s, d0, d1, d2);
      __m256i second = Buckets<2>(text + s + 32, d0, d1, d2);
      if (NoneOf(first, second)) continue;
      ++thirds;
      first = _mm256_and_si256(first, Pass(text + s, d2));
      second = _mm256_and_si256(second, Pass(text + s + 32, d2));
      if (NoneOf(first, second)) continue;
      if (const PatternHit hit = VerifyStep(finder, text, length, s, first, second); hit.found()) return {hit, s};
    }
  }
  for (; s + reach <= length; s += 64) {
    const __m256i first = Buckets<kCount>(text + s, d0, d1, d2);
    const __m256i second = Buckets<kCount>(text + s + 32, d0, d1, d2);
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
