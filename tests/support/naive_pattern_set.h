// The first occurrence of any of a set of patterns with wildcards, found the obvious way:
// the oracle every set search is compared with. So simple it is unlikely to be wrong.
#pragma once

#include <ostream>
#include <vector>

#include "text/masked_pattern.h"
#include "search/pattern_hit.h"

namespace vantrel::testing {

inline bool NaiveMatchesAt(const Bytes& text, std::size_t s, const MaskedPattern& pattern) {
  if (s + pattern.size() > text.size()) return false;
  for (std::size_t k = 0; k < pattern.size(); ++k) {
    if ((text[s + k] & pattern.mask[k]) != (pattern.bytes[k] & pattern.mask[k])) return false;
  }
  return true;
}

// Every start in order, every pattern in order at each: the first that matches.
inline PatternHit NaiveFindAny(const Bytes& text, const std::vector<MaskedPattern>& patterns) {
  for (std::size_t s = 0; s < text.size(); ++s) {
    for (std::size_t i = 0; i < patterns.size(); ++i) {
      if (NaiveMatchesAt(text, s, patterns[i])) return PatternHit{static_cast<std::int64_t>(s), i};
    }
  }
  return {};
}

}  // namespace vantrel::testing

namespace vantrel {
// How GoogleTest shows a hit.
inline void PrintTo(const PatternHit& hit, std::ostream* out) {
  *out << "{offset " << hit.offset << ", index " << hit.index << "}";
}
}  // namespace vantrel
