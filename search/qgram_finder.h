// Long lists of patterns searched together by sampling q-grams. Every pattern of the list
// begins with at least m fixed bytes; a q-gram is q bytes (q up to 8), and each of the t =
// m - q + 1 q-grams at the pattern's distances 0 to t-1 goes into a table. An occurrence at s
// then holds the text's q-gram at the one multiple of t among s .. s+t-1, so the text is
// probed only every t bytes: one load, a multiply and a bit test in a bitmap of the grams'
// hashes. A probe at p that passes compares the patterns whose gram at distance j hashes
// alike, at start p - j. The starts a probe can give lie between the previous probe's and
// the next one's, so the first probe with a hit gives the earliest start.
//
// The cost does not grow with the number of patterns, unlike the Teddy buckets, which fill
// up; it suits long patch lists of texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "text/masked_pattern.h"
#include "search/pattern_hit.h"

namespace vantrel {

class QGramFinder {
 public:
  static constexpr std::size_t kMaxGram = 8;

  // How many bytes the pattern begins with that are wholly fixed.
  static std::size_t FixedPrefix(const MaskedPattern& pattern);

  // The gram for a prefix when none is asked for: about half of it, so that grams are long
  // enough to be rare in text and probes still far apart.
  static std::size_t GramFor(std::size_t prefix);

  // patterns: one or more, each with a FixedPrefix of at least `prefix` (1 or more).
  // gram: 1 to min(prefix, 8); 0 for GramFor(prefix).
  QGramFinder(std::vector<MaskedPattern> patterns, std::size_t prefix, std::size_t gram = 0);

  // The earliest start where a pattern lies wholly in text; the lowest index there.
  PatternHit Find(std::span<const std::uint8_t> text) const;

  std::size_t gram() const { return gram_; }
  std::size_t step() const { return step_; }

 private:
  struct Entry {
    std::uint32_t hash;
    std::uint32_t distance;  // of the gram in the pattern, below step_
    std::size_t pattern;
  };

  std::uint32_t Hash(std::uint64_t key) const;
  std::uint64_t Mark(std::uint32_t hash) const;  // 1 when the bitmap has the hash, else 0
  PatternHit Probe(const std::uint8_t* text, std::size_t length, std::size_t p, std::uint32_t hash) const;

  std::vector<MaskedPattern> patterns_;
  std::size_t min_length_ = 0;
  std::size_t gram_ = 0;
  std::size_t step_ = 0;
  std::uint64_t key_mask_ = 0;  // the gram's bytes of an eight-byte load
  unsigned shift_ = 0;          // a hash keeps the top 64 - shift_ bits of the product
  std::vector<std::uint64_t> bitmap_;
  std::vector<Entry> entries_;              // by hash, then pattern
  unsigned bucket_shift_ = 0;               // a hash's top bits pick its bucket
  std::vector<std::uint32_t> bucket_start_;  // first entry of each bucket, and the end
};

}  // namespace vantrel
