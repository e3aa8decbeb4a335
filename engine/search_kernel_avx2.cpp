// The anchor filter with AVX2: 32 starts per compare, 128 per step, used only when the
// processor says it has AVX2 (64-bit builds only: the 32-bit Windows build keeps to SSE2).
#if defined(__x86_64__)
#include <immintrin.h>

#include "engine/search_kernels.h"

namespace vantrel::kernels {
namespace {

#define VANTREL_AVX2 __attribute__((target("avx2")))

struct Needles {
  __m256i first, second, third, fourth;
};

VANTREL_AVX2 inline Needles MakeNeedles(const std::uint8_t* pattern, const Anchors& anchors) {
  return {_mm256_set1_epi8(static_cast<char>(pattern[anchors.first])),
          _mm256_set1_epi8(static_cast<char>(pattern[anchors.second])),
          _mm256_set1_epi8(static_cast<char>(pattern[anchors.third])),
          _mm256_set1_epi8(static_cast<char>(pattern[anchors.fourth]))};
}

VANTREL_AVX2 inline __m256i Equal(const std::uint8_t* at, __m256i needle) {
  return _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(at)), needle);
}

// Bytes set to 0xFF where the anchors agree, for the 32 starts from `at`.
template <int kCount>
VANTREL_AVX2 inline __m256i Agree(const std::uint8_t* at, const Anchors& anchors, const Needles& needles) {
  __m256i agree = _mm256_and_si256(Equal(at + anchors.first, needles.first), Equal(at + anchors.second, needles.second));
  if constexpr (kCount >= 3) agree = _mm256_and_si256(agree, Equal(at + anchors.third, needles.third));
  if constexpr (kCount >= 4) agree = _mm256_and_si256(agree, Equal(at + anchors.fourth, needles.fourth));
  return agree;
}

VANTREL_AVX2 inline std::uint64_t Bits(__m256i low, __m256i high) {
  return static_cast<std::uint32_t>(_mm256_movemask_epi8(low)) |
         std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(high))} << 32;
}

// The 64 starts from `at`.
template <int kCount>
VANTREL_AVX2 inline std::uint64_t BlockMask(const std::uint8_t* at, const Anchors& anchors, const Needles& needles) {
  return Bits(Agree<kCount>(at, anchors, needles), Agree<kCount>(at + 32, anchors, needles));
}

// Two blocks per step; the common case, no start passing, costs one test and one branch.
template <int kCount>
VANTREL_AVX2 CandidateBlock Filter(const std::uint8_t* text, std::size_t s, std::size_t starts,
                                   const std::uint8_t* pattern, const Anchors& anchors) {
  const Needles needles = MakeNeedles(pattern, anchors);
  for (; s + 128 <= starts; s += 128) {
    const __m256i a = Agree<kCount>(text + s, anchors, needles);
    const __m256i b = Agree<kCount>(text + s + 32, anchors, needles);
    const __m256i c = Agree<kCount>(text + s + 64, anchors, needles);
    const __m256i d = Agree<kCount>(text + s + 96, anchors, needles);
    const __m256i any = _mm256_or_si256(_mm256_or_si256(a, b), _mm256_or_si256(c, d));
    if (!_mm256_testz_si256(any, any)) {
      if (const std::uint64_t mask = Bits(a, b); mask != 0) return {s, mask};
      return {s + 64, Bits(c, d)};
    }
  }
  if (s + 64 <= starts) {
    if (const std::uint64_t mask = BlockMask<kCount>(text + s, anchors, needles); mask != 0) return {s, mask};
    s += 64;
  }
  if (s < starts) {  // the last block ends at the last start, over starts already passed
    const std::size_t base = starts - 64;
    if (const std::uint64_t mask = BlockMask<kCount>(text + base, anchors, needles) & StartsFrom(s - base); mask != 0) {
      return {base, mask};
    }
  }
  return {starts, 0};
}

CandidateBlock FilterAvx2(const std::uint8_t* text, std::size_t from, std::size_t starts, const std::uint8_t* pattern,
                          const Anchors& anchors, int count) {
  switch (count) {
    case 2:
      return Filter<2>(text, from, starts, pattern, anchors);
    case 3:
      return Filter<3>(text, from, starts, pattern, anchors);
    default:
      return Filter<4>(text, from, starts, pattern, anchors);
  }
}

#undef VANTREL_AVX2

}  // namespace

bool HaveAvx2() { return __builtin_cpu_supports("avx2") != 0; }

std::int64_t FindAvx2(const std::uint8_t* text, std::size_t length, const std::uint8_t* pattern, std::size_t n,
                      Anchors anchors) {
  return FindWithFilter(FilterAvx2, text, length, pattern, n, anchors);
}

}  // namespace vantrel::kernels
#endif
