// The three-anchor filter for a pattern with wildcards, with SSE2: 16 starts per compare,
// 32 per loop. SSE2 is the floor on every x86-64 processor and on the 32-bit Windows build.
#if defined(__SSE2__)
#include <emmintrin.h>

#include "search/masked_kernels.h"

namespace vantrel::masked_kernels {
namespace {

struct Needles {
  __m128i value[3];
  __m128i mask[3];
};

// Bits set where all three anchors agree, for the 16 starts from `at`.
template <bool kMasked>
inline std::uint32_t AnchorMask(const std::uint8_t* at, const MaskedAnchors& anchors, const Needles& needles) {
  __m128i agree = _mm_set1_epi8(-1);
  for (std::size_t k = 0; k < 3; ++k) {
    __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + anchors.position[k]));
    if constexpr (kMasked) bytes = _mm_and_si128(bytes, needles.mask[k]);
    agree = _mm_and_si128(agree, _mm_cmpeq_epi8(bytes, needles.value[k]));
  }
  return static_cast<std::uint32_t>(_mm_movemask_epi8(agree));
}

// The first start in mask (bits for the starts from `base`) where the whole pattern is.
inline std::int64_t Verify(const std::uint8_t* text, std::size_t base, std::uint32_t mask,
                           const MaskedPattern& pattern) {
  while (mask != 0) {
    const std::size_t s = base + static_cast<std::size_t>(__builtin_ctz(mask));
    if (MatchesAt(pattern, text + s)) return static_cast<std::int64_t>(s);
    mask &= mask - 1;
  }
  return -1;
}

template <bool kMasked>
std::int64_t Scan(const std::uint8_t* text, std::size_t length, const MaskedPattern& pattern, const MaskedAnchors& anchors) {
  const std::size_t n = pattern.size();
  if (length < n) return -1;
  const std::size_t starts = length - n + 1;  // a block of starts s..s+k reads up to s+k+n-1
  Needles needles{};
  for (std::size_t k = 0; k < 3; ++k) {
    needles.value[k] = _mm_set1_epi8(static_cast<char>(anchors.value[k]));
    needles.mask[k] = _mm_set1_epi8(static_cast<char>(anchors.mask[k]));
  }
  std::size_t s = 0;
  for (; s + 32 <= starts; s += 32) {
    const std::uint32_t mask = AnchorMask<kMasked>(text + s, anchors, needles) |
                               AnchorMask<kMasked>(text + s + 16, anchors, needles) << 16;
    if (mask != 0) {
      if (const std::int64_t hit = Verify(text, s, mask, pattern); hit >= 0) return hit;
    }
  }
  for (; s + 16 <= starts; s += 16) {
    if (const std::uint32_t mask = AnchorMask<kMasked>(text + s, anchors, needles); mask != 0) {
      if (const std::int64_t hit = Verify(text, s, mask, pattern); hit >= 0) return hit;
    }
  }
  const std::int64_t rest = FindPortable(text + s, length - s, pattern, anchors);
  return rest < 0 ? -1 : rest + static_cast<std::int64_t>(s);
}

}  // namespace

std::int64_t FindSse2(const std::uint8_t* text, std::size_t length, const MaskedPattern& pattern,
                      const MaskedAnchors& anchors) {
  return anchors.masked ? Scan<true>(text, length, pattern, anchors) : Scan<false>(text, length, pattern, anchors);
}

}  // namespace vantrel::masked_kernels
#endif
