// The choice of anchors, the portable kernel and the choice of kernel. The SIMD kernels live
// in their own files, because the AVX2 one is compiled for a processor the program may not
// run on.
#include "search/masked_kernels.h"

#include <cstring>

#include "search/byte_rank.h"
#include "search/search_kernels.h"

namespace vantrel::masked_kernels {
namespace {

// Lower is a better anchor: a fixed byte by its rank, a partly known one after every fixed one.
int AnchorCost(const MaskedPattern& pattern, std::size_t i) {
  if (pattern.mask[i] == 0xFF) return ByteRank(pattern.bytes[i]);
  return 256 + 8 - __builtin_popcount(pattern.mask[i]);
}

}  // namespace

MaskedAnchors ChooseMaskedAnchors(const MaskedPattern& pattern) {
  const std::size_t n = pattern.size();
  std::array<std::size_t, 3> taken{};
  std::size_t count = 0;
  // How much a position repeats what is taken: 2 taken itself, 1 the same value and mask.
  const auto repeats = [&](std::size_t i) {
    int worst = 0;
    for (std::size_t t = 0; t < count; ++t) {
      if (taken[t] == i) return 2;
      if (pattern.bytes[taken[t]] == pattern.bytes[i] && pattern.mask[taken[t]] == pattern.mask[i]) worst = 1;
    }
    return worst;
  };
  for (; count < 3; ++count) {
    std::size_t best = n;
    for (std::size_t i = 0; i < n; ++i) {
      if (pattern.mask[i] == 0 || repeats(i) == 2) continue;
      if (best == n || repeats(i) < repeats(best) ||
          (repeats(i) == repeats(best) && AnchorCost(pattern, i) < AnchorCost(pattern, best))) {
        best = i;
      }
    }
    if (best == n) break;
    taken[count] = best;
  }
  if (count == 0) count = 1;  // nothing known: an anchor that lets every start through
  MaskedAnchors anchors;
  for (std::size_t k = 0; k < 3; ++k) {
    const std::size_t i = taken[k < count ? k : count - 1];
    anchors.position[k] = i;
    anchors.value[k] = pattern.bytes[i];
    anchors.mask[k] = pattern.mask[i];
    anchors.masked = anchors.masked || pattern.mask[i] != 0xFF;
  }
  return anchors;
}

std::int64_t FindPortable(const std::uint8_t* text, std::size_t length, const MaskedPattern& pattern,
                          const MaskedAnchors& anchors) {
  const std::size_t n = pattern.size();
  if (length < n) return -1;
  const std::size_t starts = length - n + 1;
  const std::size_t at = anchors.position[0];
  const std::uint8_t value = anchors.value[0];
  const std::uint8_t mask = anchors.mask[0];
  for (std::size_t s = 0; s < starts; ++s) {
    if (mask == 0xFF) {
      const void* hit = std::memchr(text + s + at, value, starts - s);
      if (hit == nullptr) return -1;
      s = static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - text) - at;
    } else if ((text[s + at] & mask) != value) {
      continue;
    }
    if (MatchesAt(pattern, text + s)) return static_cast<std::int64_t>(s);
  }
  return -1;
}

MaskedFindFunction KernelFor(InstructionSet set) {
#if defined(__SSE2__)
  constexpr MaskedFindFunction sse2 = FindSse2;
#else
  constexpr MaskedFindFunction sse2 = nullptr;
#endif
#if defined(__x86_64__)
  constexpr MaskedFindFunction avx2 = FindAvx2;
#else
  constexpr MaskedFindFunction avx2 = nullptr;
#endif
  return ChooseKernel(set, MaskedFindFunction{FindPortable}, sse2, avx2);
}

MaskedFindFunction BestKernel() { return KernelFor(BestInstructionSet()); }

}  // namespace vantrel::masked_kernels
