// The search kernels behind PatternFinder: a candidate filter that compares two to four
// anchor bytes of the pattern at many starts at once, then compares the whole pattern at
// each candidate, in order, so the first candidate that matches is the first occurrence.
#pragma once

#include <cstddef>
#include <cstdint>

#include "search/byte_rank.h"
#include "search/instruction_sets.h"

namespace vantrel::kernels {

// Every kernel: the first offset s with text[s, s+n) == pattern, or -1. Requires n >= 2 and
// anchors within the pattern, the first two distinct. Reads only text[0, length).
using FindFunction = std::int64_t (*)(const std::uint8_t* text, std::size_t length, const std::uint8_t* pattern,
                                      std::size_t n, Anchors anchors);

// Portable: memchr for the rarest byte, then a compare.
std::int64_t FindWithMemchr(const std::uint8_t* text, std::size_t length, const std::uint8_t* pattern,
                            std::size_t n, Anchors anchors);

#if defined(__SSE2__)
std::int64_t FindSse2(const std::uint8_t* text, std::size_t length, const std::uint8_t* pattern, std::size_t n,
                      Anchors anchors);
#endif

#if defined(__x86_64__)
std::int64_t FindAvx2(const std::uint8_t* text, std::size_t length, const std::uint8_t* pattern, std::size_t n,
                      Anchors anchors);
#endif

// The kernel written for set (the portable one for a set without its own kernel).
FindFunction KernelFor(InstructionSet set);

// The fastest kernel this processor runs: KernelFor(BestInstructionSet()).
FindFunction BestKernel();

// The chosen anchors as the filter should use them on a text of this length. A text that
// fits in the second-level cache (a small file just read) starts with two anchors; a longer
// one, read from memory, with the table's count.
Anchors PlanFor(Anchors chosen, std::size_t length);

// The SIMD kernels share one shape: a filter, written per instruction set, compares the
// anchors at 64 starts at once and the whole pattern at each start that passes, and one loop
// around it adds an anchor when too many starts fail. The filter makes no calls, so its
// vectors stay in registers and never need an aligned slot on the stack (which some
// compilers for 64-bit Windows do not align).

// Where a filter stopped: at the first occurrence (found >= 0), at the end of the starts
// (next == starts), or at `next` because so many starts failed that one more anchor pays.
struct FilterStop {
  std::int64_t found = -1;
  std::size_t next = 0;
};

// Runs the filter over the starts [from, starts) with anchors.count anchors, in blocks of 64
// from `from`; the last block ends at `starts` and leaves out the starts before `from`.
// Requires 64 <= starts and from < starts; reads only the text a start in [from, starts)
// covers.
using FilterFunction = FilterStop (*)(const std::uint8_t* text, std::size_t from, std::size_t starts,
                                      const std::uint8_t* pattern, std::size_t n, const Anchors& anchors);

// A kernel built from a filter; texts of fewer than 64 starts go to memchr.
std::int64_t FindWithFilter(FilterFunction filter, const std::uint8_t* text, std::size_t length,
                            const std::uint8_t* pattern, std::size_t n, Anchors anchors);

// The pieces every filter inlines.

// The mask of the starts from `skip` on, in a block of 64 (skip < 64).
[[gnu::always_inline]] inline std::uint64_t StartsFrom(std::size_t skip) { return ~std::uint64_t{0} << skip; }

// How many anchors a pattern of n bytes has: up to four.
[[gnu::always_inline]] inline int MostAnchors(std::size_t n) { return n < 4 ? static_cast<int>(n) : 4; }

// More failed starts than one per 2^spacing_log2 bytes searched, after a start-up allowance.
[[gnu::always_inline]] inline bool TooManyFailures(std::size_t failed, std::size_t searched, int spacing_log2) {
  return failed > 64 + (searched >> spacing_log2);
}

template <typename Word>
[[gnu::always_inline]] inline Word LoadWord(const std::uint8_t* at) {
  Word word;
  __builtin_memcpy(&word, at, sizeof word);
  return word;
}

// a[0, n) == b[0, n) for n >= 2, in words, the last one overlapping; no call to memcmp.
[[gnu::always_inline]] inline bool SameBytes(const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
  if (n < 4) return a[0] == b[0] && a[1] == b[1] && a[n - 1] == b[n - 1];
  if (n < 8) {
    return LoadWord<std::uint32_t>(a) == LoadWord<std::uint32_t>(b) &&
           LoadWord<std::uint32_t>(a + n - 4) == LoadWord<std::uint32_t>(b + n - 4);
  }
  for (std::size_t i = 0; i + 8 < n; i += 8) {
    if (LoadWord<std::uint64_t>(a + i) != LoadWord<std::uint64_t>(b + i)) return false;
  }
  return LoadWord<std::uint64_t>(a + n - 8) == LoadWord<std::uint64_t>(b + n - 8);
}

// The index of the lowest set bit of a non-zero mask; in halves on 32-bit processors, where
// the compiler would call a library function for it.
[[gnu::always_inline]] inline std::size_t LowestBit(std::uint64_t mask) {
#if defined(__x86_64__)
  return static_cast<std::size_t>(__builtin_ctzll(mask));
#else
  const auto low = static_cast<std::uint32_t>(mask);
  return low != 0 ? static_cast<std::size_t>(__builtin_ctz(low))
                  : 32 + static_cast<std::size_t>(__builtin_ctz(static_cast<std::uint32_t>(mask >> 32)));
#endif
}

// The first start in mask (bits for the starts from base) where the whole pattern is, or -1;
// counts the starts that failed.
[[gnu::always_inline]] inline std::int64_t FirstMatch(const std::uint8_t* text, std::size_t base, std::uint64_t mask,
                                                      const std::uint8_t* pattern, std::size_t n, std::size_t& failed) {
  for (; mask != 0; mask &= mask - 1) {
    const std::size_t s = base + LowestBit(mask);
    if (SameBytes(text + s, pattern, n)) return static_cast<std::int64_t>(s);
    ++failed;
  }
  return -1;
}

}  // namespace vantrel::kernels
