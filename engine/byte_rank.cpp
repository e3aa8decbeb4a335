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
  const std::size_t n = pattern.size();
  if (n < 2) return Anchors{};
  // Picks the best position not yet taken: a byte value not yet used first, then the rarest.
  const auto pick = [&](std::initializer_list<std::size_t> taken) {
    std::size_t best = n;
    const auto used = [&](std::size_t i) {
      for (std::size_t t : taken) {
        if (t == i) return 2;
        if (pattern[t] == pattern[i]) return 1;
      }
      return 0;
    };
    for (std::size_t i = 0; i < n; ++i) {
      const int u = used(i);
      if (u == 2) continue;
      if (best == n || u < used(best) || (u == used(best) && kRanks[pattern[i]] < kRanks[pattern[best]])) best = i;
    }
    return best;
  };
  Anchors anchors;
  anchors.first = pick({});
  anchors.second = pick({anchors.first});
  anchors.third = n >= 3 ? pick({anchors.first, anchors.second}) : anchors.second;
  return anchors;
}

}  // namespace vantrel
