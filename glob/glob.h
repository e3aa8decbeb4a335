// One --glob argument, read as ripgrep reads it: a line of gitignore syntax ('!' before it
// excludes, a trailing '/' matches directories only, a glob without '/' matches a name at
// any depth, one with '/' matches from the walk's root) over the glob syntax of
// glob_tokens.h, matched against paths relative to that root with '/' between components.
//
// Why our own matcher: fnmatch(3) has neither `**` nor `{a,b}` and mingw has no fnmatch, and
// Debian 12 packages no C or C++ library with gitignore's `**` and ripgrep's groups. Users
// read the rules in ripgrep's manual, so this follows globset's parser and the regular
// expression it builds; not through std::regex, which backtracks (exponential time, and deep
// recursion on long paths), but through a small automaton (glob_automaton.h).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "glob/glob_automaton.h"

namespace vantrel {

// Why a glob cannot be used, as one line for the user.
struct GlobError {
  std::string message;  // invalid glob 'a[b': unclosed character class; missing ']'
};

class Glob {
 public:
  // The glob of one argument; nothing for an argument that holds none (a '#' comment, or
  // only blanks), as in a gitignore file; the error for a malformed one. The argument is
  // UTF-8; ill-formed bytes stand for U+FFFD, as in ripgrep.
  static std::variant<std::optional<Glob>, GlobError> Parse(std::string_view argument);

  bool excludes() const { return excludes_; }
  bool directories_only() const { return directories_only_; }

  // Whether the glob matches the path (relative to the root, '/' between components, no
  // leading "./" and no trailing '/'), leaving aside whether it is a directory.
  bool Matches(std::string_view path) const;

 private:
  Glob() = default;

  GlobAutomaton automaton_;
  bool needs_file_name_ = false;  // globset compares the path's file name, see glob.cpp
  bool excludes_ = false;
  bool directories_only_ = false;
};

}  // namespace vantrel
