// The candidate filter with SSE2: 16 starts per compare, 32 per loop. SSE2 is the floor on
// every x86-64 processor and on the 32-bit Windows build.
#if defined(__SSE2__)
#include <emmintrin.h>

#include <cstring>

#include "engine/search_kernels.h"

namespace vantrel::kernels {
namespace {

// Bits set where both anchors agree, for the 16 starts from `at`.
inline unsigned AnchorMask(const std::uint8_t* at, Anchors anchors, __m128i first, __m128i second) {
  const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + anchors.first));
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + anchors.second));
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, second))));
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
  const __m128i first = _mm_set1_epi8(static_cast<char>(pattern[anchors.first]));
  const __m128i second = _mm_set1_epi8(static_cast<char>(pattern[anchors.second]));
  std::size_t s = 0;
  for (; s + 32 <= starts; s += 32) {
    const std::uint32_t mask = AnchorMask(text + s, anchors, first, second) |
                               AnchorMask(text + s + 16, anchors, first, second) << 16;
    if (mask != 0) {
      if (const std::int64_t hit = Verify(text, s, mask, pattern, n); hit >= 0) return hit;
    }
  }
  for (; s + 16 <= starts; s += 16) {
    if (const std::uint32_t mask = AnchorMask(text + s, anchors, first, second); mask != 0) {
      if (const std::int64_t hit = Verify(text, s, mask, pattern, n); hit >= 0) return hit;
    }
  }
  const std::int64_t rest = FindWithMemchr(text + s, length - s, pattern, n, anchors);
  return rest < 0 ? -1 : rest + static_cast<std::int64_t>(s);
}

}  // namespace vantrel::kernels
#endif
