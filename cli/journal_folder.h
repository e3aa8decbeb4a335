// The journals of the command line's runs in the state folder: one file per run, named by
// the run's start time so that the names sort as the runs started, the newest last.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_id.h"
#include "platform/result.h"

namespace vantrel::cli {

// "2026-12-09_23-45-12.123456789.journal", in UTC.
std::string JournalName(std::chrono::system_clock::time_point start);

// The journals in folder, oldest first; none when the folder does not exist.
std::vector<std::filesystem::path> ListJournals(const std::filesystem::path& folder);

// A journal whose run died (no live run holds its lock, and it has no end), with the files it
// caught in the middle of their writes.
struct UnfinishedRun {
  std::filesystem::path journal;
  std::vector<vantrel::os::FileId> caught;
};

// The unfinished runs among the journals in folder, oldest first.
std::vector<UnfinishedRun> FindUnfinished(const std::filesystem::path& folder);

// Whether one journal is unfinished: nothing when it is not, or cannot be read.
std::optional<UnfinishedRun> Unfinished(const std::filesystem::path& journal);

}  // namespace vantrel::cli
