// The three-anchor candidate filter with SSE2: 16 starts per compare, 32 per loop. SSE2 is the floor on
// every x86-64 processor and on the 32-bit Windows build.
#if defined(__SSE2__)
#include <emmintrin.h>

#include <cstring>

#include "engine/search_kernels.h"

namespace vantrel::kernels {
namespace {

struct Needles {
  __m128i first, second, third;
};

inline __m128i Equal(const std::uint8_t* at, __m128i needle) {
  return _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)), needle);
}

// Bits set where all three anchors agree, for the 16 starts from `at`.
inline std::uint32_t AnchorMask(const std::uint8_t* at, Anchors anchors, const Needles& needles) {
  const __m128i both = _mm_and_si128(Equal(at + anchors.first, needles.first), Equal(at + anchors.second, needles.second));
  return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_and_si128(both, Equal(at + anchors.third, needles.third))));
}

// The first start in mask (bits for the starts from `base`) where the whole pattern is.
inline std::int64_t Verify(const std::uint8_t* text, std::size_t base, std::uint32_t mask, const std::uint8_t* pattern,
                           std::size_t n) {
  while (mask != 0) {
    const std::size_t s = base + static_cast<std::size_t>(__builtin_ctz(mask));
    if (std::memcmp(text + s, pattern, n) == 0) return static_cast<std::int64_t>(s);
    mask &= mask - 1;
  }
  return -1;
}

}  // namespace

std::int64_t FindSse2(const std::uint8_t* text, std::size_t length, const std::uint8_t* pattern, std::size_t n,
                      Anchors anchors) {
  if (length < n) return -1;
  const std::size_t starts = length - n + 1;  // a block of starts s..s+k reads up to s+k+n-1
  const Needles needles{_mm_set1_epi8(static_cast<char>(pattern[anchors.first])),
                        _mm_set1_epi8(static_cast<char>(pattern[anchors.second])),
                        _mm_set1_epi8(static_cast<char>(pattern[anchors.third]))};
  std::size_t s = 0;
  for (; s + 32 <= starts; s += 32) {
    const std::uint32_t mask = AnchorMask(text + s, anchors, needles) |
                               AnchorMask(text + s + 16, anchors, needles) << 16;
    if (mask != 0) {
      if (const std::int64_t hit = Verify(text, s, mask, pattern, n); hit >= 0) return hit;
    }
  }
  for (; s + 16 <= starts; s += 16) {
    if (const std::uint32_t mask = AnchorMask(text + s, anchors, needles); mask != 0) {
      if (const std::int64_t hit = Verify(text, s, mask, pattern, n); hit >= 0) return hit;
    }
  }
  const std::int64_t rest = FindWithMemchr(text + s, length - s, pattern, n, anchors);
  return rest < 0 ? -1 : rest + static_cast<std::int64_t>(s);
}

}  // namespace vantrel::kernels
#endif
