// UTF-8 read one character at a time, the way Unicode recommends for ill-formed input
// ("substitution of maximal subparts", as Rust's lossy conversion and most decoders do):
// each maximal ill-formed part counts as one replacement character. Glob arguments are read
// this way, and the JSON output needs to know which byte strings are valid text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vantrel {

inline constexpr char32_t kReplacementCharacter = U'\uFFFD';

struct Utf8Character {
  char32_t code_point = kReplacementCharacter;  // U+FFFD for an ill-formed part
  std::size_t length = 0;                       // bytes it takes, at least 1 for a non-empty text
  bool valid = false;
};

// The first character of a non-empty text, or its first maximal ill-formed part.
Utf8Character DecodeUtf8(std::string_view text);

bool IsValidUtf8(std::string_view text);

// The text as code points, each ill-formed part replaced by U+FFFD.
std::u32string DecodeUtf8Lossy(std::string_view text);

void AppendUtf8(std::string& out, char32_t code_point);

}  // namespace vantrel
