// The anchor filter with SSE2: 16 starts per compare, one block of 64 per step. SSE2 is the
// floor on every x86-64 processor and on the 32-bit Windows build, whose eight vector
// registers just hold up to four needles and a block's four results.
#if defined(__SSE2__)
#include <emmintrin.h>

#include "search/search_kernels.h"

namespace vantrel::kernels {
namespace {

struct Needles {
  __m128i first, second, third, fourth;
};

[[gnu::always_inline]] inline Needles MakeNeedles(const std::uint8_t* pattern, const Anchors& anchors) {
  return {_mm_set1_epi8(static_cast<char>(pattern[anchors.first])),
          _mm_set1_epi8(static_cast<char>(pattern[anchors.second])),
          _mm_set1_epi8(static_cast<char>(pattern[anchors.third])),
          _mm_set1_epi8(static_cast<char>(pattern[anchors.fourth]))};
}

[[gnu::always_inline]] inline __m128i Equal(const std::uint8_t* at, __m128i needle) {
  return _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)), needle);
}

// Bytes set to 0xFF where the anchors agree, for the 16 starts from `at`.
template <int kCount>
[[gnu::always_inline]] inline __m128i Agree(const std::uint8_t* at, const Anchors& anchors, const Needles& needles) {
  __m128i agree = _mm_and_si128(Equal(at + anchors.first, needles.first), Equal(at + anchors.second, needles.second));
  if constexpr (kCount >= 3) agree = _mm_and_si128(agree, Equal(at + anchors.third, needles.third));
  if constexpr (kCount >= 4) agree = _mm_and_si128(agree, Equal(at + anchors.fourth, needles.fourth));
  return agree;
}

[[gnu::always_inline]] inline std::uint64_t Bits(__m128i a) { return static_cast<std::uint32_t>(_mm_movemask_epi8(a)); }

// The 64 starts from `at`; the common case, no start passing, costs one test and one branch.
template <int kCount>
[[gnu::always_inline]] inline std::uint64_t BlockMask(const std::uint8_t* at, const Anchors& anchors, const Needles& needles) {
  const __m128i a = Agree<kCount>(at, anchors, needles);
  const __m128i b = Agree<kCount>(at + 16, anchors, needles);
  const __m128i c = Agree<kCount>(at + 32, anchors, needles);
  const __m128i d = Agree<kCount>(at + 48, anchors, needles);
  if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d))) == 0) return 0;
  return Bits(a) | Bits(b) << 16 | Bits(c) << 32 | Bits(d) << 48;
}

template <int kCount>
FilterStop Filter(const std::uint8_t* text, std::size_t from, std::size_t starts, const std::uint8_t* pattern,
                  std::size_t n, const Anchors& anchors) {
  const Needles needles = MakeNeedles(pattern, anchors);
  const bool may_add = kCount < MostAnchors(n);
  std::size_t failed = 0;
  std::size_t s = from;
  for (; s + 64 <= starts; s += 64) {
    const std::uint64_t mask = BlockMask<kCount>(text + s, anchors, needles);
    if (mask == 0) continue;
    if (const std::int64_t hit = FirstMatch(text, s, mask, pattern, n, failed); hit >= 0) return {hit, s};
    if (may_add && TooManyFailures(failed, s + 64 - from, anchors.failure_spacing_log2)) return {-1, s + 64};
  }
  if (s < starts) {  // the last block ends at the last start, over starts already passed
    const std::size_t base = starts - 64;
    const std::uint64_t mask = BlockMask<kCount>(text + base, anchors, needles) & StartsFrom(s - base);
    if (const std::int64_t hit = FirstMatch(text, base, mask, pattern, n, failed); hit >= 0) return {hit, base};
  }
  return {-1, starts};
}

FilterStop FilterSse2(const std::uint8_t* text, std::size_t from, std::size_t starts, const std::uint8_t* pattern,
                      std::size_t n, const Anchors& anchors) {
  switch (anchors.count) {
    case 2:
      return Filter<2>(text, from, starts, pattern, n, anchors);
    case 3:
      return Filter<3>(text, from, starts, pattern, n, anchors);
    default:
      return Filter<4>(text, from, starts, pattern, n, anchors);
  }
}

}  // namespace

std::int64_t FindSse2(const std::uint8_t* text, std::size_t length, const std::uint8_t* pattern, std::size_t n,
                      Anchors anchors) {
  return FindWithFilter(FilterSse2, text, length, pattern, n, anchors);
}

}  // namespace vantrel::kernels
#endif
