// The parser of globset's Glob, in its order of decisions: a character at a time, with the
// previous character and a peek at the next one deciding what `**` means, and a stack with
// the pattern at the bottom and the alternatives of an open `{` above it.
#include "glob/glob_tokens.h"

#include <optional>

#include "text/utf8.h"

namespace vantrel {
namespace {

using Kind = GlobToken::Kind;

GlobToken Token(Kind kind) {
  GlobToken token;
  token.kind = kind;
  return token;
}
GlobToken Literal(char32_t ch) {
  GlobToken token;
  token.literal = ch;
  return token;
}

bool IsSeparator(std::optional<char32_t> ch) { return ch == U'/'; }

class Parser {
 public:
  explicit Parser(std::u32string_view glob) : glob_(glob) { stack_.emplace_back(); }

  std::variant<GlobTokens, std::string> Parse() {
    while (const std::optional<char32_t> ch = Bump()) {
      std::optional<std::string> error = Step(*ch);
      if (error) return *std::move(error);
    }
    if (stack_.size() > 1) return std::string("unclosed alternate group; missing '}' (maybe escape '{' with '[{]'?)");
    return std::move(stack_.front());
  }

 private:
  std::optional<std::string> Step(char32_t ch) {
    switch (ch) {
      case U'?': Push(Token(Kind::kAny)); return std::nullopt;
      case U'*': ParseStar(); return std::nullopt;
      case U'[': return ParseClass();
      case U'{': return OpenAlternates();
      case U'}': CloseAlternates(); return std::nullopt;
      case U',': ParseComma(); return std::nullopt;
      case U'\\': return ParseEscape();
      default: Push(Literal(ch)); return std::nullopt;
    }
  }

  std::optional<char32_t> Bump() {
    previous_ = current_;
    current_ = at_ < glob_.size() ? std::optional<char32_t>(glob_[at_++]) : std::nullopt;
    return current_;
  }
  std::optional<char32_t> Peek() const {
    return at_ < glob_.size() ? std::optional<char32_t>(glob_[at_]) : std::nullopt;
  }

  GlobTokens& Top() { return stack_.back(); }
  void Push(GlobToken token) { Top().push_back(std::move(token)); }
  bool InAlternates() const { return stack_.size() > 1; }

  void PushTwoStars() {
    Push(Token(Kind::kZeroOrMore));
    Push(Token(Kind::kZeroOrMore));
  }

  // `**` is recursive only as a whole path component (or a whole alternative); anywhere
  // else it is `*` twice.
  void ParseStar() {
    const std::optional<char32_t> before = previous_;
    if (Peek() != U'*') {
      Push(Token(Kind::kZeroOrMore));
      return;
    }
    Bump();
    if (Top().empty()) {
      if (Peek() && !IsSeparator(Peek())) {
        PushTwoStars();
      } else {
        Push(Token(Kind::kRecursivePrefix));
        Bump();
      }
      return;
    }
    if (!IsSeparator(before) && (!InAlternates() || (before != U',' && before != U'{'))) {
      PushTwoStars();
      return;
    }
    bool is_suffix = false;
    const std::optional<char32_t> next = Peek();
    if (!next) {
      Bump();
      is_suffix = true;
    } else if ((next == U',' || next == U'}') && InAlternates()) {
      is_suffix = true;
    } else if (IsSeparator(next)) {
      Bump();
    } else {
      PushTwoStars();
      return;
    }
    // The token before is the '/' that this `**` takes into itself, unless it is already a
    // recursive token (`**/**`), which stays what it was.
    const GlobToken last = Top().back();
    Top().pop_back();
    if (last.kind == Kind::kRecursivePrefix || last.kind == Kind::kRecursiveSuffix) {
      Push(last);
    } else {
      Push(Token(is_suffix ? Kind::kRecursiveSuffix : Kind::kRecursiveZeroOrMore));
    }
  }

  std::optional<std::string> ParseClass() {
    GlobToken token = Token(Kind::kClass);
    if (Peek() == U'!' || Peek() == U'^') {
      Bump();
      token.negated = true;
    }
    bool first = true;
    bool in_range = false;
    for (;;) {
      const std::optional<char32_t> ch = Bump();
      if (!ch) return std::string("unclosed character class; missing ']'");
      if (*ch == U']' && !first) break;
      if (*ch == U'-' && !first && !in_range) {
        in_range = true;
      } else if (in_range) {
        // The range's end is replaced, so "[a-b-c]" is a-c.
        auto& range = token.ranges.back();
        range.second = *ch;
        if (range.second < range.first) return InvalidRange(range.first, range.second);
        in_range = false;
      } else {
        token.ranges.emplace_back(*ch, *ch);
      }
      first = false;
    }
    if (in_range) token.ranges.emplace_back(U'-', U'-');
    Push(std::move(token));
    return std::nullopt;
  }

  static std::string InvalidRange(char32_t low, char32_t high) {
    std::string reason = "invalid range; '";
    AppendUtf8(reason, low);
    reason += "' > '";
    AppendUtf8(reason, high);
    return reason + "'";
  }

  std::optional<std::string> OpenAlternates() {
    if (InAlternates()) return std::string("nested alternate groups are not allowed");
    stack_.emplace_back();
    return std::nullopt;
  }

  // A '}' without '{' closes an empty group: it matches nothing and is no error.
  void CloseAlternates() {
    GlobToken token = Token(Kind::kAlternates);
    while (InAlternates()) {
      token.alternatives.push_back(std::move(stack_.back()));
      stack_.pop_back();
    }
    Push(std::move(token));
  }

  void ParseComma() {
    if (InAlternates()) {
      stack_.emplace_back();
    } else {
      Push(Literal(U','));
    }
  }

  std::optional<std::string> ParseEscape() {
    const std::optional<char32_t> ch = Bump();
    if (!ch) return std::string("dangling '\\'");
    Push(Literal(*ch));
    return std::nullopt;
  }

  std::u32string_view glob_;
  std::size_t at_ = 0;
  std::optional<char32_t> previous_;
  std::optional<char32_t> current_;
  std::vector<GlobTokens> stack_;
};

}  // namespace

std::variant<GlobTokens, std::string> ParseGlobTokens(std::u32string_view glob) { return Parser(glob).Parse(); }

}  // namespace vantrel
