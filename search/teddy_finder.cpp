// The Teddy filter's set-up (distances, buckets, tables), its portable kernel, and the
// compare of candidates. The SIMD kernels live in their own files, compiled for processors
// the program may not run on and chosen at run time.
#include "search/teddy_finder.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <utility>

#include "search/byte_rank.h"

namespace vantrel {
namespace {

// Distances the filter may use: the first bytes of the patterns, up to this many.
constexpr std::size_t kDistanceWindow = 16;

// How often each byte value is met, roughly, from its fixed rank (common bytes in text about
// one in twenty): the set-up prefers distances where the patterns hold rare bytes, and tells
// a set whose filter would let many starts through.
std::array<double, 256> ByteShares() {
  std::array<double, 256> share{};
  double total = 0;
  for (int b = 0; b < 256; ++b) {
    share[b] = std::exp2(ByteRank(static_cast<std::uint8_t>(b)) / 24.0);
    total += share[b];
  }
  for (double& s : share) s /= total;
  return share;
}

// The share of bytes that pattern byte i accepts.
double AcceptedShare(const MaskedPattern& pattern, std::size_t i, const std::array<double, 256>& shares) {
  if (pattern.mask[i] == 0xFF) return shares[pattern.bytes[i]];
  if (pattern.mask[i] == 0) return 1;
  double accepted = 0;
  for (int v = 0; v < 256; ++v) {
    if ((v & pattern.mask[i]) == pattern.bytes[i]) accepted += shares[v];
  }
  return accepted;
}

// The `count` distances (below `window`) where the patterns, each on its own, would let the
// fewest starts through: the sum over the patterns of the product of their accepted shares.
std::array<std::size_t, TeddyTables::kMaxDistances> ChooseDistances(const std::vector<MaskedPattern>& patterns,
                                                                      std::size_t window, std::size_t count) {
  const std::array<double, 256> shares = ByteShares();
  std::vector<std::array<double, kDistanceWindow>> accepted(patterns.size());
  for (std::size_t i = 0; i < patterns.size(); ++i) {
    for (std::size_t d = 0; d < window; ++d) accepted[i][d] = AcceptedShare(patterns[i], d, shares);
  }
  const auto passing = [&](std::size_t a, std::size_t b, std::size_t c) {
    double sum = 0;
    for (const auto& row : accepted) sum += row[a] * row[b] * row[c];
    return sum;
  };
  // Fewer than three distances repeat the last one, alike for every choice, so the
  // estimates still compare.
  std::array<std::size_t, TeddyTables::kMaxDistances> best{};
  double best_passing = std::numeric_limits<double>::infinity();
  for (std::size_t a = 0; a < window; ++a) {
    for (std::size_t b = count > 1 ? a + 1 : a; b < (count > 1 ? window : a + 1); ++b) {
      for (std::size_t c = count > 2 ? b + 1 : b; c < (count > 2 ? window : b + 1); ++c) {
        if (const double p = passing(a, b, c); p < best_passing) {
          best_passing = p;
          best = {a, b, c};
        }
      }
    }
  }
  return best;
}

// Up to eight patterns get a bucket each. More are sorted by their bytes at the distances
// and cut into eight runs, so that patterns alike there share a bucket.
std::array<std::vector<std::size_t>, TeddyFinder::kBuckets> FillBuckets(const std::vector<MaskedPattern>& patterns,
                                                                         const TeddyTables& tables) {
  const std::size_t n = patterns.size();
  std::vector<std::size_t> order(n);
  std::iota(order.begin(), order.end(), std::size_t{0});
  const auto key = [&](std::size_t i) {
    std::array<std::uint16_t, TeddyTables::kMaxDistances> k{};
    for (std::size_t j = 0; j < tables.count; ++j) {
      const std::size_t d = tables.distance[j];
      k[j] = static_cast<std::uint16_t>(patterns[i].mask[d] << 8 | patterns[i].bytes[d]);
    }
    return k;
  };
  if (n > TeddyFinder::kBuckets) {
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return key(a) < key(b); });
  }
  std::array<std::vector<std::size_t>, TeddyFinder::kBuckets> buckets;
  for (std::size_t k = 0; k < n; ++k) {
    const std::size_t bucket = n > TeddyFinder::kBuckets ? k * TeddyFinder::kBuckets / n : k;
    buckets[bucket].push_back(order[k]);
  }
  for (auto& bucket : buckets) std::sort(bucket.begin(), bucket.end());
  return buckets;
}

void FillTables(const std::vector<MaskedPattern>& patterns,
                const std::array<std::vector<std::size_t>, TeddyFinder::kBuckets>& buckets, TeddyTables& tables) {
  for (std::size_t b = 0; b < TeddyFinder::kBuckets; ++b) {
    const auto bit = static_cast<std::uint8_t>(1u << b);
    for (std::size_t i : buckets[b]) {
      for (std::size_t j = 0; j < tables.count; ++j) {
        const std::size_t d = tables.distance[j];
        const std::uint8_t mask = patterns[i].mask[d];
        const std::uint8_t value = patterns[i].bytes[d];
        for (int x = 0; x < 16; ++x) {
          if ((x & mask & 0x0F) == (value & 0x0F)) tables.low[j][x] |= bit;
          if ((x & mask >> 4) == value >> 4) tables.high[j][x] |= bit;
        }
        for (int v = 0; v < 256; ++v) {
          if ((v & mask) == value) tables.byte[j][v] |= bit;
        }
      }
    }
  }
}

// The buckets the bytes of text from start s pass, exactly per byte.
template <std::size_t kCount>
unsigned PassingBuckets(const TeddyTables& tables, const std::uint8_t* at) {
  unsigned buckets = tables.byte[0][at[tables.distance[0]]];
  if constexpr (kCount > 1) buckets &= tables.byte[1][at[tables.distance[1]]];
  if constexpr (kCount > 2) buckets &= tables.byte[2][at[tables.distance[2]]];
  return buckets;
}

template <std::size_t kCount>
PatternHit ScanPortable(const TeddyFinder& finder, const std::uint8_t* text, std::size_t length, std::size_t from) {
  const std::size_t last = length - finder.min_length();
  for (std::size_t s = from; s <= last; ++s) {
    if (const unsigned buckets = PassingBuckets<kCount>(finder.tables(), text + s); buckets != 0) {
      if (const PatternHit hit = finder.Verify(text, length, s, buckets); hit.found()) return hit;
    }
  }
  return {};
}

}  // namespace

std::vector<TeddyFinder::Kernel> TeddyFinder::AvailableKernels() {
  std::vector<Kernel> kernels;
  for (const InstructionSet set : AvailableInstructionSets()) {
    if (set != InstructionSet::kSse2) kernels.push_back(set);
  }
  return kernels;
}

TeddyFinder::TeddyFinder(std::vector<MaskedPattern> patterns, Kernel kernel)
    : patterns_(std::move(patterns)), kernel_(kernel) {
  min_length_ = patterns_.front().size();
  for (const MaskedPattern& p : patterns_) min_length_ = std::min(min_length_, p.size());
  tables_.count = std::min(min_length_, TeddyTables::kMaxDistances);
  tables_.distance = ChooseDistances(patterns_, std::min(min_length_, kDistanceWindow), tables_.count);
  buckets_ = FillBuckets(patterns_, tables_);
  FillTables(patterns_, buckets_, tables_);
}

PatternHit TeddyFinder::Find(std::span<const std::uint8_t> text) const {
  if (min_length_ == 0 || text.size() < min_length_) return {};
  TeddyScan scan;
  switch (kernel_) {
#if defined(__x86_64__)
    case Kernel::kAvx2:
      scan = teddy_kernels::ScanAvx2(*this, text.data(), text.size());
      break;
#endif
#if defined(__SSE2__)
    case Kernel::kSsse3:
      scan = teddy_kernels::ScanSsse3(*this, text.data(), text.size());
      break;
#endif
    default:
      break;
  }
  if (scan.hit.found()) return scan.hit;
  return FindPortable(text.data(), text.size(), scan.next);
}

PatternHit TeddyFinder::FindPortable(const std::uint8_t* text, std::size_t length, std::size_t from) const {
  switch (tables_.count) {
    case 1:
      return ScanPortable<1>(*this, text, length, from);
    case 2:
      return ScanPortable<2>(*this, text, length, from);
    default:
      return ScanPortable<3>(*this, text, length, from);
  }
}

double TeddyFinder::EstimatedPassRate() const {
  static const std::array<double, 256> shares = ByteShares();
  double rate = 0;
  for (std::size_t b = 0; b < kBuckets; ++b) {
    double passing = 1;
    for (std::size_t j = 0; j < tables_.count; ++j) {
      double share = 0;
      for (int v = 0; v < 256; ++v) {
        if ((tables_.low[j][v & 15] & tables_.high[j][v >> 4] & (1u << b)) != 0) share += shares[v];
      }
      passing *= share;
    }
    rate += buckets_[b].empty() ? 0 : passing;
  }
  return rate;
}

PatternHit TeddyFinder::Verify(const std::uint8_t* text, std::size_t length, std::size_t s, unsigned buckets) const {
  PatternHit best;
  for (; buckets != 0; buckets &= buckets - 1) {
    for (std::size_t i : buckets_[static_cast<std::size_t>(__builtin_ctz(buckets))]) {
      if (best.found() && i >= best.index) break;
      if (s + patterns_[i].size() <= length && MatchesAt(patterns_[i], text + s)) {
        best = PatternHit{static_cast<std::int64_t>(s), i};
        break;
      }
    }
  }
  return best;
}

}  // namespace vantrel
