#include "text/masked_pattern.h"

#include <cstring>

namespace vantrel {
namespace {

constexpr char kWildcard = '?';

// The value and mask a nibble character stands for.
struct Nibble {
  std::uint8_t value;
  std::uint8_t mask;
};

Nibble ReadNibble(char ch) {
  if (ch == kWildcard) return {0, 0};
  return {HexDigitValue(ch), 0x0F};
}

std::uint64_t Load64(const std::uint8_t* at) {
  std::uint64_t word = 0;
  std::memcpy(&word, at, sizeof word);
  return word;
}

}  // namespace

MaskedPattern ExactPattern(std::span<const std::uint8_t> bytes) {
  return MaskedPattern{Bytes(bytes.begin(), bytes.end()), Bytes(bytes.size(), 0xFF)};
}

bool HasWildcard(const MaskedPattern& pattern) {
  for (std::uint8_t m : pattern.mask) {
    if (m != 0xFF) return true;
  }
  return false;
}

bool MatchesAt(const MaskedPattern& pattern, const std::uint8_t* text) {
  const std::size_t n = pattern.size();
  const std::uint8_t* bytes = pattern.bytes.data();
  const std::uint8_t* mask = pattern.mask.data();
  std::size_t i = 0;
  // Eight bytes per compare: the same masked test on a word read the same way from all three.
  for (; i + 8 <= n; i += 8) {
    if ((Load64(text + i) & Load64(mask + i)) != Load64(bytes + i)) return false;
  }
  for (; i < n; ++i) {
    if ((text[i] & mask[i]) != bytes[i]) return false;
  }
  return true;
}

HexPattern ParseHexPattern(std::string_view text) {
  HexPattern read;
  Nibble high{};
  for (char ch : text) {
    if (!IsHexDigit(ch) && ch != kWildcard) continue;
    const Nibble nibble = ReadNibble(ch);
    if (read.nibbles++ % 2 == 0) {
      high = nibble;
      continue;
    }
    read.pattern.bytes.push_back(static_cast<std::uint8_t>(high.value << 4 | nibble.value));
    read.pattern.mask.push_back(static_cast<std::uint8_t>(high.mask << 4 | nibble.mask));
    read.has_wildcard = read.has_wildcard || high.mask == 0 || nibble.mask == 0;
  }
  return read;
}

std::string PatternText(const MaskedPattern& pattern) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (i > 0) text.push_back(' ');
    for (const unsigned shift : {4u, 0u}) {
      const bool known = ((pattern.mask[i] >> shift) & 0x0F) == 0x0F;
      text.push_back(known ? kDigits[(pattern.bytes[i] >> shift) & 0x0F] : '?');
    }
  }
  return text;
}

}  // namespace vantrel
