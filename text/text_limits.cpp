#include "text/text_limits.h"

#include <algorithm>
#include <vector>

namespace vantrel {
namespace {

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Whether a cut after `units` units would split a surrogate pair.
bool SplitsPair(std::u16string_view text, std::size_t units) {
  return units > 0 && units < text.size() && IsHighSurrogate(text[units - 1]) && IsLowSurrogate(text[units]);
}

}  // namespace

std::u16string_view Utf16Prefix(std::u16string_view text, std::size_t max_units) {
  if (text.size() <= max_units) return text;
  std::size_t units = max_units;
  if (SplitsPair(text, units)) --units;
  return text.substr(0, units);
}

std::string NarrowPrefix(std::u16string_view text, os::CodePage cp, std::size_t max_bytes) {
  os::CodePageConverter converter(cp);
  return NarrowPrefix(text, converter, max_bytes);
}

std::string NarrowPrefix(std::u16string_view text, os::CodePageConverter& converter, std::size_t max_bytes) {
  std::string whole = converter.FromUtf16(text);
  if (whole.size() <= max_bytes) return whole;
  // Every character takes at least one byte, so no more than max_bytes units can fit; the
  // converted length grows with the prefix, so the longest fitting cut is found by bisection.
  std::vector<std::size_t> cuts;
  for (std::size_t units = 0; units <= std::min(text.size(), max_bytes); ++units) {
    if (!SplitsPair(text, units)) cuts.push_back(units);
  }
  const auto fits = [&](std::size_t units) { return converter.FromUtf16(text.substr(0, units)).size() <= max_bytes; };
  const auto first_too_long = std::partition_point(cuts.begin() + 1, cuts.end(), fits);
  return converter.FromUtf16(text.substr(0, *(first_too_long - 1)));
}

}  // namespace vantrel
