// Carries out a run description: checks the path, walks the tree or takes the one file,
// hands each file to the mode, and turns what happened into the exit status.
#pragma once

#include "cli/console.h"
#include "cli/run_description.h"

namespace vantrel::cli {

inline constexpr int kExitFound = 0;     // the pattern was found at least once
inline constexpr int kExitNotFound = 1;  // it was found nowhere
inline constexpr int kExitTrouble = 2;   // a usage error, or a file could not be read or written

int RunCommand(const RunDescription& run, Console& console);

}  // namespace vantrel::cli
