#include "tests/support/random_bytes.h"

#include <algorithm>

namespace vantrel::testing {

Bytes RandomBytes(std::mt19937& rng, std::size_t count, int alphabet) {
  std::uniform_int_distribution<int> pick(0, alphabet - 1);
  Bytes bytes(count);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(pick(rng));
  return bytes;
}

std::int64_t NaiveFind(const Bytes& text, const Bytes& pattern) {
  if (text.empty()) return -1;
  if (pattern.size() > text.size()) return -1;
  for (std::size_t s = 0; s + pattern.size() <= text.size(); ++s) {
    if (std::equal(pattern.begin(), pattern.end(), text.begin() + static_cast<std::ptrdiff_t>(s))) {
      return static_cast<std::int64_t>(s);
    }
  }
  return -1;
}

std::vector<std::int64_t> NaiveOccurrences(const Bytes& text, const Bytes& pattern, std::size_t advance) {
  std::vector<std::int64_t> found;
  std::size_t from = 0;
  while (from < text.size()) {
    const Bytes rest(text.begin() + static_cast<std::ptrdiff_t>(from), text.end());
    const std::int64_t hit = NaiveFind(rest, pattern);
    if (hit < 0) break;
    found.push_back(static_cast<std::int64_t>(from) + hit);
    from += static_cast<std::size_t>(hit) + advance;
  }
  return found;
}

}  // namespace vantrel::testing
