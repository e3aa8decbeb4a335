// How much of a box a conversion takes, and how text is cut to fit: never inside a
// character, so a cut never leaves half a UTF-8 sequence, half a double-byte character or
// half a surrogate pair behind.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/codepage.h"

namespace vantrel {

// Boxes are read up to 259 characters (narrow) or 259 UTF-16 units (wide).
inline constexpr std::size_t kBoxReadLimit = 259;
// The UTF-8 form of a text holds at most 259 bytes.
inline constexpr std::size_t kUtf8FormLimit = 259;
// The UTF-16LE form holds at most 64 units, 63 when the terminating zero unit follows. The
// form is written to the hex box as four digits a unit without spaces and then read back,
// like any box, up to 259 characters: 64 units (256 digits), or 63 units and " 00 00" (258),
// are the most that come back whole. A longer text would lose its terminating zero and end
// in half a byte.
inline constexpr std::size_t kUnicodeFormLimit = 64;

// The longest prefix of text, in whole characters, with at most max_units units.
std::u16string_view Utf16Prefix(std::u16string_view text, std::size_t max_units);

// text in code page cp, cut to the longest prefix of whole characters that takes at most
// max_bytes bytes.
std::string NarrowPrefix(std::u16string_view text, os::CodePage cp, std::size_t max_bytes);
// The same through a converter set up for the code page before.
std::string NarrowPrefix(std::u16string_view text, os::CodePageConverter& converter, std::size_t max_bytes);

}  // namespace vantrel
