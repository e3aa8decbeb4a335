// The part every run on one file shares: open the file, search it with the job's finder
// through the engine's occurrence loop, and hand each occurrence to the run, with the
// bytes the job asks to report, and the run says where to go on. A file met before in the
// walk is passed over as soon as it is open: nothing of it is searched.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>

#include "runs/file_outcome.h"
#include "runs/files_met.h"
#include "runs/run_host.h"
#include "runs/run_job.h"

namespace vantrel {

// Given an occurrence: where to search on, or nothing to stop.
using OnOccurrence = std::function<std::optional<std::int64_t>(Match& match)>;

// Fills outcome.searched, and outcome.failure/error with kRead when the file cannot be
// opened or read, and outcome.met_before; the rest is the run's.
void ScanFile(const std::filesystem::path& path, const RunJob& job, RunHost& host, const FileRunContext& context,
              FileOutcome& outcome, const OnOccurrence& on_occurrence);

}  // namespace vantrel
