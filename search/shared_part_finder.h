// A set of patterns that all hold the same run of fixed bytes (SharedPart), searched by
// looking for the run alone with the single-pattern kernel and comparing the patterns around
// each place it occurs. Where the run is rare this goes at the kernel's speed, which no
// filter of the whole set reaches. Find gives what PatternSetFinder gives: the earliest start
// where a pattern lies wholly in the text and, at that start, the one listed first.
//
// The patterns are grouped by where they hold the run, so that one place of the run gives
// one start per group; within a group, the byte beside the run picks the few patterns to
// compare. The byte ranks can be wrong about a text (`_` in C sources): when the places cost
// more compares than the set's own filters would, the search stops and says how far it has
// decided, for them to go on from there.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "text/masked_pattern.h"
#include "search/pattern_finder.h"
#include "search/pattern_hit.h"
#include "search/shared_part.h"

namespace vantrel {

// What a SharedPartFinder's search decided: the hit, or that no pattern starts before
// `decided` (the text's length when it searched all of it).
struct SharedScan {
  PatternHit hit;
  std::size_t decided = 0;
};

class SharedPartFinder {
 public:
  // patterns: one or more; pattern i holds part.bytes in fixed bytes at part.offsets[i].
  SharedPartFinder(std::vector<MaskedPattern> patterns, SharedPart part);

  // The earliest start where a pattern lies wholly in text, the lowest index there; or, when
  // the run occurs so often that the compares would cost more than one per 8 bytes, none
  // with an earlier start than the `decided` it gives.
  SharedScan Find(std::span<const std::uint8_t> text) const;

  // About how many compares (a look-up of a group, or a pattern compared) each byte of text
  // costs beyond the kernel's search for the run, where bytes are as common as their rank says.
  double ExpectedCompareRate() const;

  const SharedPart& part() const { return part_; }

 private:
  struct Group {
    std::size_t offset = 0;  // of the run in each pattern of the group
    std::size_t key = 0;     // the byte (from a start) that picks the patterns: beside the run
    std::vector<std::size_t> members;     // every pattern of the group, ascending
    std::array<std::uint32_t, 257> first{};  // chosen_[first[v], first[v+1]): those the key value v lets through
    std::vector<std::size_t> chosen;
  };

  static Group MakeGroup(const std::vector<MaskedPattern>& patterns, std::size_t offset, std::size_t run_length,
                         std::vector<std::size_t> members);
  static constexpr std::size_t kPlaceCost = 8;
  static constexpr std::size_t kCostAllowance = 1024;
  static bool TooCostly(std::size_t cost, std::size_t searched);
  // A hit better than `best` among the starts the run at `place` gives, or `best`; adds the
  // compares it made to cost.
  PatternHit Verify(std::span<const std::uint8_t> text, std::size_t place, PatternHit best, std::size_t& cost) const;

  std::vector<MaskedPattern> patterns_;
  SharedPart part_;
  PatternFinder run_;
  std::vector<Group> groups_;  // by offset, highest first: their starts at one place ascend
  std::size_t max_offset_ = 0;
};

}  // namespace vantrel
