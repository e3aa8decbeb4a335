// A patch list (-p FILE): pairs of a pattern and its replacement, one per line,
//   FIND => REPLACE
// each side hex with `?` nibbles ("E8 ?? ?? ?? ?? 85 C0") or a text form written
// ascii:"…", utf8:"…" or unicode:"…" with the escapes \" \\ \0 and \xNN. A text side gets
// no terminating zero unless it writes \0. Blank lines and lines starting with '#' are left
// out. The file is UTF-8; ascii: sides are converted to the ANSI code page.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "text/masked_pattern.h"
#include "platform/codepage.h"

namespace vantrel::cli {

struct PatchPair {
  MaskedPattern find;
  MaskedPattern replacement;
  std::size_t line = 0;  // in the file, from 1
};

// The pairs of a patch list's text, in order, or the first bad line's problem as
// "NAME:LINE: why". A list without pairs is a problem too.
std::variant<std::vector<PatchPair>, std::string> ParsePatchList(std::string_view text, std::string_view name,
                                                                 vantrel::os::CodePage ansi);

// A '?' in a replacement keeps the file's nibble, so it must lie over the bytes of the
// match: the reason when it does not, else empty.
std::string WildcardBeyondPattern(const MaskedPattern& find, const MaskedPattern& replacement);

}  // namespace vantrel::cli
