// Written here rather than taken from a library: the C and C++ standard libraries offer only
// locale-bound conversions (mbrtowc, the deprecated codecvt) that neither report maximal
// subparts nor behave the same under mingw, and the rules fit in one table (Unicode 15,
// table 3-7: well-formed UTF-8 byte sequences).
#include "text/utf8.h"

#include <cstdint>

namespace vantrel {
namespace {

struct LeadRule {
  std::size_t length;          // bytes of the whole character
  std::uint8_t second_low;     // range of the second byte; the others are 0x80-0xBF
  std::uint8_t second_high;
};

// The rule for a lead byte, or length 0 for a byte no character starts with.
LeadRule RuleFor(std::uint8_t lead) {
  if (lead < 0x80) return {1, 0, 0};
  if (lead >= 0xC2 && lead <= 0xDF) return {2, 0x80, 0xBF};
  if (lead == 0xE0) return {3, 0xA0, 0xBF};
  if (lead == 0xED) return {3, 0x80, 0x9F};  // no surrogates
  if (lead >= 0xE1 && lead <= 0xEF) return {3, 0x80, 0xBF};
  if (lead == 0xF0) return {4, 0x90, 0xBF};
  if (lead >= 0xF1 && lead <= 0xF3) return {4, 0x80, 0xBF};
  if (lead == 0xF4) return {4, 0x80, 0x8F};  // nothing above U+10FFFF
  return {0, 0, 0};
}

char32_t LeadBits(std::uint8_t lead, std::size_t length) {
  switch (length) {
    case 1: return lead;
    case 2: return lead & 0x1Fu;
    case 3: return lead & 0x0Fu;
    default: return lead & 0x07u;
  }
}

}  // namespace

Utf8Character DecodeUtf8(std::string_view text) {
  if (text.empty()) return {};
  const auto lead = static_cast<std::uint8_t>(text[0]);
  const LeadRule rule = RuleFor(lead);
  if (rule.length == 0) return {kReplacementCharacter, 1, false};
  char32_t code_point = LeadBits(lead, rule.length);
  for (std::size_t i = 1; i < rule.length; ++i) {
    if (i >= text.size()) return {kReplacementCharacter, i, false};
    const auto byte = static_cast<std::uint8_t>(text[i]);
    const std::uint8_t low = i == 1 ? rule.second_low : std::uint8_t{0x80};
    const std::uint8_t high = i == 1 ? rule.second_high : std::uint8_t{0xBF};
    if (byte < low || byte > high) return {kReplacementCharacter, i, false};
    code_point = (code_point << 6) | (byte & 0x3Fu);
  }
  return {code_point, rule.length, true};
}

bool IsValidUtf8(std::string_view text) {
  while (!text.empty()) {
    const Utf8Character ch = DecodeUtf8(text);
    if (!ch.valid) return false;
    text.remove_prefix(ch.length);
  }
  return true;
}

std::u32string DecodeUtf8Lossy(std::string_view text) {
  std::u32string out;
  while (!text.empty()) {
    const Utf8Character ch = DecodeUtf8(text);
    out.push_back(ch.code_point);
    text.remove_prefix(ch.length);
  }
  return out;
}

void AppendUtf8(std::string& out, char32_t code_point) {
  const auto put = [&out](char32_t bits) { out.push_back(static_cast<char>(bits)); };
  if (code_point < 0x80) {
    put(code_point);
  } else if (code_point < 0x800) {
    put(0xC0 | (code_point >> 6));
    put(0x80 | (code_point & 0x3F));
  } else if (code_point < 0x10000) {
    put(0xE0 | (code_point >> 12));
    put(0x80 | ((code_point >> 6) & 0x3F));
    put(0x80 | (code_point & 0x3F));
  } else {
    put(0xF0 | (code_point >> 18));
    put(0x80 | ((code_point >> 12) & 0x3F));
    put(0x80 | ((code_point >> 6) & 0x3F));
    put(0x80 | (code_point & 0x3F));
  }
}

}  // namespace vantrel
