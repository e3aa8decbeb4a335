#include "engine/pattern_finder.h"

namespace vantrel {

PatternFinder::PatternFinder(std::span<const std::uint8_t> pattern)
    : pattern_(pattern.begin(), pattern.end()), table_(BuildShiftTable(pattern)) {}

std::int64_t PatternFinder::Find(std::span<const std::uint8_t> text) const {
  return QuickSearch(text, pattern_, table_);
}

}  // namespace vantrel
