#include "search/shared_part_finder.h"

#include <algorithm>
#include <map>
#include <utility>

#include "search/byte_rank.h"

namespace vantrel {

SharedPartFinder::SharedPartFinder(std::vector<MaskedPattern> patterns, SharedPart part)
    : patterns_(std::move(patterns)), part_(std::move(part)), run_(part_.bytes) {
  std::map<std::size_t, std::vector<std::size_t>, std::greater<>> by_offset;
  for (std::size_t i = 0; i < patterns_.size(); ++i) by_offset[part_.offsets[i]].push_back(i);
  for (auto& [offset, members] : by_offset) {
    groups_.push_back(MakeGroup(patterns_, offset, part_.bytes.size(), std::move(members)));
    max_offset_ = std::max(max_offset_, offset);
  }
}

// The key is the byte before the run, or after it when the run begins the patterns: the one
// most likely to tell the group's patterns apart that every start of the group has.
SharedPartFinder::Group SharedPartFinder::MakeGroup(const std::vector<MaskedPattern>& patterns, std::size_t offset,
                                                    std::size_t run_length, std::vector<std::size_t> members) {
  Group group;
  group.offset = offset;
  group.key = offset > 0 ? offset - 1 : offset + run_length;
  for (int v = 0; v < 256; ++v) {
    group.first[v] = static_cast<std::uint32_t>(group.chosen.size());
    for (std::size_t i : members) {
      const MaskedPattern& p = patterns[i];
      // A pattern that ends before the key byte lets every value through.
      const std::size_t k = group.key;
      if (k >= p.size() || (v & p.mask[k]) == (p.bytes[k] & p.mask[k])) group.chosen.push_back(i);
    }
  }
  group.first[256] = static_cast<std::uint32_t>(group.chosen.size());
  group.members = std::move(members);
  return group;
}

SharedScan SharedPartFinder::Find(std::span<const std::uint8_t> text) const {
  const std::size_t run = part_.bytes.size();
  PatternHit best;
  std::size_t cost = 0;
  for (std::size_t from = 0;;) {
    // Once a hit is found, only places of the run that give an earlier start still count.
    std::size_t end = text.size();
    if (best.found()) end = std::min(end, static_cast<std::size_t>(best.offset) + max_offset_ + run);
    if (from + run > end) return {best, text.size()};
    if (!best.found() && TooCostly(cost, from)) return {best, from > max_offset_ ? from - max_offset_ : 0};
    const std::int64_t found = run_.Find(text.subspan(from, end - from));
    if (found < 0) return {best, text.size()};
    const std::size_t place = from + static_cast<std::size_t>(found);
    best = Verify(text, place, best, cost);
    from = place + 1;
  }
}

// A place of the run weighs eight compares (the kernel stops and starts again); a start-up
// allowance lets short texts and the first stretch of a long one go without a count.
bool SharedPartFinder::TooCostly(std::size_t cost, std::size_t searched) {
  return cost > kCostAllowance + (searched >> 3);
}

PatternHit SharedPartFinder::Verify(std::span<const std::uint8_t> text, std::size_t place, PatternHit best,
                                    std::size_t& cost) const {
  cost += kPlaceCost;
  for (const Group& group : groups_) {
    ++cost;
    if (group.offset > place) continue;
    const std::size_t s = place - group.offset;
    if (best.found() && static_cast<std::int64_t>(s) > best.offset) break;
    const std::size_t* it = group.members.data();
    const std::size_t* end = it + group.members.size();
    if (s + group.key < text.size()) {
      const std::uint8_t key = text[s + group.key];
      it = group.chosen.data() + group.first[key];
      end = group.chosen.data() + group.first[key + 1];
    }
    for (; it != end; ++it, ++cost) {
      if (best.found() && static_cast<std::int64_t>(s) == best.offset && *it >= best.index) break;
      const MaskedPattern& p = patterns_[*it];
      if (s + p.size() <= text.size() && MatchesAt(p, text.data() + s)) {
        return PatternHit{static_cast<std::int64_t>(s), *it};
      }
    }
  }
  return best;
}

double SharedPartFinder::ExpectedCompareRate() const {
  double per_place = 0;
  for (const Group& group : groups_) {
    per_place += 1;
    for (int v = 0; v < 256; ++v) {
      per_place += ByteShare(static_cast<std::uint8_t>(v)) * (group.first[v + 1] - group.first[v]);
    }
  }
  return part_.hit_rate * per_place;
}

}  // namespace vantrel
