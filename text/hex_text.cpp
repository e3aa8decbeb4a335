// The hex text codec. Digits are recognised by value, never by locale, and a char with the
// high bit set is never a digit.
#include "text/hex_text.h"

namespace vantrel {
namespace {

char ToUpperDigit(char ch) { return (ch >= 'a' && ch <= 'f') ? static_cast<char>(ch - 'a' + 'A') : ch; }

constexpr char kUpperDigits[] = "0123456789ABCDEF";

// The digits of a text, in their order, uppercase.
std::string CollectDigits(std::string_view text) {
  std::string digits;
  digits.reserve(text.size());
  for (char ch : text) {
    if (IsHexDigit(ch)) digits.push_back(ToUpperDigit(ch));
  }
  return digits;
}

}  // namespace

bool IsHexDigit(char ch) {
  return (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'F') || (ch >= 'a' && ch <= 'f');
}

std::uint8_t HexDigitValue(char ch) {
  if (ch >= '0' && ch <= '9') return static_cast<std::uint8_t>(ch - '0');
  if (ch >= 'A' && ch <= 'F') return static_cast<std::uint8_t>(ch - 'A' + 10);
  if (ch >= 'a' && ch <= 'f') return static_cast<std::uint8_t>(ch - 'a' + 10);
  return 0;
}

std::string NormalizeHexText(std::string_view text) {
  const std::string digits = CollectDigits(text);
  std::string normal;
  normal.reserve(digits.size() + digits.size() / 2);
  for (std::size_t k = 0; k < digits.size(); ++k) {
    normal.push_back(digits[k]);
    if (k % 2 == 1 && k + 1 < digits.size()) normal.push_back(' ');
  }
  return normal;
}

Bytes HexTextToBytes(std::string_view text) {
  const std::string digits = CollectDigits(text);
  Bytes bytes;
  bytes.reserve(digits.size() / 2);
  for (std::size_t k = 0; k + 1 < digits.size(); k += 2) {
    bytes.push_back(static_cast<std::uint8_t>(HexDigitValue(digits[k]) << 4 | HexDigitValue(digits[k + 1])));
  }
  return bytes;
}

std::string BytesToHexText(std::span<const std::uint8_t> bytes) {
  std::string text;
  text.reserve(bytes.size() * 3);
  for (std::uint8_t b : bytes) {
    if (!text.empty()) text.push_back(' ');
    text.push_back(kUpperDigits[b >> 4]);
    text.push_back(kUpperDigits[b & 0x0F]);
  }
  return text;
}

}  // namespace vantrel
