#include "search/byte_rank.h"

#include <array>

namespace vantrel {
namespace {

// Ten points of rank are a factor of two in frequency: rank = 255 + 10 * log2(share), where
// share is the byte's mean share of two trees, /usr/share (documentation, locales, data:
// mostly text) and /usr/lib (programs and libraries) of a Debian 12 system with a compiler
// and Wine installed, each file counted with its first 4 MiB, both trees weighing the same.
// Made with `bench/byte_census /usr/share /usr/lib`; one change by hand: CR (0x0D) has LF's
// rank, since Windows text ends every line with both. Zero, space and the common letters lead;
// the high bytes sit near 150 (one in about 1,400, mostly from compressed files); control
// bytes other than the small integers of binary data are the rarest.
constexpr std::array<std::uint8_t, 256> kRanks = {
    228, 192, 184, 180, 180, 180, 174, 166, 176, 172, 191, 164, 165, 191, 170, 176,  // 0x00
    171, 162, 160, 161, 163, 160, 157, 157, 164, 156, 156, 156, 159, 154, 155, 161,  // 0x10
    218, 159, 174, 164, 182, 166, 158, 170, 177, 176, 171, 157, 180, 178, 179, 174,  // 0x20
    185, 179, 175, 170, 169, 167, 166, 164, 168, 167, 180, 179, 170, 171, 170, 174,  // 0x30
    165, 183, 170, 178, 181, 183, 172, 169, 184, 183, 157, 161, 179, 172, 176, 174,  // 0x40
    178, 157, 178, 181, 182, 170, 166, 163, 163, 161, 158, 161, 160, 161, 154, 189,  // 0x50
    161, 199, 181, 191, 191, 207, 185, 182, 183, 198, 164, 170, 193, 186, 198, 198,  // 0x60
    188, 158, 198, 197, 202, 189, 175, 170, 172, 179, 161, 161, 159, 162, 154, 152,  // 0x70
    166, 159, 158, 171, 164, 164, 154, 154, 157, 177, 151, 174, 155, 168, 151, 152,  // 0x80
    163, 155, 150, 151, 154, 153, 152, 152, 155, 151, 150, 150, 154, 151, 151, 156,  // 0x90
    157, 153, 149, 150, 157, 152, 154, 151, 156, 151, 152, 153, 154, 152, 153, 152,  // 0xA0
    161, 153, 155, 152, 156, 157, 155, 154, 161, 153, 156, 155, 156, 157, 159, 155,  // 0xB0
    164, 158, 156, 164, 158, 155, 154, 159, 154, 153, 150, 150, 156, 149, 155, 152,  // 0xC0
    175, 166, 153, 151, 151, 150, 150, 153, 159, 152, 154, 151, 151, 150, 150, 152,  // 0xD0
    169, 159, 154, 155, 153, 154, 152, 153, 167, 159, 150, 156, 157, 151, 151, 153,  // 0xE0
    158, 151, 152, 156, 151, 150, 154, 152, 156, 152, 153, 153, 157, 154, 159, 189,  // 0xF0
};

// k anchors whose ranks add up to more than 255 * k - 140 are expected together more often
// than once in 16 KiB (2^-14): in a long text, one more anchor then costs less than the
// starts it stops (see search_kernels.cpp).
constexpr int kRarityWanted = 140;

constexpr int kMostAnchors = 4;

}  // namespace

std::uint8_t ByteRank(std::uint8_t byte) { return kRanks[byte]; }

Anchors ChooseAnchors(std::span<const std::uint8_t> pattern) {
  const std::size_t n = pattern.size();
  if (n < 2) return Anchors{};
  // Picks the best position not yet taken: a byte value not yet used first, then the rarest.
  std::size_t taken[kMostAnchors] = {};
  std::size_t picked = 0;
  const auto used = [&](std::size_t i) {
    int how = 0;
    for (std::size_t k = 0; k < picked; ++k) {
      if (taken[k] == i) return 2;
      if (pattern[taken[k]] == pattern[i]) how = 1;
    }
    return how;
  };
  for (; picked < kMostAnchors && picked < n; ++picked) {
    std::size_t best = n;
    for (std::size_t i = 0; i < n; ++i) {
      const int u = used(i);
      if (u == 2) continue;
      if (best == n || u < used(best) || (u == used(best) && kRanks[pattern[i]] < kRanks[pattern[best]])) best = i;
    }
    taken[picked] = best;
  }
  for (std::size_t k = picked; k < kMostAnchors; ++k) taken[k] = taken[picked - 1];
  Anchors anchors;
  anchors.first = taken[0];
  anchors.second = taken[1];
  anchors.third = taken[2];
  anchors.fourth = taken[3];
  int ranks = kRanks[pattern[taken[0]]] + kRanks[pattern[taken[1]]];
  for (std::size_t k = 2; k < picked && ranks > 255 * anchors.count - kRarityWanted; ++k) {
    ++anchors.count;
    ranks += kRanks[pattern[taken[k]]];
  }
  return anchors;
}

}  // namespace vantrel
