// A glob's tokens compiled to a small automaton over bytes, run by keeping the set of steps
// it may be at (a Thompson simulation): time grows with the path's length times the glob's,
// never exponentially, whatever mix of `*`, `**` and groups the glob holds. Its language is
// that of the regular expression globset builds from the same tokens: paths are bytes, a
// character of the glob stands for its UTF-8 bytes, and a class is a set of single bytes.
#pragma once

#include <bitset>
#include <cstdint>
#include <string_view>
#include <vector>

#include "glob/glob_tokens.h"

namespace vantrel {

class GlobAutomaton {
 public:
  // dot_matches_newline: whether the "anything" of the recursive tokens takes '\n' too
  // (ripgrep's glob library differs in that between its ways of matching, see glob.cpp).
  static GlobAutomaton Compile(const GlobTokens& tokens, bool dot_matches_newline);

  // Whether the whole path is in the language.
  bool Matches(std::string_view path) const;

 private:
  using ByteSet = std::bitset<256>;
  struct Step {
    enum class Kind : std::uint8_t { kByte, kSplit, kMatch };
    Kind kind = Kind::kMatch;
    ByteSet bytes;  // of kByte
    int next = -1;  // kByte: after the byte; kSplit: the first way
    int other = -1; // kSplit: the second way
  };
  class Builder;

  void AddReachable(int from, std::vector<int>& states, std::vector<std::size_t>& mark, std::size_t generation,
                    std::vector<int>& pending) const;

  std::vector<Step> steps_;
  int start_ = 0;
};

}  // namespace vantrel
