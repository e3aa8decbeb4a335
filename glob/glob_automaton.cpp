// Compilation goes from the last token to the first, so every step is made knowing where
// it leads; the regular expression each token stands for in globset is in its comment.
#include "glob/glob_automaton.h"

#include "text/utf8.h"

namespace vantrel {

class GlobAutomaton::Builder {
 public:
  explicit Builder(bool dot_matches_newline) {
    not_separator_.set();
    not_separator_.reset('/');
    dot_.set();
    if (!dot_matches_newline) dot_.reset('\n');
  }

  GlobAutomaton Build(const GlobTokens& tokens) {
    const int match = Add(Step{});
    GlobAutomaton automaton;
    // The whole glob `**` is `.*`, in globset as here.
    if (tokens.size() == 1 && tokens[0].kind == GlobToken::Kind::kRecursivePrefix) {
      automaton.start_ = Repeat(dot_, match);
    } else {
      automaton.start_ = Sequence(tokens, match);
    }
    automaton.steps_ = std::move(steps_);
    return automaton;
  }

 private:
  int Add(Step step) {
    steps_.push_back(step);
    return static_cast<int>(steps_.size()) - 1;
  }
  int Byte(const ByteSet& bytes, int next) {
    Step step;
    step.kind = Step::Kind::kByte;
    step.bytes = bytes;
    step.next = next;
    return Add(step);
  }
  int Byte(char byte, int next) {
    ByteSet bytes;
    bytes.set(static_cast<unsigned char>(byte));
    return Byte(bytes, next);
  }
  int Split(int first, int second) {
    Step step;
    step.kind = Step::Kind::kSplit;
    step.next = first;
    step.other = second;
    return Add(step);
  }

  // bytes* then next
  int Repeat(const ByteSet& bytes, int next) {
    const int loop = Split(-1, next);
    const int byte = Byte(bytes, loop);
    steps_[loop].next = byte;
    return loop;
  }

  int Sequence(const GlobTokens& tokens, int next) {
    for (auto token = tokens.rbegin(); token != tokens.rend(); ++token) next = Single(*token, next);
    return next;
  }

  int Single(const GlobToken& token, int next) {
    using Kind = GlobToken::Kind;
    switch (token.kind) {
      case Kind::kLiteral: return Literal(token.literal, next);
      case Kind::kAny: return Byte(not_separator_, next);                   // [^/]
      case Kind::kZeroOrMore: return Repeat(not_separator_, next);          // [^/]*
      case Kind::kRecursivePrefix: return Split(next, AnyFoldersThenSlash(next));  // (?:/?|.*/)
      case Kind::kRecursiveSuffix: return Byte('/', Repeat(dot_, next));  // /.*
      case Kind::kRecursiveZeroOrMore:                                      // (?:/|/.*/)
        return Byte('/', Split(next, AnyFoldersThenSlash(next)));
      case Kind::kClass: return Byte(ClassBytes(token), next);
      case Kind::kAlternates: return Alternates(token, next);
    }
    return next;
  }

  // .*/ — "/?" is within it, as ".*" may be empty.
  int AnyFoldersThenSlash(int next) { return Repeat(dot_, Byte('/', next)); }

  int Literal(char32_t ch, int next) {
    std::string bytes;
    AppendUtf8(bytes, ch);
    for (auto byte = bytes.rbegin(); byte != bytes.rend(); ++byte) next = Byte(*byte, next);
    return next;
  }

  // globset writes each end of a range as its escaped UTF-8 bytes inside one byte class, so
  // "[é]" is the set {0xC3, 0xA9} and a range "a-é" is 'a'..0xC3 plus 0xA9: the bytes before
  // the last of the low end and after the first of the high end stand alone.
  static ByteSet ClassBytes(const GlobToken& token) {
    ByteSet bytes;
    for (const auto& [low, high] : token.ranges) {
      std::string low_bytes;
      std::string high_bytes;
      AppendUtf8(low_bytes, low);
      AppendUtf8(high_bytes, high);
      if (low == high) {
        for (char byte : low_bytes) bytes.set(static_cast<unsigned char>(byte));
        continue;
      }
      for (std::size_t i = 0; i + 1 < low_bytes.size(); ++i) bytes.set(static_cast<unsigned char>(low_bytes[i]));
      const auto first = static_cast<unsigned char>(low_bytes.back());
      const auto last = static_cast<unsigned char>(high_bytes.front());
      for (unsigned byte = first; byte <= last; ++byte) bytes.set(byte);
      for (std::size_t i = 1; i < high_bytes.size(); ++i) bytes.set(static_cast<unsigned char>(high_bytes[i]));
    }
    if (token.negated) bytes.flip();
    return bytes;
  }

  // globset leaves out the empty alternatives, so "x{a,}" takes "xa" and not "x", and an
  // alternation with none left matches the empty string.
  int Alternates(const GlobToken& token, int next) {
    std::vector<int> entries;
    for (const GlobTokens& alternative : token.alternatives) {
      if (!alternative.empty()) entries.push_back(Sequence(alternative, next));
    }
    if (entries.empty()) return next;
    int entry = entries.back();
    for (auto it = entries.rbegin() + 1; it != entries.rend(); ++it) entry = Split(*it, entry);
    return entry;
  }

  std::vector<Step> steps_;
  ByteSet not_separator_;
  ByteSet dot_;
};

GlobAutomaton GlobAutomaton::Compile(const GlobTokens& tokens, bool dot_matches_newline) {
  return Builder(dot_matches_newline).Build(tokens);
}

bool GlobAutomaton::Matches(std::string_view path) const {
  std::vector<std::size_t> mark(steps_.size(), 0);  // the generation a step was last added in
  std::vector<int> pending;
  std::vector<int> current;
  std::vector<int> next;
  std::size_t generation = 1;
  AddReachable(start_, current, mark, generation, pending);
  for (char ch : path) {
    const auto byte = static_cast<unsigned char>(ch);
    ++generation;
    next.clear();
    for (int state : current) {
      const Step& step = steps_[state];
      if (step.kind == Step::Kind::kByte && step.bytes.test(byte)) AddReachable(step.next, next, mark, generation, pending);
    }
    if (next.empty()) return false;
    current.swap(next);
  }
  for (int state : current) {
    if (steps_[state].kind == Step::Kind::kMatch) return true;
  }
  return false;
}

// Adds the steps reachable from `from` without reading a byte: the byte steps and the match.
void GlobAutomaton::AddReachable(int from, std::vector<int>& states, std::vector<std::size_t>& mark,
                                 std::size_t generation, std::vector<int>& pending) const {
  pending.push_back(from);
  while (!pending.empty()) {
    const int state = pending.back();
    pending.pop_back();
    if (mark[state] == generation) continue;
    mark[state] = generation;
    const Step& step = steps_[state];
    if (step.kind == Step::Kind::kSplit) {
      pending.push_back(step.other);
      pending.push_back(step.next);
    } else {
      states.push_back(state);
    }
  }
}

}  // namespace vantrel
