// The portable kernel, the compare loop every SIMD filter shares, and the choice of kernel.
// The SIMD filters live in their own files, because each is compiled for a processor the
// program may not run on.
#include "search/search_kernels.h"

#include <algorithm>
#include <cstring>

namespace vantrel::kernels {
namespace {

constexpr std::size_t kBlock = 64;

// What a start that passes the filter and fails the compare costs depends on where the text
// is. Measured with AVX2 on an AMD EPYC (Zen 5) over text: in the cache, a failed start
// costs about 3 ns and each anchor past the second about 30 % of the throughput, so two
// anchors win until more than one start in about 500 bytes fails. From memory, a failed
// start costs about 30 ns (the branch waits for the load, and the restart loses the loads in
// flight) while one more anchor costs almost nothing, since the loop waits for memory: one
// more anchor pays from about one failure in 16-32 KiB on.
constexpr std::size_t kCachedBytes = std::size_t{256} << 10;
constexpr int kCachedFailureSpacingLog2 = 9;
constexpr int kStreamedFailureSpacingLog2 = 14;


}  // namespace

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

std::int64_t FindWithFilter(FilterFunction filter, const std::uint8_t* text, std::size_t length,
                            const std::uint8_t* pattern, std::size_t n, Anchors anchors) {
  if (length < n) return -1;
  const std::size_t starts = length - n + 1;  // the start s reads text[s, s+n)
  if (starts < kBlock) return FindWithMemchr(text, length, pattern, n, anchors);
  anchors.count = std::clamp(anchors.count, 2, MostAnchors(n));
  for (std::size_t s = 0;; ++anchors.count) {
    const FilterStop stop = filter(text, s, starts, pattern, n, anchors);
    if (stop.found >= 0 || stop.next >= starts) return stop.found;
    s = stop.next;
  }
}

Anchors PlanFor(Anchors chosen, std::size_t length) {
  if (length <= kCachedBytes) {
    chosen.count = 2;
    chosen.failure_spacing_log2 = kCachedFailureSpacingLog2;
  } else {
    chosen.failure_spacing_log2 = kStreamedFailureSpacingLog2;
  }
  return chosen;
}

FindFunction KernelFor(InstructionSet set) {
#if defined(__SSE2__)
  constexpr FindFunction sse2 = FindSse2;
#else
  constexpr FindFunction sse2 = nullptr;
#endif
#if defined(__x86_64__)
  constexpr FindFunction avx2 = FindAvx2;
#else
  constexpr FindFunction avx2 = nullptr;
#endif
  return ChooseKernel(set, FindFunction{FindWithMemchr}, sse2, avx2);
}

FindFunction BestKernel() { return KernelFor(BestInstructionSet()); }

}  // namespace vantrel::kernels
