// The candidate filter with AVX2: 32 starts per compare, 64 per loop, used only when the
// processor says it has AVX2 (64-bit builds only: the 32-bit Windows build keeps to SSE2).
#if defined(__x86_64__)
#include <immintrin.h>

#include <cstring>

#include "engine/search_kernels.h"

namespace vantrel::kernels {
namespace {

__attribute__((target("avx2"))) inline std::uint32_t AnchorMask(const std::uint8_t* at, Anchors anchors,
                                                                  __m256i first, __m256i second) {
  const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + anchors.first));
  const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + anchors.second));
  return static_cast<std::uint32_t>(
      _mm256_movemask_epi8(_mm256_and_si256(_mm256_cmpeq_epi8(a, first), _mm256_cmpeq_epi8(b, second))));
}

inline std::int64_t Verify(const std::uint8_t* text, std::size_t base, std::uint64_t mask, const std::uint8_t* pattern,
                           std::size_t n) {
  while (mask != 0) {
    const std::size_t s = base + static_cast<std::size_t>(__builtin_ctzll(mask));
    if (std::memcmp(text + s, pattern, n) == 0) return static_cast<std::int64_t>(s);
    mask &= mask - 1;
  }
  return -1;
}

}  // namespace

bool HaveAvx2() { return __builtin_cpu_supports("avx2") != 0; }

__attribute__((target("avx2"))) std::int64_t FindAvx2(const std::uint8_t* text, std::size_t length,
                                                       const std::uint8_t* pattern, std::size_t n, Anchors anchors) {
  if (length < n) return -1;
  const std::size_t starts = length - n + 1;  // a block of starts s..s+k reads up to s+k+n-1
  const __m256i first = _mm256_set1_epi8(static_cast<char>(pattern[anchors.first]));
  const __m256i second = _mm256_set1_epi8(static_cast<char>(pattern[anchors.second]));
  std::size_t s = 0;
  for (; s + 64 <= starts; s += 64) {
    const std::uint64_t mask = AnchorMask(text + s, anchors, first, second) |
                               std::uint64_t{AnchorMask(text + s + 32, anchors, first, second)} << 32;
    if (mask != 0) {
      if (const std::int64_t hit = Verify(text, s, mask, pattern, n); hit >= 0) return hit;
    }
  }
  for (; s + 32 <= starts; s += 32) {
    if (const std::uint64_t mask = AnchorMask(text + s, anchors, first, second); mask != 0) {
      if (const std::int64_t hit = Verify(text, s, mask, pattern, n); hit >= 0) return hit;
    }
  }
  const std::int64_t rest = FindWithMemchr(text + s, length - s, pattern, n, anchors);
  return rest < 0 ? -1 : rest + static_cast<std::int64_t>(s);
}

}  // namespace vantrel::kernels
#endif
