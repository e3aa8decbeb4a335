#include "engine/qgram_finder.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace vantrel {
namespace {

// Bits of hash per pattern: the bitmap stays about a thousand times emptier than it is long,
// so a start passes by a clash of hashes about once in a thousand; from 4 Kbit, which sits in
// the first-level cache, to 2 Mbit (256 KiB) for lists of thousands.
unsigned HashBits(std::size_t patterns) {
  unsigned bits = 12;
  while (bits < 21 && (std::size_t{1} << bits) < patterns * 1024) ++bits;
  return bits;
}

std::uint32_t Load32(const std::uint8_t* at) {
  std::uint32_t word = 0;
  std::memcpy(&word, at, sizeof word);
  return word;
}

// The four bytes from `at`, of which only `available` exist; the rest read as zero.
std::uint32_t LoadPartial(const std::uint8_t* at, std::size_t available) {
  std::array<std::uint8_t, 4> bytes{};
  std::memcpy(bytes.data(), at, std::min<std::size_t>(available, 4));
  return Load32(bytes.data());
}

}  // namespace

bool QGramFinder::Fits(const MaskedPattern& pattern, std::size_t distance, std::size_t gram) {
  if (distance + gram > pattern.size()) return false;
  return std::all_of(pattern.mask.begin() + static_cast<std::ptrdiff_t>(distance),
                     pattern.mask.begin() + static_cast<std::ptrdiff_t>(distance + gram),
                     [](std::uint8_t m) { return m == 0xFF; });
}

QGramFinder::QGramFinder(std::vector<MaskedPattern> patterns, std::size_t distance, std::size_t gram)
    : patterns_(std::move(patterns)), distance_(distance) {
  std::array<std::uint8_t, 4> mask_bytes{};
  std::fill_n(mask_bytes.begin(), gram, std::uint8_t{0xFF});
  key_mask_ = Load32(mask_bytes.data());
  const unsigned bits = HashBits(patterns_.size());
  shift_ = 32 - bits;
  bitmap_.assign((std::size_t{1} << bits) / 64 + 1, 0);
  min_length_ = patterns_.front().size();
  for (std::size_t i = 0; i < patterns_.size(); ++i) {
    const MaskedPattern& p = patterns_[i];
    min_length_ = std::min(min_length_, p.size());
    const std::uint32_t hash = Hash(LoadPartial(p.bytes.data() + distance, gram) & key_mask_);
    bitmap_[hash / 64] |= std::uint64_t{1} << (hash % 64);
    by_hash_.emplace_back(hash, i);
  }
  std::sort(by_hash_.begin(), by_hash_.end());
}

std::uint32_t QGramFinder::Hash(std::uint32_t key) const { return (key * 0x9E3779B1u) >> shift_; }

bool QGramFinder::Marked(std::uint32_t hash) const { return (bitmap_[hash / 64] >> (hash % 64) & 1) != 0; }

PatternHit QGramFinder::Find(std::span<const std::uint8_t> text) const {
  const std::uint8_t* data = text.data();
  const std::size_t length = text.size();
  if (length < min_length_) return {};
  const std::size_t last = length - min_length_;  // the last start a pattern fits at
  // Starts whose four-byte load stays inside the text, four at a time with one branch.
  const std::size_t loads_end = length >= distance_ + 4 ? std::min(last + 1, length - distance_ - 3) : 0;
  std::size_t s = 0;
  const std::uint8_t* at = data + distance_;
  for (; s + 4 <= loads_end; s += 4) {
    const std::uint32_t h0 = Hash(Load32(at + s) & key_mask_);
    const std::uint32_t h1 = Hash(Load32(at + s + 1) & key_mask_);
    const std::uint32_t h2 = Hash(Load32(at + s + 2) & key_mask_);
    const std::uint32_t h3 = Hash(Load32(at + s + 3) & key_mask_);
    if (!(Marked(h0) || Marked(h1) || Marked(h2) || Marked(h3))) continue;
    for (const auto& [k, h] : {std::pair{0u, h0}, std::pair{1u, h1}, std::pair{2u, h2}, std::pair{3u, h3}}) {
      if (!Marked(h)) continue;
      if (const PatternHit hit = Verify(data, length, s + k, h); hit.found()) return hit;
    }
  }
  return FindNearEnd(data, length, s);
}

// The starts from `from`, one at a time, the last of them without a whole load.
PatternHit QGramFinder::FindNearEnd(const std::uint8_t* text, std::size_t length, std::size_t from) const {
  const std::size_t last = length - min_length_;
  for (std::size_t s = from; s <= last; ++s) {
    const std::uint32_t h = Hash(LoadPartial(text + s + distance_, length - s - distance_) & key_mask_);
    if (!Marked(h)) continue;
    if (const PatternHit hit = Verify(text, length, s, h); hit.found()) return hit;
  }
  return {};
}

PatternHit QGramFinder::Verify(const std::uint8_t* text, std::size_t length, std::size_t s, std::uint32_t hash) const {
  auto it = std::lower_bound(by_hash_.begin(), by_hash_.end(), std::pair<std::uint32_t, std::size_t>{hash, 0});
  for (; it != by_hash_.end() && it->first == hash; ++it) {
    const MaskedPattern& p = patterns_[it->second];
    if (s + p.size() <= length && MatchesAt(p, text + s)) return PatternHit{static_cast<std::int64_t>(s), it->second};
  }
  return {};
}

}  // namespace vantrel
