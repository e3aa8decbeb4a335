// The search of one file for --yes and --dry-run: the file is opened once and read front
// to back, in steps so that the progress line moves during a long file, and every
// occurrence goes to a sink that says where to search on, or to stop.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "cli/progress.h"
#include "engine/os/mapped_file.h"
#include "engine/pattern_finder.h"
#include "engine/result.h"

namespace vantrel::cli {

// Given the offset of an occurrence: the offset to search on from, or nothing to stop.
using OccurrenceSink = std::function<std::optional<std::int64_t>(std::int64_t offset)>;

// An error when a part of the file cannot be mapped.
Result<void> ScanOccurrences(const vantrel::os::MappedFile& file, const PatternFinder& finder, Progress& progress,
                             const OccurrenceSink& sink);

}  // namespace vantrel::cli
