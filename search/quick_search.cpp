// Sunday's quick search: compare the window left to right, and on a difference shift by the
// table entry of the byte just past the window.
#include "search/quick_search.h"

#include <cstring>

namespace vantrel {

ShiftTable BuildShiftTable(std::span<const std::uint8_t> pattern) {
  const auto n = static_cast<std::int32_t>(pattern.size());
  ShiftTable table;
  table.fill(n + 1);
  for (std::int32_t j = 0; j < n; ++j) table[pattern[static_cast<std::size_t>(j)]] = n - j;
  return table;
}

std::int64_t QuickSearch(std::span<const std::uint8_t> text, std::span<const std::uint8_t> pattern,
                         const ShiftTable& table) {
  const auto length = static_cast<std::int64_t>(text.size());
  const auto n = static_cast<std::int64_t>(pattern.size());
  if (length <= 0) return -1;
  std::int64_t s = 0;
  while (s + n <= length) {
    if (n == 0 || std::memcmp(text.data() + s, pattern.data(), static_cast<std::size_t>(n)) == 0) return s;
    if (s + n == length) return -1;  // no byte past the window to shift by
    s += table[text[static_cast<std::size_t>(s + n)]];
  }
  return -1;
}

}  // namespace vantrel
