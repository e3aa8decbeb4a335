// The hex text format: the canonical form of every byte pattern. A hex text is any narrow
// text; only the 22 characters 0-9, A-F and a-f are digits, everything else is ignored
// (bytes 0x80-0xFF included, so the halves of multi-byte characters never count).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

using Bytes = std::vector<std::uint8_t>;

// True for the 22 hex digit characters only.
bool IsHexDigit(char ch);

// 0-9 give 0 to 9, A-F and a-f give 10 to 15, any other character gives 0.
std::uint8_t HexDigitValue(char ch);

// The normal form: uppercase digit pairs separated by single spaces ("4A 6B 00"); an odd
// last digit stands alone at the end ("AB CD E"); a text without digits becomes "".
std::string NormalizeHexText(std::string_view text);

// The bytes a hex text stands for: digits taken in pairs, an odd last digit dropped.
// The result is an ordinary vector; readers that need a terminator (a zero byte, or a zero
// UTF-16 unit after an odd count) add it themselves, see the text forms.
Bytes HexTextToBytes(std::string_view text);

// Each byte as two uppercase digits, in normal form.
std::string BytesToHexText(std::span<const std::uint8_t> bytes);

}  // namespace vantrel
