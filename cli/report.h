// What the command line writes of a run's results, in text or JSON Lines: a line per
// occurrence or write, a line per failure, and the counts at the end (--stats).
//   text:  PATH:0xOFFSET[:LINE][: BEFORE [FOUND] AFTER]     (LINE with a patch list, the
//          bytes around with -C; with -0 a NUL byte in place of the first ':') on standard
//          output; PATH: reason on standard error
//   JSON:  {"type":"occurrence"|"write"|"error"|"summary","data":{...}} on standard output
// A restore's lines: the path of each file put back on standard output, and for each backup
// left alone PATH: reason on standard error; in JSON "restore" (path, backup), "warning" and
// "error" (path, reason) and its own "summary".
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/output.h"
#include "runs/run_job.h"

namespace vantrel::cli {

struct ReportFormat {
  bool json = false;
  bool stats = false;
  bool null = false;                // -0: a NUL byte, not ':', ends the path of a text line
  std::size_t context = 0;          // -C: bytes shown before and after each occurrence
  std::vector<std::size_t> lines;   // a patch list's line of each pattern; empty without one
};

// The counts of --stats and of the JSON summary.
struct RunCounts {
  std::int64_t files_searched = 0;
  std::int64_t files_with_pattern = 0;
  std::int64_t occurrences = 0;
  std::int64_t writes = 0;
  std::int64_t bytes_searched = 0;
  std::int64_t failed = 0;  // files that could not be read or written, directories not listed
};

// The counts of a restore (--stats, the JSON summary).
struct RestoreCounts {
  std::int64_t backups = 0;     // names with the suffix met
  std::int64_t put_back = 0;    // put back in place of their files
  std::int64_t left_alone = 0;  // not recorded as this program's: passed over
  std::int64_t failed = 0;      // not put back, and folders that could not be listed
};

class Report {
 public:
  Report(Output& output, ReportFormat format);

  // An occurrence listed (kind "occurrence") or written ("write").
  void Match(const std::filesystem::path& path, const vantrel::Match& match, bool written);
  void Failure(const std::filesystem::path& path, const std::string& reason);
  // Something said of a path that is no failure (a backup passed over, one not removed).
  void Warning(const std::filesystem::path& path, const std::string& reason);
  // A file put back from its backup.
  void Restored(const std::filesystem::path& file, const std::filesystem::path& backup);
  // The counts, when asked for: on standard error as text, as the JSON summary; with the
  // path of the run's journal when it made one.
  void Summary(const RunCounts& counts, const std::optional<std::filesystem::path>& journal = std::nullopt);
  void Summary(const RestoreCounts& counts, const std::optional<std::filesystem::path>& journal = std::nullopt);

 private:
  std::string TextLine(const std::filesystem::path& path, const vantrel::Match& match) const;
  std::string JsonLine(const std::filesystem::path& path, const vantrel::Match& match, bool written) const;
  void PathAndReason(std::string_view type, const std::filesystem::path& path, const std::string& reason);
  std::chrono::nanoseconds Elapsed() const;
  void StatsText(std::string counts, const std::optional<std::filesystem::path>& journal);

  Output& output_;
  ReportFormat format_;
  std::chrono::steady_clock::time_point start_;
};

}  // namespace vantrel::cli
