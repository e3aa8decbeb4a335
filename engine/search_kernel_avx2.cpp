// The anchor filter with AVX2: 32 starts per compare, 256 per step, used only when the
// processor says it has AVX2 (64-bit builds only: the 32-bit Windows build keeps to SSE2).
//
// Two anchors cost the least per byte. When they let through many starts that then fail the
// full compare (common letters in text), the filter adds the third anchor for the rest of
// the text: a few more loads per step, far fewer mispredicted branches.
#if defined(__x86_64__)
#include <immintrin.h>

#include <cstring>

#include "engine/search_kernels.h"

namespace vantrel::kernels {
namespace {

#define VANTREL_AVX2 __attribute__((target("avx2")))

struct Needles {
  __m256i first, second, third;
};

VANTREL_AVX2 inline __m256i Equal(const std::uint8_t* at, __m256i needle) {
  return _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(at)), needle);
}

// Bytes set to 0xFF where the anchors agree, for the 32 starts from `at`.
template <bool kThree>
VANTREL_AVX2 inline __m256i Agree(const std::uint8_t* at, Anchors anchors, const Needles& needles) {
  __m256i agree = _mm256_and_si256(Equal(at + anchors.first, needles.first), Equal(at + anchors.second, needles.second));
  if constexpr (kThree) agree = _mm256_and_si256(agree, Equal(at + anchors.third, needles.third));
  return agree;
}

VANTREL_AVX2 inline std::uint64_t Bits(__m256i low, __m256i high) {
  return static_cast<std::uint32_t>(_mm256_movemask_epi8(low)) |
         std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(high))} << 32;
}

// The first start in mask (bits for the starts from base) where the whole pattern is; counts
// the starts that failed.
inline std::int64_t Verify(const std::uint8_t* text, std::size_t base, std::uint64_t mask, const std::uint8_t* pattern,
                           std::size_t n, std::size_t& failed) {
  while (mask != 0) {
    const std::size_t s = base + static_cast<std::size_t>(__builtin_ctzll(mask));
    if (std::memcmp(text + s, pattern, n) == 0) return static_cast<std::int64_t>(s);
    ++failed;
    mask &= mask - 1;
  }
  return -1;
}

// More failed starts than one per KiB searched, after a start-up allowance: worth a third anchor.
inline bool TooManyFailures(std::size_t failed, std::size_t searched) { return failed > 64 + (searched >> 10); }

// The 256 starts from s; the common case, no start passing, costs one test and one branch.
template <bool kThree>
VANTREL_AVX2 inline std::int64_t Step256(const std::uint8_t* text, std::size_t s, Anchors anchors,
                                         const Needles& needles, const std::uint8_t* pattern, std::size_t n,
                                         std::size_t& failed) {
  const __m256i a = Agree<kThree>(text + s, anchors, needles);
  const __m256i b = Agree<kThree>(text + s + 32, anchors, needles);
  const __m256i c = Agree<kThree>(text + s + 64, anchors, needles);
  const __m256i d = Agree<kThree>(text + s + 96, anchors, needles);
  const __m256i e = Agree<kThree>(text + s + 128, anchors, needles);
  const __m256i f = Agree<kThree>(text + s + 160, anchors, needles);
  const __m256i g = Agree<kThree>(text + s + 192, anchors, needles);
  const __m256i h = Agree<kThree>(text + s + 224, anchors, needles);
  const __m256i any = _mm256_or_si256(_mm256_or_si256(_mm256_or_si256(a, b), _mm256_or_si256(c, d)),
                                      _mm256_or_si256(_mm256_or_si256(e, f), _mm256_or_si256(g, h)));
  if (_mm256_testz_si256(any, any)) return -1;
  if (const std::int64_t hit = Verify(text, s, Bits(a, b), pattern, n, failed); hit >= 0) return hit;
  if (const std::int64_t hit = Verify(text, s + 64, Bits(c, d), pattern, n, failed); hit >= 0) return hit;
  if (const std::int64_t hit = Verify(text, s + 128, Bits(e, f), pattern, n, failed); hit >= 0) return hit;
  return Verify(text, s + 192, Bits(g, h), pattern, n, failed);
}

}  // namespace

bool HaveAvx2() { return __builtin_cpu_supports("avx2") != 0; }

VANTREL_AVX2 std::int64_t FindAvx2(const std::uint8_t* text, std::size_t length, const std::uint8_t* pattern,
                                   std::size_t n, Anchors anchors) {
  if (length < n) return -1;
  const std::size_t starts = length - n + 1;  // a step of starts s..s+k reads up to s+k+n-1
  const Needles needles{_mm256_set1_epi8(static_cast<char>(pattern[anchors.first])),
                        _mm256_set1_epi8(static_cast<char>(pattern[anchors.second])),
                        _mm256_set1_epi8(static_cast<char>(pattern[anchors.third]))};
  std::size_t s = 0;
  std::size_t failed = 0;
  for (; s + 256 <= starts && !TooManyFailures(failed, s); s += 256) {
    if (const std::int64_t hit = Step256<false>(text, s, anchors, needles, pattern, n, failed); hit >= 0) return hit;
  }
  for (; s + 256 <= starts; s += 256) {
    if (const std::int64_t hit = Step256<true>(text, s, anchors, needles, pattern, n, failed); hit >= 0) return hit;
  }
  for (; s + 32 <= starts; s += 32) {
    const __m256i agree = Agree<true>(text + s, anchors, needles);
    if (const std::uint32_t mask = static_cast<std::uint32_t>(_mm256_movemask_epi8(agree)); mask != 0) {
      if (const std::int64_t hit = Verify(text, s, mask, pattern, n, failed); hit >= 0) return hit;
    }
  }
  const std::int64_t rest = FindWithMemchr(text + s, length - s, pattern, n, anchors);
  return rest < 0 ? -1 : rest + static_cast<std::int64_t>(s);
}

#undef VANTREL_AVX2

}  // namespace vantrel::kernels
#endif
