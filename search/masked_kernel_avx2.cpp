// The anchor filter for a pattern with wildcards, with AVX2: 32 starts per compare, 256 per
// step, used only when the processor says it has AVX2 (64-bit builds only: the 32-bit Windows
// build keeps to SSE2). As in the plain kernel, two anchors cost least per byte, and a third
// joins for the rest of the text when too many starts pass them and then fail.
#if defined(__x86_64__)
#include <immintrin.h>

#include "search/masked_kernels.h"

namespace vantrel::masked_kernels {
namespace {

#define VANTREL_AVX2 __attribute__((target("avx2")))

struct Needles {
  __m256i value[3];
  __m256i mask[3];
};

template <bool kMasked>
VANTREL_AVX2 inline __m256i Equal(const std::uint8_t* at, const Needles& needles, std::size_t k) {
  __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
  if constexpr (kMasked) bytes = _mm256_and_si256(bytes, needles.mask[k]);
  return _mm256_cmpeq_epi8(bytes, needles.value[k]);
}

// Bytes set to 0xFF where the anchors agree, for the 32 starts from `at`.
template <bool kMasked, bool kThree>
VANTREL_AVX2 inline __m256i Agree(const std::uint8_t* at, const MaskedAnchors& anchors, const Needles& needles) {
  __m256i agree = _mm256_and_si256(Equal<kMasked>(at + anchors.position[0], needles, 0),
                                   Equal<kMasked>(at + anchors.position[1], needles, 1));
  if constexpr (kThree) agree = _mm256_and_si256(agree, Equal<kMasked>(at + anchors.position[2], needles, 2));
  return agree;
}

VANTREL_AVX2 inline std::uint64_t Bits(__m256i low, __m256i high) {
  return static_cast<std::uint32_t>(_mm256_movemask_epi8(low)) |
         std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(high))} << 32;
}

// The first start in mask (bits for the starts from base) where the whole pattern is; counts
// the starts that failed.
inline std::int64_t Verify(const std::uint8_t* text, std::size_t base, std::uint64_t mask,
                           const MaskedPattern& pattern, std::size_t& failed) {
  while (mask != 0) {
    const std::size_t s = base + static_cast<std::size_t>(__builtin_ctzll(mask));
    if (MatchesAt(pattern, text + s)) return static_cast<std::int64_t>(s);
    ++failed;
    mask &= mask - 1;
  }
  return -1;
}

// More failed starts than one per KiB searched, after a start-up allowance: worth a third anchor.
inline bool TooManyFailures(std::size_t failed, std::size_t searched) { return failed > 64 + (searched >> 10); }

// The 256 starts from s; the common case, no start passing, costs one test and one branch.
template <bool kMasked, bool kThree>
VANTREL_AVX2 inline std::int64_t Step256(const std::uint8_t* text, std::size_t s, const MaskedAnchors& anchors,
                                         const Needles& needles, const MaskedPattern& pattern, std::size_t& failed) {
  // Written out: a loop over an array of eight left them in memory, not in registers.
  const __m256i a = Agree<kMasked, kThree>(text + s, anchors, needles);
  const __m256i b = Agree<kMasked, kThree>(text + s + 32, anchors, needles);
  const __m256i c = Agree<kMasked, kThree>(text + s + 64, anchors, needles);
  const __m256i d = Agree<kMasked, kThree>(text + s + 96, anchors, needles);
  const __m256i e = Agree<kMasked, kThree>(text + s + 128, anchors, needles);
  const __m256i f = Agree<kMasked, kThree>(text + s + 160, anchors, needles);
  const __m256i g = Agree<kMasked, kThree>(text + s + 192, anchors, needles);
  const __m256i h = Agree<kMasked, kThree>(text + s + 224, anchors, needles);
  const __m256i any = _mm256_or_si256(_mm256_or_si256(_mm256_or_si256(a, b), _mm256_or_si256(c, d)),
                                      _mm256_or_si256(_mm256_or_si256(e, f), _mm256_or_si256(g, h)));
  if (_mm256_testz_si256(any, any)) return -1;
  if (const std::int64_t hit = Verify(text, s, Bits(a, b), pattern, failed); hit >= 0) return hit;
  if (const std::int64_t hit = Verify(text, s + 64, Bits(c, d), pattern, failed); hit >= 0) return hit;
  if (const std::int64_t hit = Verify(text, s + 128, Bits(e, f), pattern, failed); hit >= 0) return hit;
  return Verify(text, s + 192, Bits(g, h), pattern, failed);
}

template <bool kMasked>
VANTREL_AVX2 std::int64_t Scan(const std::uint8_t* text, std::size_t length, const MaskedPattern& pattern,
                               const MaskedAnchors& anchors) {
  const std::size_t n = pattern.size();
  if (length < n) return -1;
  const std::size_t starts = length - n + 1;  // a step of starts s..s+k reads up to s+k+n-1
  Needles needles{};
  for (std::size_t k = 0; k < 3; ++k) {
    needles.value[k] = _mm256_set1_epi8(static_cast<char>(anchors.value[k]));
    needles.mask[k] = _mm256_set1_epi8(static_cast<char>(anchors.mask[k]));
  }
  std::size_t s = 0;
  std::size_t failed = 0;
  for (; s + 256 <= starts && !TooManyFailures(failed, s); s += 256) {
    const std::int64_t hit = Step256<kMasked, false>(text, s, anchors, needles, pattern, failed);
    if (hit >= 0) return hit;
  }
  for (; s + 256 <= starts; s += 256) {
    const std::int64_t hit = Step256<kMasked, true>(text, s, anchors, needles, pattern, failed);
    if (hit >= 0) return hit;
  }
  for (; s + 32 <= starts; s += 32) {
    const __m256i agree = Agree<kMasked, true>(text + s, anchors, needles);
    if (const auto mask = static_cast<std::uint32_t>(_mm256_movemask_epi8(agree)); mask != 0) {
      if (const std::int64_t hit = Verify(text, s, mask, pattern, failed); hit >= 0) return hit;
    }
  }
  const std::int64_t rest = FindPortable(text + s, length - s, pattern, anchors);
  return rest < 0 ? -1 : rest + static_cast<std::int64_t>(s);
}

}  // namespace

VANTREL_AVX2 std::int64_t FindAvx2(const std::uint8_t* text, std::size_t length, const MaskedPattern& pattern,
                                   const MaskedAnchors& anchors) {
  return anchors.masked ? Scan<true>(text, length, pattern, anchors) : Scan<false>(text, length, pattern, anchors);
}

#undef VANTREL_AVX2

}  // namespace vantrel::masked_kernels
#endif
