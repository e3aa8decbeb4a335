// What every pattern of a set holds: a run of fixed bytes found in each of them, and where.
// A set whose patterns all hold a rare run is searched fastest by looking for that run alone
// and comparing the patterns around each place it occurs (SharedPartFinder).
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "text/hex_text.h"
#include "text/masked_pattern.h"

namespace vantrel {

struct SharedPart {
  // The longest run looked for: longer ones are no rarer in practice, and the search compares
  // the whole run at every candidate.
  static constexpr std::size_t kLongest = 16;

  Bytes bytes;                       // fixed in every pattern, 1 to kLongest of them
  std::vector<std::size_t> offsets;  // where pattern i holds them (its first such place)
  double hit_rate = 1;               // expected occurrences per byte of text, from the byte ranks
};

// The run with the lowest expected hit rate that every pattern holds in fixed bytes: a common
// prefix, a suffix or any common factor; none when some pattern has no fixed byte in common
// with the others (or the set is empty).
std::optional<SharedPart> FindSharedPart(const std::vector<MaskedPattern>& patterns);

}  // namespace vantrel
