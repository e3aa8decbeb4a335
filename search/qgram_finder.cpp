#include "search/qgram_finder.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace vantrel {
namespace {

// Bits of hash: the bitmap stays about 256 times emptier than it is long, so a probe passes
// by a clash of hashes about once in 256, no more often than real grams pass in text, and the
// bitmap of a list of a hundred texts (16 KiB) sits in the first-level cache; at most 2 Mbit
// (256 KiB) for lists of thousands.
unsigned HashBits(std::size_t entries) {
  unsigned bits = 12;
  while (bits < 21 && (std::size_t{1} << bits) < entries * 256) ++bits;
  return bits;
}

std::uint64_t Load64(const std::uint8_t* at) {
  std::uint64_t word = 0;
  std::memcpy(&word, at, sizeof word);
  return word;
}

// The eight bytes from `at`, of which only `available` exist; the rest read as zero.
std::uint64_t LoadPartial(const std::uint8_t* at, std::size_t available) {
  std::array<std::uint8_t, 8> bytes{};
  std::memcpy(bytes.data(), at, std::min<std::size_t>(available, 8));
  return Load64(bytes.data());
}

}  // namespace

std::size_t QGramFinder::FixedPrefix(const MaskedPattern& pattern) {
  const auto end = std::find_if(pattern.mask.begin(), pattern.mask.end(), [](std::uint8_t m) { return m != 0xFF; });
  return static_cast<std::size_t>(end - pattern.mask.begin());
}

std::size_t QGramFinder::GramFor(std::size_t prefix) { return std::clamp<std::size_t>((prefix + 1) / 2, 1, kMaxGram); }

QGramFinder::QGramFinder(std::vector<MaskedPattern> patterns, std::size_t prefix, std::size_t gram)
    : patterns_(std::move(patterns)) {
  gram_ = gram != 0 ? gram : GramFor(prefix);
  step_ = prefix - gram_ + 1;
  std::array<std::uint8_t, 8> mask_bytes{};
  std::fill_n(mask_bytes.begin(), gram_, std::uint8_t{0xFF});
  key_mask_ = Load64(mask_bytes.data());
  const unsigned bits = HashBits(patterns_.size() * step_);
  shift_ = 64 - bits;
  bitmap_.assign((std::size_t{1} << bits) / 64 + 1, 0);
  min_length_ = patterns_.front().size();
  for (std::size_t i = 0; i < patterns_.size(); ++i) {
    const MaskedPattern& p = patterns_[i];
    min_length_ = std::min(min_length_, p.size());
    for (std::size_t j = 0; j < step_; ++j) {
      const std::uint32_t hash = Hash(LoadPartial(p.bytes.data() + j, gram_) & key_mask_);
      bitmap_[hash / 64] |= std::uint64_t{1} << (hash % 64);
      entries_.push_back(Entry{hash, static_cast<std::uint32_t>(j), i});
    }
  }
  std::sort(entries_.begin(), entries_.end(),
            [](const Entry& a, const Entry& b) { return a.hash != b.hash ? a.hash < b.hash : a.pattern < b.pattern; });
  // About two buckets per entry, so a probe that passes finds its entries at once.
  unsigned bucket_bits = 1;
  while (bucket_bits < bits && (std::size_t{1} << bucket_bits) < entries_.size() * 2) ++bucket_bits;
  bucket_shift_ = bits - bucket_bits;
  bucket_start_.assign((std::size_t{1} << bucket_bits) + 1, 0);
  for (const Entry& e : entries_) ++bucket_start_[(e.hash >> bucket_shift_) + 1];
  for (std::size_t b = 1; b < bucket_start_.size(); ++b) bucket_start_[b] += bucket_start_[b - 1];
}

std::uint32_t QGramFinder::Hash(std::uint64_t key) const {
  return static_cast<std::uint32_t>((key * 0x9E3779B97F4A7C15u) >> shift_);
}

std::uint64_t QGramFinder::Mark(std::uint32_t hash) const { return bitmap_[hash / 64] >> (hash % 64) & 1; }

PatternHit QGramFinder::Find(std::span<const std::uint8_t> text) const {
  const std::uint8_t* data = text.data();
  const std::size_t length = text.size();
  if (length < min_length_) return {};
  // Probes up to the one whose starts reach the last start a pattern fits at; each probe's
  // gram lies inside the text (every pattern is at least gram + step - 1 long).
  const std::size_t last_probe = length - min_length_ + step_ - 1;
  std::size_t p = 0;
  // Four probes per branch while a whole eight-byte load stays inside the text.
  const std::size_t t = step_;
  for (; p + 3 * t <= last_probe && p + 3 * t + 8 <= length; p += 4 * t) {
    const std::array<std::uint32_t, 4> hashes = {
        Hash(Load64(data + p) & key_mask_), Hash(Load64(data + p + t) & key_mask_),
        Hash(Load64(data + p + 2 * t) & key_mask_), Hash(Load64(data + p + 3 * t) & key_mask_)};
    if ((Mark(hashes[0]) | Mark(hashes[1]) | Mark(hashes[2]) | Mark(hashes[3])) == 0) continue;
    for (std::size_t k = 0; k < 4; ++k) {
      if (Mark(hashes[k]) == 0) continue;
      if (const PatternHit hit = Probe(data, length, p + k * t, hashes[k]); hit.found()) return hit;
    }
  }
  for (; p <= last_probe; p += t) {
    const std::uint32_t h = Hash(LoadPartial(data + p, length - p) & key_mask_);
    if (Mark(h) == 0) continue;
    if (const PatternHit hit = Probe(data, length, p, h); hit.found()) return hit;
  }
  return {};
}

// The earliest start, then the lowest pattern, among those the probe at p finds.
PatternHit QGramFinder::Probe(const std::uint8_t* text, std::size_t length, std::size_t p, std::uint32_t hash) const {
  const std::size_t bucket = hash >> bucket_shift_;
  const auto end = entries_.begin() + bucket_start_[bucket + 1];
  PatternHit best;
  for (auto it = entries_.begin() + bucket_start_[bucket]; it != end; ++it) {
    if (it->hash != hash || it->distance > p) continue;
    const std::size_t s = p - it->distance;
    const MaskedPattern& pattern = patterns_[it->pattern];
    if (best.found() && static_cast<std::int64_t>(s) > best.offset) continue;
    if (s + pattern.size() > length || !MatchesAt(pattern, text + s)) continue;
    best = EarlierHit(best, PatternHit{static_cast<std::int64_t>(s), it->pattern});
  }
  return best;
}

}  // namespace vantrel
