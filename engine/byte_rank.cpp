#include "engine/byte_rank.h"

#include <array>
#include <string_view>

namespace vantrel {
namespace {

// The rank of every byte, built once at compile time from a few facts: zero bytes and 0xFF
// fill binaries; spaces, lowercase letters (in English letter order), line breaks and digits
// fill text; high bytes are mostly continuation and lead bytes of multi-byte text, and the
// remaining control bytes are rare.
constexpr std::array<std::uint8_t, 256> BuildRanks() {
  std::array<std::uint8_t, 256> rank{};
  for (int b = 0; b < 256; ++b) rank[b] = 40;  // control bytes, by default rare
  for (int b = 0x80; b < 0x100; ++b) rank[b] = 70;
  for (int b = 0xE0; b < 0xF0; ++b) rank[b] = 90;  // lead bytes of CJK text in UTF-8
  for (int b = 'A'; b <= 'Z'; ++b) rank[b] = 120;
  for (int b = '0'; b <= '9'; ++b) rank[b] = 140;
  constexpr std::string_view punctuation = ".,;:()-_/=\"'<>{}[]*#";
  for (char c : punctuation) rank[static_cast<unsigned char>(c)] = 145;
  constexpr std::string_view letters = "etaoinsrhldcumfpgwybvkxjqz";  // most common first
  for (std::size_t i = 0; i < letters.size(); ++i) {
    rank[static_cast<unsigned char>(letters[i])] = static_cast<std::uint8_t>(240 - 4 * i);
  }
  rank[' '] = 250;
  rank['\n'] = 200;
  rank['\r'] = 180;
  rank['\t'] = 180;
  rank[0x00] = 255;
  rank[0xFF] = 210;
  rank[0x01] = 120;  // small integers in binary data
  return rank;
}

constexpr std::array<std::uint8_t, 256> kRanks = BuildRanks();

}  // namespace

std::uint8_t ByteRank(std::uint8_t byte) { return kRanks[byte]; }

Anchors ChooseAnchors(std::span<const std::uint8_t> pattern) {
  Anchors anchors{0, pattern.size() > 1 ? pattern.size() - 1 : 0};
  if (pattern.size() < 2) return anchors;
  std::size_t rarest = 0;
  for (std::size_t i = 1; i < pattern.size(); ++i) {
    if (kRanks[pattern[i]] < kRanks[pattern[rarest]]) rarest = i;
  }
  // The second anchor: the rarest of the other positions, preferring another byte value,
  // since a repeated byte adds little to the filter.
  std::size_t second = rarest == 0 ? 1 : 0;
  const auto worse = [&](std::size_t a, std::size_t b) {  // whether b is a better second than a
    const bool a_same = pattern[a] == pattern[rarest];
    const bool b_same = pattern[b] == pattern[rarest];
    if (a_same != b_same) return a_same;
    return kRanks[pattern[b]] < kRanks[pattern[a]];
  };
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (i != rarest && worse(second, i)) second = i;
  }
  anchors.first = rarest;
  anchors.second = second;
  return anchors;
}

}  // namespace vantrel
