#include "engine/pattern_set_finder.h"

#include <algorithm>
#include <set>
#include <utility>

namespace vantrel {
namespace {

// Rounds of q-grams for a long list before what is left goes to one Teddy part: each round
// is another pass over the text, and lists that need more are not met in practice.
constexpr int kQGramRounds = 3;

// Distances a q-gram may start at.
constexpr std::size_t kQGramDistances = 8;

bool NothingKnown(const MaskedPattern& pattern) {
  return std::all_of(pattern.mask.begin(), pattern.mask.end(), [](std::uint8_t m) { return m == 0; });
}

struct GramChoice {
  std::size_t distance = 0;
  std::size_t gram = 0;
  std::size_t fitting = 0;   // patterns that have it
  std::size_t distinct = 0;  // different grams among them: more is fewer compares per pass
};

GramChoice BestDistance(const std::vector<MaskedPattern>& patterns, const std::vector<std::size_t>& indices,
                        std::size_t gram) {
  GramChoice best;
  for (std::size_t d = 0; d < kQGramDistances; ++d) {
    GramChoice choice{d, gram, 0, 0};
    std::set<Bytes> grams;
    for (std::size_t i : indices) {
      if (!QGramFinder::Fits(patterns[i], d, gram)) continue;
      ++choice.fitting;
      const auto from = patterns[i].bytes.begin() + static_cast<std::ptrdiff_t>(d);
      grams.emplace(from, from + static_cast<std::ptrdiff_t>(gram));
    }
    choice.distinct = grams.size();
    if (std::pair(choice.fitting, choice.distinct) > std::pair(best.fitting, best.distinct)) best = choice;
  }
  return best;
}

// The longest gram that at least half the patterns have (a shorter one lets more starts
// through), else the gram that most have.
GramChoice ChooseGram(const std::vector<MaskedPattern>& patterns, const std::vector<std::size_t>& indices) {
  GramChoice most;
  for (std::size_t gram = QGramFinder::kMaxGram; gram >= 1; --gram) {
    const GramChoice choice = BestDistance(patterns, indices, gram);
    if (choice.fitting * 2 >= indices.size()) return choice;
    if (choice.fitting > most.fitting) most = choice;
  }
  return most;
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
  if (rest.size() > kTeddyLimit) {
    AddLongList(std::move(rest));
  } else if (!rest.empty()) {
    AddPart(std::move(rest));
  }
}

void PatternSetFinder::AddLongList(std::vector<std::size_t> indices) {
  for (int round = 0; round < kQGramRounds && indices.size() > kTeddyLimit; ++round) {
    const GramChoice choice = ChooseGram(patterns_, indices);
    if (choice.fitting == 0) break;
    std::vector<std::size_t> taken;
    std::vector<std::size_t> left;
    for (std::size_t i : indices) {
      (QGramFinder::Fits(patterns_[i], choice.distance, choice.gram) ? taken : left).push_back(i);
    }
    std::size_t longest = 0;
    for (std::size_t i : taken) longest = std::max(longest, patterns_[i].size());
    QGramFinder finder(Select(patterns_, taken), choice.distance, choice.gram);
    parts_.push_back(Part{std::move(finder), std::move(taken), longest});
    indices = std::move(left);
  }
  if (!indices.empty()) AddPart(std::move(indices));
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
  const auto global = [this](Hit hit) {
    if (hit.found()) hit.index = indices[hit.index];
    return hit;
  };
  const auto single = [this](std::int64_t offset) { return Hit{offset, offset >= 0 ? indices.front() : 0}; };
  struct Visit {
    const decltype(global)& g;
    const decltype(single)& one;
    std::span<const std::uint8_t> text;
    Hit operator()(const PatternFinder& f) const { return one(f.Find(text)); }
    Hit operator()(const MaskedPatternFinder& f) const { return one(f.Find(text)); }
    Hit operator()(const TeddyFinder& f) const { return g(f.Find(text)); }
    Hit operator()(const QGramFinder& f) const { return g(f.Find(text)); }
    Hit operator()(const AnyBytes& f) const { return g(f.Find(text)); }
  };
  return std::visit(Visit{global, single, text}, finder);
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
