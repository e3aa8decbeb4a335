// The Teddy filter with SSSE3's pshufb: 16 starts per lookup, 32 per loop. Compiled for SSSE3
// and used only when the processor has it, so the 32-bit Windows build (SSE2 at least) keeps
// running everywhere.
#if defined(__SSE2__)
#include <tmmintrin.h>

#include <algorithm>

#include "search/teddy_finder.h"

namespace vantrel::teddy_kernels {
namespace {

#define VANTREL_SSSE3 __attribute__((target("ssse3")))

// One distance of the filter: its nibble tables and how far from a start it reads. Kept as
// separate values, not arrays, so the compiler can hold the tables in registers.
struct Distance {
  __m128i low;
  __m128i high;
  std::size_t at;
};

VANTREL_SSSE3 inline Distance LoadDistance(const TeddyTables& tables, std::size_t j) {
  return Distance{_mm_loadu_si128(reinterpret_cast<const __m128i*>(tables.low[j].data())),
                  _mm_loadu_si128(reinterpret_cast<const __m128i*>(tables.high[j].data())), tables.distance[j]};
}

// For the 16 starts from `start`: the buckets whose nibbles pass at one distance.
VANTREL_SSSE3 inline __m128i Pass(const std::uint8_t* start, const Distance& distance) {
  const __m128i nibble = _mm_set1_epi8(0x0F);
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(start + distance.at));
  const __m128i low = _mm_shuffle_epi8(distance.low, _mm_and_si128(bytes, nibble));
  const __m128i high = _mm_shuffle_epi8(distance.high, _mm_and_si128(_mm_srli_epi16(bytes, 4), nibble));
  return _mm_and_si128(low, high);
}

// The buckets that pass at the first kCount distances.
template <std::size_t kCount>
VANTREL_SSSE3 inline __m128i Buckets(const std::uint8_t* start, const Distance& d0, const Distance& d1,
                                     const Distance& d2) {
  __m128i passed = Pass(start, d0);
  if constexpr (kCount > 1) passed = _mm_and_si128(passed, Pass(start, d1));
  if constexpr (kCount > 2) passed = _mm_and_si128(passed, Pass(start, d2));
  return passed;
}

VANTREL_SSSE3 inline std::uint32_t NonZero(__m128i v) {
  return ~static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_setzero_si128()))) & 0xFFFF;
}

template <std::size_t kCount>
VANTREL_SSSE3 TeddyScan Scan(const TeddyFinder& finder, const std::uint8_t* text, std::size_t length) {
  const TeddyTables& tables = finder.tables();
  // Fewer than three distances: the unused ones repeat the first and are never read.
  const Distance d0 = LoadDistance(tables, 0);
  const Distance d1 = LoadDistance(tables, kCount > 1 ? 1 : 0);
  const Distance d2 = LoadDistance(tables, kCount > 2 ? 2 : 0);
  const std::size_t reach = 32 + std::max({d0.at, d1.at, d2.at});
  std::size_t s = 0;
  for (; s + reach <= length; s += 32) {  // 32 starts from s read below s + reach
    const __m128i first = Buckets<kCount>(text + s, d0, d1, d2);
    const __m128i second = Buckets<kCount>(text + s + 16, d0, d1, d2);
    std::uint32_t starts = NonZero(_mm_or_si128(first, second));
    if (starts == 0) continue;
    std::array<std::uint8_t, 32> buckets;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(buckets.data()), first);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(buckets.data() + 16), second);
    starts = NonZero(first) | NonZero(second) << 16;
    for (; starts != 0; starts &= starts - 1) {
      const auto k = static_cast<std::size_t>(__builtin_ctz(starts));
      if (const PatternHit hit = finder.Verify(text, length, s + k, buckets[k]); hit.found()) return {hit, s + k};
    }
  }
  return {PatternHit{}, s};
}

}  // namespace

TeddyScan ScanSsse3(const TeddyFinder& finder, const std::uint8_t* text, std::size_t length) {
  switch (finder.tables().count) {
    case 1:
      return Scan<1>(finder, text, length);
    case 2:
      return Scan<2>(finder, text, length);
    default:
      return Scan<3>(finder, text, length);
  }
}

#undef VANTREL_SSSE3

}  // namespace vantrel::teddy_kernels
#endif
