// A small set of patterns searched together, in the way of Hyperscan's Teddy: the patterns are
// spread over eight buckets, and at every start the filter looks up the nibbles of the bytes
// at up to three fixed distances from it (the same for every pattern, chosen where the
// patterns are rarest) in small tables of buckets, 16 or 32 starts at once with pshufb. Only
// the patterns of the buckets that pass all three are compared, under their masks. A wildcard
// nibble simply lets its bucket through for every value of that nibble.
//
// Good for a few to a few dozen patterns; with more, each bucket holds so many that most
// starts pass, and the q-gram filter takes over (see PatternSetFinder).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "text/masked_pattern.h"
#include "search/pattern_hit.h"
#include "search/instruction_sets.h"

namespace vantrel {

// The filter of a TeddyFinder: for each distance, which buckets accept each nibble (the
// SIMD kernels) and each byte (the portable kernel, exact per byte).
struct TeddyTables {
  static constexpr std::size_t kMaxDistances = 3;
  std::size_t count = 1;                               // distances in use, 1 to 3
  std::array<std::size_t, kMaxDistances> distance{};   // from a start; below every pattern's length
  std::array<std::array<std::uint8_t, 16>, kMaxDistances> low{};
  std::array<std::array<std::uint8_t, 16>, kMaxDistances> high{};
  std::array<std::array<std::uint8_t, 256>, kMaxDistances> byte{};
};

class TeddyFinder {
 public:
  static constexpr std::size_t kBuckets = 8;
  // Teddy has kernels for the portable loop, SSSE3 and AVX2.
  using Kernel = InstructionSet;

  // Every kernel this processor runs, the best last.
  static std::vector<Kernel> AvailableKernels();

  // patterns: one or more, each at least one byte.
  explicit TeddyFinder(std::vector<MaskedPattern> patterns, Kernel kernel = AvailableKernels().back());

  // The earliest start where a pattern lies wholly in text; the lowest index there.
  PatternHit Find(std::span<const std::uint8_t> text) const;

  std::size_t min_length() const { return min_length_; }
  const TeddyTables& tables() const { return tables_; }

  // About what share of starts the filter lets through, in text where bytes are as common
  // as their rank says: over about 1/500 the compares cost more than the filter.
  double EstimatedPassRate() const;

  // For the kernels: the lowest pattern of `buckets` at start s of text[0, length), or none.
  PatternHit Verify(const std::uint8_t* text, std::size_t length, std::size_t s, unsigned buckets) const;

 private:
  PatternHit FindPortable(const std::uint8_t* text, std::size_t length, std::size_t from) const;

  std::vector<MaskedPattern> patterns_;
  std::size_t min_length_ = 0;
  TeddyTables tables_;
  std::array<std::vector<std::size_t>, kBuckets> buckets_;  // pattern indices, ascending
  Kernel kernel_;
};

// Where a SIMD kernel stopped: a hit, or the first start it did not look at.
struct TeddyScan {
  PatternHit hit;
  std::size_t next = 0;
};

namespace teddy_kernels {
#if defined(__SSE2__)
TeddyScan ScanSsse3(const TeddyFinder& finder, const std::uint8_t* text, std::size_t length);
#endif
#if defined(__x86_64__)
TeddyScan ScanAvx2(const TeddyFinder& finder, const std::uint8_t* text, std::size_t length);
#endif
}  // namespace teddy_kernels

}  // namespace vantrel
