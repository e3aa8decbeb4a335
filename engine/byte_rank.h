// How common each byte value is in the files people patch (executables, text, game data),
// as a fixed rank: the search anchors its candidate filter on the two rarest bytes of the
// pattern, so that few positions pass the filter and need a full compare.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace vantrel {

// Higher is more common. A fixed table: the search must not depend on the data it is given.
std::uint8_t ByteRank(std::uint8_t byte);

// Three positions of a pattern of two or more bytes, where the candidate filter compares:
// the rarest byte, then the next rarest at other positions (other byte values first, since
// a repeated byte adds little). first and second always differ; third differs from both
// when the pattern has three bytes or more, else it repeats second.
struct Anchors {
  std::size_t first = 0;
  std::size_t second = 0;
  std::size_t third = 0;
};
Anchors ChooseAnchors(std::span<const std::uint8_t> pattern);

}  // namespace vantrel
