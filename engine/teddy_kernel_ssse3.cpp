// The Teddy filter with SSSE3's pshufb: 16 starts per lookup, 32 per loop. Compiled for SSSE3
// and used only when the processor has it, so the 32-bit Windows build (SSE2 at least) keeps
// running everywhere.
#if defined(__SSE2__)
#include <tmmintrin.h>

#include <algorithm>

#include "engine/teddy_finder.h"

namespace vantrel::teddy_kernels {
namespace {

#define VANTREL_SSSE3 __attribute__((target("ssse3")))

struct Lookup {
  __m128i low[TeddyTables::kMaxDistances];
  __m128i high[TeddyTables::kMaxDistances];
  std::array<std::size_t, TeddyTables::kMaxDistances> distance;
};

// For the 16 starts from `at`: the buckets whose nibbles all pass, one byte per start.
template <std::size_t kCount>
VANTREL_SSSE3 inline __m128i Buckets(const std::uint8_t* at, const Lookup& lookup) {
  const __m128i nibble = _mm_set1_epi8(0x0F);
  __m128i buckets = _mm_set1_epi8(-1);
  for (std::size_t j = 0; j < kCount; ++j) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + lookup.distance[j]));
    const __m128i low = _mm_shuffle_epi8(lookup.low[j], _mm_and_si128(bytes, nibble));
    const __m128i high = _mm_shuffle_epi8(lookup.high[j], _mm_and_si128(_mm_srli_epi16(bytes, 4), nibble));
    buckets = _mm_and_si128(buckets, _mm_and_si128(low, high));
  }
  return buckets;
}

VANTREL_SSSE3 inline std::uint32_t NonZero(__m128i v) {
  return ~static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_setzero_si128()))) & 0xFFFF;
}

template <std::size_t kCount>
VANTREL_SSSE3 TeddyScan Scan(const TeddyFinder& finder, const std::uint8_t* text, std::size_t length) {
  const TeddyTables& tables = finder.tables();
  Lookup lookup{};
  for (std::size_t j = 0; j < kCount; ++j) {
    lookup.low[j] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(tables.low[j].data()));
    lookup.high[j] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(tables.high[j].data()));
    lookup.distance[j] = tables.distance[j];
  }
  const std::size_t reach = 32 + *std::max_element(tables.distance.begin(), tables.distance.begin() + kCount);
  std::size_t s = 0;
  for (; s + reach <= length; s += 32) {  // 32 starts from s read below s + reach
    const __m128i first = Buckets<kCount>(text + s, lookup);
    const __m128i second = Buckets<kCount>(text + s + 16, lookup);
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

bool HaveSsse3() { return __builtin_cpu_supports("ssse3") != 0; }

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
