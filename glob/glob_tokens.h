// The tokens of one glob in the syntax of ripgrep's glob library (the globset crate, as
// ripgrep 13 builds it for --glob: `*` never crosses '/', backslash escapes): literals,
// `?`, `*`, the three forms of `**`, character classes and one level of `{a,b}`.
// Parsing follows that library step by step, quirks included, so that a glob picks exactly
// the files it picks in ripgrep: a stray `}` is an empty group, `**` next to anything but
// '/' is two `*`, a class takes no escapes and `[a-b-c]` is the range a-c.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace vantrel {

struct GlobToken {
  enum class Kind {
    kLiteral,              // one character
    kAny,                  // ?      one byte but '/'
    kZeroOrMore,           // *      bytes but '/'
    kRecursivePrefix,      // **/    at the start: nothing, or any folders
    kRecursiveSuffix,      // /**    at the end: '/' and anything
    kRecursiveZeroOrMore,  // /**/   '/', or '/' any folders '/'
    kClass,                // [...]  one byte of a set
    kAlternates,           // {a,b}  one of the alternatives
  };
  Kind kind = Kind::kLiteral;
  char32_t literal = 0;
  bool negated = false;                               // [!...] or [^...]
  std::vector<std::pair<char32_t, char32_t>> ranges;  // of a class; a character is (c, c)
  std::vector<std::vector<GlobToken>> alternatives;   // of an alternation
};

using GlobTokens = std::vector<GlobToken>;

// The tokens of a glob, or the reason it is malformed ("unclosed character class; missing ']'").
std::variant<GlobTokens, std::string> ParseGlobTokens(std::u32string_view glob);

}  // namespace vantrel
