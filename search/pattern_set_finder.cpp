#include "search/pattern_set_finder.h"

#include <algorithm>
#include <type_traits>
#include <utility>

namespace vantrel {
namespace {

// Rounds of q-grams for a long list before what is left goes to one Teddy part: each round
// is another pass over the text, and lists that need more are not met in practice.
constexpr int kQGramRounds = 3;

// The most starts the Teddy filter may let through; measured on text, beyond it the
// q-grams are faster.
constexpr double kTeddyPassRate = 1.0 / 1000;

// The longest fixed prefix a q-gram part samples: 8-byte grams every 17 bytes.
constexpr std::size_t kLongestPrefix = 24;

bool NothingKnown(const MaskedPattern& pattern) {
  return std::all_of(pattern.mask.begin(), pattern.mask.end(), [](std::uint8_t m) { return m == 0; });
}

// The fixed prefix the q-grams of a long list sample: the shortest, so every pattern with
// one is in, when it is long enough for grams of four bytes or more (shorter grams are
// common in text and let many probes through); else one that seven patterns in eight have,
// leaving the short ones to a part of their own.
std::size_t ChoosePrefix(const std::vector<MaskedPattern>& patterns, const std::vector<std::size_t>& indices) {
  std::vector<std::size_t> known;
  for (std::size_t i : indices) {
    const std::size_t prefix = std::min(QGramFinder::FixedPrefix(patterns[i]), kLongestPrefix);
    if (prefix > 0) known.push_back(prefix);
  }
  if (known.empty()) return 0;
  std::sort(known.begin(), known.end());
  if (QGramFinder::GramFor(known.front()) >= 4) return known.front();
  return known[known.size() / 8];
}

std::vector<MaskedPattern> Select(const std::vector<MaskedPattern>& patterns, const std::vector<std::size_t>& indices) {
  std::vector<MaskedPattern> selected;
  selected.reserve(indices.size());
  for (std::size_t i : indices) selected.push_back(patterns[i]);
  return selected;
}

}  // namespace

PatternSetFinder::PatternSetFinder(std::vector<MaskedPattern> patterns) : patterns_(std::move(patterns)) {
  std::vector<std::size_t> anything;
  std::vector<std::size_t> rest;
  min_length_ = patterns_.empty() ? 0 : patterns_.front().size();
  for (std::size_t i = 0; i < patterns_.size(); ++i) {
    MaskedPattern& p = patterns_[i];
    // A bit outside the mask is no part of the pattern.
    for (std::size_t k = 0; k < p.size(); ++k) p.bytes[k] &= p.mask[k];
    min_length_ = std::min(min_length_, p.size());
    max_length_ = std::max(max_length_, p.size());
    (NothingKnown(p) ? anything : rest).push_back(i);
  }
  if (!anything.empty()) {
    AnyBytes any;
    for (std::size_t i : anything) any.lengths.push_back(patterns_[i].size());
    const std::size_t longest = *std::max_element(any.lengths.begin(), any.lengths.end());
    parts_.push_back(Part{std::move(any), std::move(anything), longest});
  }
  if (!rest.empty()) AddList(std::move(rest));
}

// Teddy for a few patterns it filters well, q-grams for the others, a round at a time.
void PatternSetFinder::AddList(std::vector<std::size_t> indices) {
  for (int round = 0; round < kQGramRounds && indices.size() > 1 && !SuitsTeddy(indices); ++round) {
    const std::size_t prefix = ChoosePrefix(patterns_, indices);
    if (prefix == 0) break;
    std::vector<std::size_t> taken;
    std::vector<std::size_t> left;
    for (std::size_t i : indices) (QGramFinder::FixedPrefix(patterns_[i]) >= prefix ? taken : left).push_back(i);
    std::size_t longest = 0;
    for (std::size_t i : taken) longest = std::max(longest, patterns_[i].size());
    QGramFinder finder(Select(patterns_, taken), prefix);
    parts_.push_back(Part{std::move(finder), std::move(taken), longest});
    indices = std::move(left);
  }
  if (!indices.empty()) AddPart(std::move(indices));
}

// Up to eight patterns get a bucket each, and no other search filters them better; more
// share buckets, and only some sets of them (capitals in text, say) still pass few starts.
bool PatternSetFinder::SuitsTeddy(const std::vector<std::size_t>& indices) const {
  if (indices.size() <= TeddyFinder::kBuckets) return true;
  return indices.size() <= kTeddyLimit && TeddyFinder(Select(patterns_, indices)).EstimatedPassRate() <= kTeddyPassRate;
}

// A part of one pattern, or of a few: the pattern's own finder, or Teddy.
void PatternSetFinder::AddPart(std::vector<std::size_t> indices) {
  std::size_t longest = 0;
  for (std::size_t i : indices) longest = std::max(longest, patterns_[i].size());
  if (indices.size() > 1) {
    TeddyFinder finder(Select(patterns_, indices));
    parts_.push_back(Part{std::move(finder), std::move(indices), longest});
    return;
  }
  const MaskedPattern& p = patterns_[indices.front()];
  if (HasWildcard(p)) {
    parts_.push_back(Part{MaskedPatternFinder(p), std::move(indices), longest});
  } else {
    parts_.push_back(Part{PatternFinder(p.bytes), std::move(indices), longest});
  }
}

PatternSetFinder::Hit PatternSetFinder::Find(std::span<const std::uint8_t> text) const {
  Hit best;
  for (const Part& part : parts_) {
    std::span<const std::uint8_t> view = text;
    if (best.found()) {
      // Only starts up to the best so far can still win.
      const std::size_t reach = static_cast<std::size_t>(best.offset) + part.max_length;
      view = text.first(std::min(text.size(), reach));
    }
    best = EarlierHit(best, part.Find(view));
  }
  return best;
}

PatternSetFinder::Hit PatternSetFinder::Part::Find(std::span<const std::uint8_t> text) const {
  return std::visit(
      [&](const auto& part_finder) {
        using Finder = std::decay_t<decltype(part_finder)>;
        if constexpr (std::is_same_v<Finder, PatternFinder> || std::is_same_v<Finder, MaskedPatternFinder>) {
          const std::int64_t offset = part_finder.Find(text);
          return offset < 0 ? Hit{} : Hit{offset, indices.front()};
        } else {
          Hit hit = part_finder.Find(text);
          if (hit.found()) hit.index = indices[hit.index];  // the part's own index, in the set
          return hit;
        }
      },
      finder);
}

PatternSetFinder::Hit PatternSetFinder::AnyBytes::Find(std::span<const std::uint8_t> text) const {
  for (std::size_t i = 0; i < lengths.size(); ++i) {
    if (lengths[i] <= text.size()) return Hit{0, i};
  }
  return {};
}

std::vector<const char*> PatternSetFinder::Plan() const {
  std::vector<const char*> names;
  for (const Part& part : parts_) {
    static constexpr const char* kNames[] = {"PatternFinder", "MaskedPatternFinder", "TeddyFinder", "QGramFinder",
                                             "AnyBytes"};
    names.push_back(kNames[part.finder.index()]);
  }
  return names;
}

}  // namespace vantrel
