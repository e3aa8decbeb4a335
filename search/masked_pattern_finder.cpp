#include "search/masked_pattern_finder.h"

#include <algorithm>
#include <utility>

namespace vantrel {
namespace {

bool NothingKnown(const MaskedPattern& pattern) {
  return std::all_of(pattern.mask.begin(), pattern.mask.end(), [](std::uint8_t m) { return m == 0; });
}

}  // namespace

MaskedPatternFinder::MaskedPatternFinder(MaskedPattern pattern, masked_kernels::MaskedFindFunction kernel)
    : pattern_(std::move(pattern)),
      anchors_(masked_kernels::ChooseMaskedAnchors(pattern_)),
      kernel_(kernel),
      anything_(NothingKnown(pattern_)) {}

std::int64_t MaskedPatternFinder::Find(std::span<const std::uint8_t> text) const {
  if (pattern_.size() == 0 || text.size() < pattern_.size()) return -1;
  if (anything_) return 0;
  return kernel_(text.data(), text.size(), pattern_, anchors_);
}

}  // namespace vantrel
