// Where a search for several patterns found one: the start and which pattern. The earliest
// start wins; among patterns at the same start, the one listed first.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vantrel {

struct PatternHit {
  std::int64_t offset = -1;  // -1: none found
  std::size_t index = 0;     // which pattern, in the order the finder was given them

  bool found() const { return offset >= 0; }
  friend bool operator==(const PatternHit&, const PatternHit&) = default;
};

// The hit a search of the whole set reports, of two found in parts of it.
inline PatternHit EarlierHit(PatternHit a, PatternHit b) {
  if (!a.found()) return b;
  if (!b.found()) return a;
  if (a.offset != b.offset) return a.offset < b.offset ? a : b;
  return a.index <= b.index ? a : b;
}

}  // namespace vantrel
