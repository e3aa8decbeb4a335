// Seeded random inputs, so a failing case can be replayed from its seed.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "text/hex_text.h"

namespace vantrel::testing {

// `count` bytes drawn from the first `alphabet` byte values (a small alphabet makes
// near-matches and overlapping matches common).
Bytes RandomBytes(std::mt19937& rng, std::size_t count, int alphabet = 256);

// The first occurrence of pattern in text, the obvious way: the oracle for every search.
std::int64_t NaiveFind(const Bytes& text, const Bytes& pattern);

// Every occurrence, each search starting `advance` bytes behind the last find.
std::vector<std::int64_t> NaiveOccurrences(const Bytes& text, const Bytes& pattern, std::size_t advance);

}  // namespace vantrel::testing
