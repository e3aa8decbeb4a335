// The portable kernel and the choice of kernel. The SIMD kernels live in their own files,
// because the AVX2 one is compiled for a processor the program may not run on.
#include "engine/search_kernels.h"

#include <cstring>

namespace vantrel::kernels {

std::int64_t FindWithMemchr(const std::uint8_t* text, std::size_t length, const std::uint8_t* pattern,
                            std::size_t n, Anchors anchors) {
  if (length < n) return -1;
  const std::size_t starts = length - n + 1;
  const std::uint8_t rare = pattern[anchors.first];
  std::size_t s = 0;
  while (s < starts) {
    const void* hit = std::memchr(text + s + anchors.first, rare, starts - s);
    if (hit == nullptr) return -1;
    const std::size_t candidate = static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - text) - anchors.first;
    if (std::memcmp(text + candidate, pattern, n) == 0) return static_cast<std::int64_t>(candidate);
    s = candidate + 1;
  }
  return -1;
}

FindFunction BestKernel() {
#if defined(__x86_64__)
  if (HaveAvx2()) return FindAvx2;
#endif
#if defined(__SSE2__)
  return FindSse2;
#else
  return FindWithMemchr;
#endif
}

}  // namespace vantrel::kernels
