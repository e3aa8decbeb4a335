// The three text forms of a pattern and the bytes each stands for, as pure functions. The
// dialog's boxes and the command line's arguments both go through these, each with its own
// limits:
//
//   form       label      bytes it stands for
//   ANSI       "ASCII"    the text in the ANSI code page
//   UTF-8      "UTF-8"    the text encoded as UTF-8
//   UTF-16LE   "UNICODE"  the text as 16-bit units, low byte first
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <string_view>

#include "text/hex_text.h"
#include "platform/codepage.h"

namespace vantrel {

enum class TextForm { kAnsi, kUtf8, kUtf16Le };

inline constexpr std::size_t kNoLimit = std::numeric_limits<std::size_t>::max();

struct FormBytes {
  Bytes bytes;
  // Every character of the text is in the bytes as itself: none was cut off by the limit,
  // and none was replaced because the code page cannot hold it.
  bool whole = true;
};

// The bytes of text in a form, cut after the last whole character that fits the limit:
// bytes for ANSI and UTF-8, units for UTF-16LE. A cut never splits a character.
FormBytes TextToFormBytes(TextForm form, std::u16string_view text, os::CodePage ansi, std::size_t limit = kNoLimit);

// The text the bytes show in a form: up to the first zero byte (ANSI, UTF-8) or zero unit
// (UTF-16LE, where an odd last byte pairs with a zero high byte).
std::u16string FormBytesToText(TextForm form, std::span<const std::uint8_t> bytes, os::CodePage ansi);

// The terminating zero of a form's string: one zero byte, or one zero unit for UTF-16LE.
std::size_t TerminatorLength(TextForm form);

}  // namespace vantrel
