// The gitignore line (ignore crate, GitignoreBuilder::add_line, as ripgrep 13's overrides
// use it) and the way globset matches the glob it yields.
//
// globset does not always run a glob's regular expression: it first looks at the tokens
// and, where they allow, compares literals, a prefix, a suffix, the file name or its
// extension instead. Two differences from the expression show through, and ripgrep shows
// them, so they are kept here:
//  - only the expression (a RegexSet built without (?s)) keeps the `.*` of `**` from
//    crossing a '\n'; the other ways take any byte there;
//  - the ways that compare the file name or its extension see none in a path that ends
//    with '.', so "foo." and "*." never match, while "dir/foo." does.
#include "glob/glob.h"

#include <algorithm>
#include <cstdio>

#include "text/utf8.h"

namespace vantrel {
namespace {

using Kind = GlobToken::Kind;

enum class Strategy { kFileNameLiteral, kLiteral, kExtension, kPrefix, kSuffix, kRequiredExtension, kExpression };

bool IsLiteral(const GlobToken& token) { return token.kind == Kind::kLiteral; }
bool IsLiteral(const GlobToken& token, char32_t ch) { return IsLiteral(token) && token.literal == ch; }
bool Is(const GlobToken& token, Kind kind) { return token.kind == kind; }

template <class Iterator>
bool AllLiteralsBut(Iterator begin, Iterator end, std::u32string_view excluded) {
  return std::all_of(begin, end, [excluded](const GlobToken& token) {
    return IsLiteral(token) && excluded.find(token.literal) == std::u32string_view::npos;
  });
}

// The first of globset's MatchStrategy kinds the tokens qualify for, in its order.
Strategy StrategyOf(const GlobTokens& t) {
  const bool recursive_start = !t.empty() && Is(t[0], Kind::kRecursivePrefix);
  // **/name
  if (recursive_start && t.size() > 1 && AllLiteralsBut(t.begin() + 1, t.end(), U"/")) return Strategy::kFileNameLiteral;
  // name/name
  if (!t.empty() && AllLiteralsBut(t.begin(), t.end(), U"")) return Strategy::kLiteral;
  // **/*.ext
  if (recursive_start && t.size() > 2 && Is(t[1], Kind::kZeroOrMore) && IsLiteral(t[2], U'.') &&
      AllLiteralsBut(t.begin() + 3, t.end(), U"./")) {
    return Strategy::kExtension;
  }
  // dir/**
  if (!t.empty() && Is(t.back(), Kind::kRecursiveSuffix) && AllLiteralsBut(t.begin(), t.end() - 1, U"")) {
    return Strategy::kPrefix;
  }
  // **/dir/name
  if (recursive_start && t.size() > 1 && AllLiteralsBut(t.begin() + 1, t.end(), U"")) return Strategy::kSuffix;
  // ....ext
  const auto dot = std::find_if(t.rbegin(), t.rend(), [](const GlobToken& token) { return !IsLiteral(token) || token.literal == U'.'; });
  if (dot != t.rend() && IsLiteral(*dot, U'.') && AllLiteralsBut(t.rbegin(), dot, U"/")) return Strategy::kRequiredExtension;
  return Strategy::kExpression;
}

bool IsWhiteSpace(char32_t ch) {  // Unicode White_Space, as Rust's trim_end sees it
  return (ch >= 0x09 && ch <= 0x0D) || ch == 0x20 || ch == 0x85 || ch == 0xA0 || ch == 0x1680 ||
         (ch >= 0x2000 && ch <= 0x200A) || ch == 0x2028 || ch == 0x2029 || ch == 0x202F || ch == 0x205F ||
         ch == 0x3000;
}

// A message as one line: control characters (a range may end in one) as \xNN.
std::string OneLine(std::string_view text) {
  std::string line;
  for (char ch : text) {
    const auto byte = static_cast<unsigned char>(ch);
    if (byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(byte));
      line += escaped;
    } else {
      line += ch;
    }
  }
  return line;
}

std::string ToUtf8(std::u32string_view text) {
  std::string utf8;
  for (char32_t ch : text) AppendUtf8(utf8, ch);
  return utf8;
}

}  // namespace

std::variant<std::optional<Glob>, GlobError> Glob::Parse(std::string_view argument) {
  const std::u32string whole = DecodeUtf8Lossy(argument);
  std::u32string_view line = whole;
  if (line.starts_with(U'#')) return std::nullopt;
  // Trailing blanks go, unless the last is escaped.
  if (!line.ends_with(U"\\ ")) {
    while (!line.empty() && IsWhiteSpace(line.back())) line.remove_suffix(1);
  }
  if (line.empty()) return std::nullopt;

  Glob glob;
  bool anchored = false;
  if (line.starts_with(U"\\!") || line.starts_with(U"\\#")) {
    line.remove_prefix(1);
  } else {
    if (line.starts_with(U'!')) {
      glob.excludes_ = true;
      line.remove_prefix(1);
    }
    if (line.starts_with(U'/')) {
      anchored = true;
      line.remove_prefix(1);
    }
  }
  if (line.ends_with(U'/')) {
    glob.directories_only_ = true;
    line.remove_suffix(1);
  }
  std::u32string actual(line);
  const bool has_prefix = actual.starts_with(U"**/") || actual == U"**";
  if (!anchored && actual.find(U'/') == std::u32string::npos && !has_prefix) actual.insert(0, U"**/");
  // "dir/**" matches what is inside dir, not dir itself.
  if (actual.ends_with(U"/**")) actual += U"/*";

  auto parsed = ParseGlobTokens(actual);
  if (const auto* reason = std::get_if<std::string>(&parsed)) {
    return GlobError{OneLine("invalid glob '" + ToUtf8(whole) + "': " + *reason)};
  }
  const auto& tokens = std::get<GlobTokens>(parsed);
  const Strategy strategy = StrategyOf(tokens);
  glob.needs_file_name_ = strategy == Strategy::kFileNameLiteral || strategy == Strategy::kExtension ||
                          strategy == Strategy::kRequiredExtension;
  glob.automaton_ = GlobAutomaton::Compile(tokens, strategy != Strategy::kExpression);
  return glob;
}

bool Glob::Matches(std::string_view path) const {
  if (needs_file_name_ && path.ends_with('.')) return false;
  return automaton_.Matches(path);
}

}  // namespace vantrel
