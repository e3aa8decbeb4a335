// Many patterns searched together through a hash of q bytes (a q-gram, q up to 4) at the same
// distance from the start in every pattern: a bitmap of the patterns' hashes rejects almost
// every start with one load, a multiply and a bit test, and the few starts that pass compare
// only the patterns with that hash, lowest index first. The cost per start does not grow with
// the number of patterns, unlike the Teddy buckets, which fill up; it suits long patch lists.
// Every pattern must have its q bytes at that distance fixed (Fits).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "engine/masked_pattern.h"
#include "engine/pattern_hit.h"

namespace vantrel {

class QGramFinder {
 public:
  static constexpr std::size_t kMaxGram = 4;

  // True when the pattern has `gram` fixed bytes from `distance`.
  static bool Fits(const MaskedPattern& pattern, std::size_t distance, std::size_t gram);

  // patterns: one or more, each Fits(distance, gram); gram 1 to 4.
  QGramFinder(std::vector<MaskedPattern> patterns, std::size_t distance, std::size_t gram);

  // The earliest start where a pattern lies wholly in text; the lowest index there.
  PatternHit Find(std::span<const std::uint8_t> text) const;

 private:
  std::uint32_t Hash(std::uint32_t key) const;
  bool Marked(std::uint32_t hash) const;
  PatternHit Verify(const std::uint8_t* text, std::size_t length, std::size_t s, std::uint32_t hash) const;
  PatternHit FindNearEnd(const std::uint8_t* text, std::size_t length, std::size_t from) const;

  std::vector<MaskedPattern> patterns_;
  std::size_t min_length_ = 0;
  std::size_t distance_;
  std::uint32_t key_mask_ = 0;  // the gram's bytes of a four-byte load
  unsigned shift_ = 0;          // a hash keeps the top 32 - shift_ bits of the product
  std::vector<std::uint64_t> bitmap_;
  std::vector<std::pair<std::uint32_t, std::size_t>> by_hash_;  // (hash, pattern), sorted
};

}  // namespace vantrel
