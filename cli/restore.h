// --restore: the undo of a run with --backup. Every backup below PATH (a file whose name is
// its file's name and the suffix) is put back in place of its file, with its bytes, its length
// and its modification time, and then removed; each file put back is one line, its path.
// PATH may also be one file, whose backup is then PATH and the suffix.
#pragma once

#include "cli/output.h"
#include "cli/run_description.h"

namespace vantrel::cli {

// The exit status: 0 when a backup was put back, 1 when there was none, 2 on a failure.
int RestoreBackups(const RunDescription& run, bool walk, Output& output);

}  // namespace vantrel::cli
