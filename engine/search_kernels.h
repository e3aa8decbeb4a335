// The search kernels behind PatternFinder: a candidate filter that compares two anchor bytes
// of the pattern at many positions at once, then compares the whole pattern at each
// candidate, in order, so the first candidate that matches is the first occurrence.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/byte_rank.h"

namespace vantrel::kernels {

// Every kernel: the first offset s with text[s, s+n) == pattern, or -1. Requires n >= 2 and
// two distinct anchors within the pattern. Reads only text[0, length).
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

}  // namespace vantrel::kernels
