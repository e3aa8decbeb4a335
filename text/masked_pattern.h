// A byte pattern with unknown bits: what a hex argument with wildcard nibbles (`?`) finds.
// Each byte comes with a mask whose 1 bits must equal; the other bits match anything. A
// plain pattern is one whose masks are all 0xFF.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "text/hex_text.h"

namespace vantrel {

// bytes and mask have the same length. mask[i] is 0xFF for a fixed byte, 0x00 for `??`,
// 0xF0 for `4?`, 0x0F for `?0`; bytes[i] holds no bit outside mask[i].
struct MaskedPattern {
  Bytes bytes;
  Bytes mask;

  std::size_t size() const { return bytes.size(); }
  friend bool operator==(const MaskedPattern&, const MaskedPattern&) = default;
};

// The pattern that finds exactly these bytes.
MaskedPattern ExactPattern(std::span<const std::uint8_t> bytes);

// True when some bit of the pattern is unknown.
bool HasWildcard(const MaskedPattern& pattern);

// True when the pattern.size() bytes from `text` match the pattern.
bool MatchesAt(const MaskedPattern& pattern, const std::uint8_t* text);

// The pattern in normal hex form with `?` for each unknown nibble: "4? ?? AB".
std::string PatternText(const MaskedPattern& pattern);

// A hex argument of the command line, read.
struct HexPattern {
  MaskedPattern pattern;
  std::size_t nibbles = 0;    // digits and `?` read, an odd last one (dropped) included
  bool has_wildcard = false;  // a `?` among the nibbles kept
};

// Reads a hex argument: 0-9, A-F, a-f and `?` are nibbles, every other character is ignored
// (as HexTextToBytes ignores them); nibbles are taken in pairs and an odd last one is
// dropped. The caller warns about an odd count and refuses a text with no nibbles.
HexPattern ParseHexPattern(std::string_view text);

}  // namespace vantrel
