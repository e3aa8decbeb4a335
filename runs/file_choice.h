// Which files a tree run takes and which directories it enters: the glob set of -g/--glob
// and the depth limit of --max-depth, both as ripgrep has them. Depth counts components of
// the path relative to PATH: PATH itself is at depth 0, the entries directly in it at 1, so
// --max-depth 0 takes nothing below PATH and --max-depth 1 only the files directly in it.
// A file given as PATH itself is not judged here: it is always taken, as in ripgrep.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "glob/glob_set.h"
#include "platform/file_id.h"

namespace vantrel {

// An entry a walk passes over wherever it meets it, whatever the globs say: the program's own
// journals, whose old bytes hold the very pattern a run replaces. Known by its folder and its
// name rather than by itself, so that a journal the run makes only later is passed over too.
struct PassedOver {
  os::FileId folder;
  std::filesystem::path::string_type name;
};

struct FileChoice {
  GlobSet globs;
  std::optional<std::size_t> max_depth;  // none: no limit
  std::vector<PassedOver> passed_over;

  // True when every file is taken: no glob and no depth limit.
  bool TakesAll() const { return globs.empty() && !max_depth; }

  // relative_path: relative to PATH, '/' between components, as bytes.
  bool TakesFile(std::string_view relative_path) const;
  // As TakesFile; the empty path is PATH itself, entered unless the depth limit is 0.
  bool EntersDirectory(std::string_view relative_path) const;
};

}  // namespace vantrel
