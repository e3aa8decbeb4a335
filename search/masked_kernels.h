// The search kernels for one pattern with wildcards: a candidate filter compares up to three
// anchor bytes of the pattern (its rarest fixed bytes) at many starts at once, then the
// whole pattern is compared under its mask at each candidate, in order.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "search/instruction_sets.h"
#include "text/masked_pattern.h"

namespace vantrel::masked_kernels {

// Three positions of the pattern with their values and masks; positions may repeat when
// the pattern has fewer known bytes. `masked` is false when all three masks are 0xFF, so the
// filter can skip the masking.
struct MaskedAnchors {
  std::array<std::size_t, 3> position{};
  std::array<std::uint8_t, 3> value{};
  std::array<std::uint8_t, 3> mask{};
  bool masked = false;
};

// Fixed bytes before partly known ones, rare byte values before common ones, each value once
// while others are left. A pattern with nothing known gets an anchor every start passes.
MaskedAnchors ChooseMaskedAnchors(const MaskedPattern& pattern);

// Every kernel: the first s with text[s, s+n) matching the pattern, or -1. Requires anchors
// chosen within the pattern. Reads only text[0, length).
using MaskedFindFunction = std::int64_t (*)(const std::uint8_t* text, std::size_t length, const MaskedPattern& pattern,
                                      const MaskedAnchors& anchors);

// Portable: memchr for the first anchor when it is a fixed byte, a byte loop otherwise.
std::int64_t FindPortable(const std::uint8_t* text, std::size_t length, const MaskedPattern& pattern,
                          const MaskedAnchors& anchors);

#if defined(__SSE2__)
std::int64_t FindSse2(const std::uint8_t* text, std::size_t length, const MaskedPattern& pattern,
                      const MaskedAnchors& anchors);
#endif

#if defined(__x86_64__)
std::int64_t FindAvx2(const std::uint8_t* text, std::size_t length, const MaskedPattern& pattern,
                      const MaskedAnchors& anchors);
#endif

// The kernel written for set (the portable one for a set without its own kernel).
MaskedFindFunction KernelFor(InstructionSet set);

// The fastest kernel this processor runs: KernelFor(BestInstructionSet()).
MaskedFindFunction BestKernel();

}  // namespace vantrel::masked_kernels
