// The search kernels behind PatternFinder: a candidate filter that compares two to four
// anchor bytes of the pattern at many starts at once, then compares the whole pattern at
// each candidate, in order, so the first candidate that matches is the first occurrence.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/byte_rank.h"

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
bool HaveAvx2();
#endif

// The fastest kernel this processor runs.
FindFunction BestKernel();

// The chosen anchors as the filter should use them on a text of this length. A text that
// fits in the second-level cache (a small file just read) starts with two anchors; a longer
// one, read from memory, with the table's count.
Anchors PlanFor(Anchors chosen, std::size_t length);

// The SIMD kernels share one shape: a filter, written per instruction set, finds the next
// block of 64 starts where the anchors agree, and one loop compares the pattern there. The
// filter makes no calls, so its vectors stay in registers and never need an aligned slot
// on the stack (which some compilers for 64-bit Windows do not align).

// Bit i of mask set: the anchors agree at start base + i.
struct CandidateBlock {
  std::size_t base = 0;
  std::uint64_t mask = 0;
};

// The first block of starts in [from, starts) with a candidate, in blocks of 64 from `from`;
// the last block ends at `starts` and leaves out the starts before `from`. An empty mask:
// no candidate in the rest. Requires 64 <= starts and from < starts; reads only the text a
// start in [from, starts) covers. count: how many anchors to compare (2 to 4).
using FilterFunction = CandidateBlock (*)(const std::uint8_t* text, std::size_t from, std::size_t starts,
                                          const std::uint8_t* pattern, const Anchors& anchors, int count);

// A kernel built from a filter: compares the pattern at every candidate, adds an anchor
// when too many candidates fail, and leaves texts of fewer than 64 starts to memchr.
std::int64_t FindWithFilter(FilterFunction filter, const std::uint8_t* text, std::size_t length,
                            const std::uint8_t* pattern, std::size_t n, Anchors anchors);

// The mask of the starts from `skip` on, in a block of 64 (skip < 64).
inline std::uint64_t StartsFrom(std::size_t skip) { return ~std::uint64_t{0} << skip; }

}  // namespace vantrel::kernels
