// The --glob arguments of a tree run, in command-line order, as ripgrep's overrides apply
// them: of the globs that match a path, the last one decides (an including glob takes it,
// a '!' glob leaves it out); when none matches, a file is left out if any including glob
// exists, and a directory is entered. A directory left out is not entered, so nothing
// below it is taken, whatever a later glob says about the files inside.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "glob/glob.h"

namespace vantrel {

class GlobSet {
 public:
  // The set without globs: it takes every file and enters every directory.
  GlobSet() = default;

  // The set of the arguments of -g/--glob, or the first malformed one's error.
  static std::variant<GlobSet, GlobError> Build(std::span<const std::string> arguments);

  // Paths are relative to the walk's root, with '/' between components, as bytes.
  bool TakesFile(std::string_view relative_path) const;
  bool empty() const { return globs_.empty(); }
  bool EntersDirectory(std::string_view relative_path) const;

 private:
  enum class Verdict { kUnmatched, kIncluded, kExcluded };
  Verdict Judge(std::string_view path, bool is_directory) const;

  std::vector<Glob> globs_;
  bool has_including_glob_ = false;
};

}  // namespace vantrel
