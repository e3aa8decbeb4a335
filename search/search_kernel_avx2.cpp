// The anchor filter with AVX2: 32 starts per compare, 128 per step, used only when the
// processor says it has AVX2 (64-bit builds only: the 32-bit Windows build keeps to SSE2).
#if defined(__x86_64__)
#include <immintrin.h>

#include "search/search_kernels.h"

namespace vantrel::kernels {
namespace {

#define VANTREL_AVX2 __attribute__((target("avx2")))
#define VANTREL_AVX2_INLINE __attribute__((target("avx2"), always_inline)) inline

struct Needles {
  __m256i first, second, third, fourth;
};

VANTREL_AVX2_INLINE Needles MakeNeedles(const std::uint8_t* pattern, const Anchors& anchors) {
  return {_mm256_set1_epi8(static_cast<char>(pattern[anchors.first])),
          _mm256_set1_epi8(static_cast<char>(pattern[anchors.second])),
          _mm256_set1_epi8(static_cast<char>(pattern[anchors.third])),
          _mm256_set1_epi8(static_cast<char>(pattern[anchors.fourth]))};
}

VANTREL_AVX2_INLINE __m256i Equal(const std::uint8_t* at, __m256i needle) {
  return _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(at)), needle);
}

// Bytes set to 0xFF where the anchors agree, for the 32 starts from `at`.
template <int kCount>
VANTREL_AVX2_INLINE __m256i Agree(const std::uint8_t* at, const Anchors& anchors, const Needles& needles) {
  __m256i agree = _mm256_and_si256(Equal(at + anchors.first, needles.first), Equal(at + anchors.second, needles.second));
  if constexpr (kCount >= 3) agree = _mm256_and_si256(agree, Equal(at + anchors.third, needles.third));
  if constexpr (kCount >= 4) agree = _mm256_and_si256(agree, Equal(at + anchors.fourth, needles.fourth));
  return agree;
}

VANTREL_AVX2_INLINE std::uint64_t Bits(__m256i low, __m256i high) {
  return static_cast<std::uint32_t>(_mm256_movemask_epi8(low)) |
         std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(high))} << 32;
}

// The 64 starts from `at`.
template <int kCount>
VANTREL_AVX2_INLINE std::uint64_t BlockMask(const std::uint8_t* at, const Anchors& anchors, const Needles& needles) {
  return Bits(Agree<kCount>(at, anchors, needles), Agree<kCount>(at + 32, anchors, needles));
}

// Two blocks per step; the common case, no start passing, costs one test and one branch.
template <int kCount>
VANTREL_AVX2 FilterStop Filter(const std::uint8_t* text, std::size_t from, std::size_t starts,
                               const std::uint8_t* pattern, std::size_t n, const Anchors& anchors) {
  const Needles needles = MakeNeedles(pattern, anchors);
  const bool may_add = kCount < MostAnchors(n);
  std::size_t failed = 0;
  std::size_t s = from;
  for (; s + 128 <= starts; s += 128) {
    const __m256i a = Agree<kCount>(text + s, anchors, needles);
    const __m256i b = Agree<kCount>(text + s + 32, anchors, needles);
    const __m256i c = Agree<kCount>(text + s + 64, anchors, needles);
    const __m256i d = Agree<kCount>(text + s + 96, anchors, needles);
    const __m256i any = _mm256_or_si256(_mm256_or_si256(a, b), _mm256_or_si256(c, d));
    if (_mm256_testz_si256(any, any)) continue;
    if (const std::int64_t hit = FirstMatch(text, s, Bits(a, b), pattern, n, failed); hit >= 0) return {hit, s};
    if (const std::int64_t hit = FirstMatch(text, s + 64, Bits(c, d), pattern, n, failed); hit >= 0) return {hit, s};
    if (may_add && TooManyFailures(failed, s + 128 - from, anchors.failure_spacing_log2)) return {-1, s + 128};
  }
  if (s + 64 <= starts) {
    const std::uint64_t mask = BlockMask<kCount>(text + s, anchors, needles);
    if (const std::int64_t hit = FirstMatch(text, s, mask, pattern, n, failed); hit >= 0) return {hit, s};
    s += 64;
  }
  if (s < starts) {  // the last block ends at the last start, over starts already passed
    const std::size_t base = starts - 64;
    const std::uint64_t mask = BlockMask<kCount>(text + base, anchors, needles) & StartsFrom(s - base);
    if (const std::int64_t hit = FirstMatch(text, base, mask, pattern, n, failed); hit >= 0) return {hit, base};
  }
  return {-1, starts};
}

FilterStop FilterAvx2(const std::uint8_t* text, std::size_t from, std::size_t starts, const std::uint8_t* pattern,
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

#undef VANTREL_AVX2
#undef VANTREL_AVX2_INLINE

}  // namespace

std::int64_t FindAvx2(const std::uint8_t* text, std::size_t length, const std::uint8_t* pattern, std::size_t n,
                      Anchors anchors) {
  return FindWithFilter(FilterAvx2, text, length, pattern, n, anchors);
}

}  // namespace vantrel::kernels
#endif
