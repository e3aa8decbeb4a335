// A pattern prepared for searching: set up once, used for every file of a run or a walk.
// Find() gives exactly what QuickSearch gives for the same text and pattern.
#pragma once

#include <cstdint>
#include <span>

#include "engine/hex_text.h"
#include "engine/quick_search.h"

namespace vantrel {

class PatternFinder {
 public:
  explicit PatternFinder(std::span<const std::uint8_t> pattern);

  // Offset of the first occurrence in text, or -1 (QuickSearch's result).
  std::int64_t Find(std::span<const std::uint8_t> text) const;

  std::span<const std::uint8_t> pattern() const { return pattern_; }
  std::size_t size() const { return pattern_.size(); }

 private:
  Bytes pattern_;
  ShiftTable table_;
};

}  // namespace vantrel
