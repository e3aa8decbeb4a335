// The journal under a command-line run that writes: made in the state folder (or where
// --journal says), named by the run's start time, told of the files unfinished runs caught in
// the middle so that it refuses them, and finished at the run's end. --no-journal runs
// without one, and refuses to start while an unfinished run waits for its recovery, since
// without a journal it cannot tell that run's files.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>

#include "cli/output.h"
#include "cli/run_description.h"
#include "runs/journal.h"

namespace vantrel::cli {

struct RunJournal {
  std::unique_ptr<Journal> journal;  // nothing with --no-journal
  std::optional<int> refused;        // the exit status when the run must not start
};

RunJournal MakeRunJournal(const RunDescription& run, Output& output);

// The run's end in its journal; false, with a line said, when it could not be written.
bool FinishJournal(RunJournal& journal, Output& output);

// The journal's path as --stats and the JSON summary give it, once the run made it.
std::optional<std::filesystem::path> MadeJournal(const RunJournal& journal);

}  // namespace vantrel::cli
