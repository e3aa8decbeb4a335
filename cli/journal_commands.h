// --undo and --recover: a run's journal read back to put its files back as they were. Each
// file put back is listed on standard output as PATH; a file left alone or that failed is
// one line "PATH: reason" on standard error. The exit status is 0 when every file the
// journal asked for was put back, 1 when there was nothing to put back, 2 when a file was
// left alone or failed, or the journal could not be used.
#pragma once

#include "cli/output.h"
#include "cli/run_description.h"

namespace vantrel::cli {

int UndoRun(const RunDescription& run, Output& output);
int RecoverRun(const RunDescription& run, Output& output);

}  // namespace vantrel::cli
