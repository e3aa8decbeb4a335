// The walk of a directory tree: depth first, in the order the file system lists each
// directory, a subdirectory entered as soon as it is met. A directory reached again through
// a link, junction or mount is not walked twice, so every walk ends; a file reached again
// through a link or a second hard link is not visited twice (where the listing identifies
// files: on POSIX), so no file is patched twice in one walk.
#pragma once

#include <filesystem>
#include <functional>

#include "engine/result.h"
#include "runs/run_host.h"

namespace vantrel {

struct WalkVisitor {
  // Called for every entry that is not a directory (files, and links to files).
  std::function<void(const std::filesystem::path&)> on_file;
  // Called for a directory that cannot be listed; the walk goes on with its siblings.
  std::function<void(const std::filesystem::path&, const SystemError&)> on_unlistable;
};

void WalkDirectory(const std::filesystem::path& dir, const WalkVisitor& visitor);

// The dialog's walk: ReplaceInFile in quiet mode on every file below dir.
void WalkDirectory(const std::filesystem::path& dir, RunHost& host);

}  // namespace vantrel
