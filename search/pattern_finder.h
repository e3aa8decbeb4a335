// A pattern prepared for searching: set up once (anchor bytes, the kernel for this
// processor) and used for every view of every file of a run or a walk. Find() gives exactly
// what QuickSearch gives for the same text and pattern; only faster.
#pragma once

#include <cstdint>
#include <span>

#include "search/byte_rank.h"
#include "text/hex_text.h"
#include "search/search_kernels.h"

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
  Anchors anchors_;
  kernels::FindFunction kernel_;
};

}  // namespace vantrel
