// The restore of one backup (the run of RunMode::kRestore on a file whose name ends with the
// job's suffix): taken only when the job's records hold a backup of this program's made for
// its file, opened with no link followed (below the walk's tree, no link on the way either),
// checked to be whole (its size and CRC-32 as recorded), then put back in place of its file
// through the careful write and the run's journal, so that an interrupt part-way leaves the
// file as it was and --undo can undo the restore; removed last. The outcome says which step
// ended it (FileOutcome::Restore); the host words it.
#pragma once

#include <filesystem>

#include "runs/file_outcome.h"
#include "runs/run_host.h"
#include "runs/run_job.h"

namespace vantrel {

// The file a backup belongs to: its path without the suffix.
std::filesystem::path FileOfBackup(const std::filesystem::path& backup, const std::filesystem::path& suffix);

// backup: a name with the suffix; job.restore is set. FileStarted and FileDone bracket it.
FileOutcome RestoreBackup(const std::filesystem::path& backup, const RunJob& job, RunHost& host);

}  // namespace vantrel
