// One pattern with wildcards, prepared for searching: anchors on its rarest fixed bytes and
// the kernel for this processor, chosen once and used for every view of every file.
#pragma once

#include <cstdint>
#include <span>

#include "search/masked_kernels.h"
#include "text/masked_pattern.h"

namespace vantrel {

class MaskedPatternFinder {
 public:
  // pattern: at least one byte.
  explicit MaskedPatternFinder(MaskedPattern pattern,
                               masked_kernels::MaskedFindFunction kernel = masked_kernels::BestKernel());

  // The first start s with text[s, s+n) matching the pattern, or -1.
  std::int64_t Find(std::span<const std::uint8_t> text) const;

  const MaskedPattern& pattern() const { return pattern_; }
  std::size_t size() const { return pattern_.size(); }

 private:
  MaskedPattern pattern_;
  masked_kernels::MaskedAnchors anchors_;
  masked_kernels::MaskedFindFunction kernel_;
  bool anything_;  // no bit known: matches at every start
};

}  // namespace vantrel
