// How common each byte value is in the files people patch (programs, libraries, text, data),
// as a fixed rank measured once: the search anchors its candidate filter on the rarest bytes
// of the pattern, so that few positions pass the filter and need a full compare.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace vantrel {

// Higher is more common; ten points are a factor of two in frequency. A fixed table: the
// search must not depend on the data it is given.
std::uint8_t ByteRank(std::uint8_t byte);

// Up to four positions of a pattern of two or more bytes, where the candidate filter
// compares, rarest first (other byte values first, since a repeated byte adds little), and
// how the filter uses them. The positions differ from each other as far as the pattern has
// positions; a shorter pattern repeats its last one.
struct Anchors {
  std::size_t first = 0;
  std::size_t second = 0;
  std::size_t third = 0;
  std::size_t fourth = 0;
  // How many anchors the filter compares from the first start on (2 to 4). ChooseAnchors
  // sets it from the table: enough that they are expected together less than once in 16 KiB.
  int count = 2;
  // The filter compares one more anchor when the starts that pass fail the full compare
  // more than once per 2^failure_spacing_log2 bytes searched (after a start-up allowance).
  int failure_spacing_log2 = 14;
};

Anchors ChooseAnchors(std::span<const std::uint8_t> pattern);

}  // namespace vantrel
