// What the two batch modes (--yes and --dry-run) share for each file: the prepared pattern,
// the replacement, the backups and the output, and what they report of a file.
#pragma once

#include <cstdint>
#include <span>

#include "cli/backups.h"
#include "cli/output.h"
#include "cli/progress.h"
#include "engine/pattern_finder.h"

namespace vantrel::cli {

struct BatchContext {
  const PatternFinder& finder;                // prepared once for the whole run
  std::span<const std::uint8_t> replacement;  // --yes only
  Backups& backups;
  Output& output;
  Progress& progress;
};

struct FileResult {
  bool found = false;       // the pattern occurs in the file
  bool failed = false;      // the file could not be read or written (reported already)
  bool unreadable = false;  // it could not even be opened
};

}  // namespace vantrel::cli
