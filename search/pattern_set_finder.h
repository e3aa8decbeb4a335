// A set of patterns with wildcards, prepared for searching together in one forward pass:
// Find gives the earliest start where any of them lies wholly in the text and, among those
// at that start, the one listed first. Built once (the patch list of a run) and used for
// every view of every file.
//
// Behind it, the search that suits the set: one plain pattern goes to PatternFinder; one
// with wildcards to MaskedPatternFinder (anchors on its fixed bytes); a few together to
// TeddyFinder; long lists to QGramFinder, with the patterns it cannot take (a short fixed
// prefix: short, or with wildcards early) in a part of their own. Parts after the first
// search only as far as the earliest hit so far.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <variant>
#include <vector>

#include "text/masked_pattern.h"
#include "search/masked_pattern_finder.h"
#include "search/pattern_finder.h"
#include "search/pattern_hit.h"
#include "search/qgram_finder.h"
#include "search/teddy_finder.h"

namespace vantrel {

class PatternSetFinder {
 public:
  using Hit = PatternHit;

  // Up to this many patterns may search with the Teddy filter, when it lets few enough
  // starts through (TeddyFinder::EstimatedPassRate); longer lists with q-grams.
  static constexpr std::size_t kTeddyLimit = 32;

  // patterns: one or more, each at least one byte.
  explicit PatternSetFinder(std::vector<MaskedPattern> patterns);

  // The earliest start s at which some pattern i lies wholly in text and matches, with the
  // lowest such i; offset -1 when there is none.
  Hit Find(std::span<const std::uint8_t> text) const;

  std::size_t size() const { return patterns_.size(); }
  const std::vector<MaskedPattern>& patterns() const { return patterns_; }
  std::size_t min_length() const { return min_length_; }
  // Callers that search in windows overlap them by max_length() - 1.
  std::size_t max_length() const { return max_length_; }

  // How the set is searched, for tests and benchmarks: one name per part.
  std::vector<const char*> Plan() const;

 private:
  // Patterns of which every bit is unknown: each matches at the first start where it fits.
  struct AnyBytes {
    std::vector<std::size_t> lengths;  // by index within the part
    Hit Find(std::span<const std::uint8_t> text) const;
  };
  struct Part {
    std::variant<PatternFinder, MaskedPatternFinder, TeddyFinder, QGramFinder, AnyBytes> finder;
    std::vector<std::size_t> indices;  // the part's patterns in the set, ascending
    std::size_t max_length = 0;
    Hit Find(std::span<const std::uint8_t> text) const;
  };

  void AddPart(std::vector<std::size_t> indices);
  void AddList(std::vector<std::size_t> indices);
  bool SuitsTeddy(const std::vector<std::size_t>& indices) const;

  std::vector<MaskedPattern> patterns_;
  std::vector<Part> parts_;
  std::size_t min_length_ = 0;
  std::size_t max_length_ = 0;
};

}  // namespace vantrel
