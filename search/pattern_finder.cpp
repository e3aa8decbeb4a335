#include "search/pattern_finder.h"

#include <cstring>

namespace vantrel {

PatternFinder::PatternFinder(std::span<const std::uint8_t> pattern)
    : pattern_(pattern.begin(), pattern.end()), anchors_(ChooseAnchors(pattern)), kernel_(kernels::BestKernel()) {}

std::int64_t PatternFinder::Find(std::span<const std::uint8_t> text) const {
  const std::size_t n = pattern_.size();
  if (text.empty() || text.size() < n) return -1;
  if (n == 0) return 0;  // as the quick search: found at once in any non-empty text
  if (n == 1) {
    const void* hit = std::memchr(text.data(), pattern_[0], text.size());
    return hit == nullptr ? -1 : static_cast<const std::uint8_t*>(hit) - text.data();
  }
  return kernel_(text.data(), text.size(), pattern_.data(), n, kernels::PlanFor(anchors_, text.size()));
}

}  // namespace vantrel
