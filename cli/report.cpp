#include "cli/report.h"

#include <cstdio>

#include "cli/json_writer.h"
#include "platform/path_text.h"
#include "runs/messages.h"

namespace vantrel::cli {

using vantrel::os::PathText;

Report::Report(Output& output, ReportFormat format)
    : output_(output), format_(std::move(format)), start_(std::chrono::steady_clock::now()) {}

void Report::Match(const std::filesystem::path& path, const vantrel::Match& match, bool written) {
  output_.Result(format_.json ? JsonLine(path, match, written) : TextLine(path, match));
}

std::string Report::TextLine(const std::filesystem::path& path, const vantrel::Match& match) const {
  // With -0 the path ends with the one byte no name can hold, so any name can be taken back.
  std::string line = PathText(path) + (format_.null ? '\0' : ':') + messages::FormatOffset(match.offset);
  if (!format_.lines.empty()) line += ":" + std::to_string(format_.lines[match.pattern]);
  if (format_.context > 0) {
    line += ": ";
    if (!match.before.empty()) line += BytesToHexText(match.before) + " ";
    line += "[" + BytesToHexText(match.found) + "]";
    if (!match.after.empty()) line += " " + BytesToHexText(match.after);
  }
  return line;
}

std::string Report::JsonLine(const std::filesystem::path& path, const vantrel::Match& match, bool written) const {
  JsonWriter data;
  data.Data("path", PathText(path)).Integer("offset", match.offset);
  if (!format_.lines.empty()) data.Integer("line", static_cast<std::int64_t>(format_.lines[match.pattern]));
  data.String("found", BytesToHexText(match.found));
  if (format_.context > 0) data.String("before", BytesToHexText(match.before)).String("after", BytesToHexText(match.after));
  const std::string line = JsonWriter().String("type", written ? "write" : "occurrence").Object("data", data).Text();
  return line;
}

void Report::Failure(const std::filesystem::path& path, const std::string& reason) { PathAndReason("error", path, reason); }

void Report::Warning(const std::filesystem::path& path, const std::string& reason) { PathAndReason("warning", path, reason); }

void Report::PathAndReason(std::string_view type, const std::filesystem::path& path, const std::string& reason) {
  if (!format_.json) {
    output_.Error(PathText(path) + ": " + reason);
    return;
  }
  JsonWriter data;
  data.Data("path", PathText(path)).String("reason", reason);
  output_.Result(JsonWriter().String("type", std::string(type)).Object("data", data).Text());
}

void Report::Restored(const std::filesystem::path& file, const std::filesystem::path& backup) {
  if (!format_.json) {
    output_.Result(PathText(file));
    return;
  }
  JsonWriter data;
  data.Data("path", PathText(file)).Data("backup", PathText(backup));
  output_.Result(JsonWriter().String("type", "restore").Object("data", data).Text());
}

std::chrono::nanoseconds Report::Elapsed() const {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start_);
}

// The counts' lines, the seconds and the journal, after the results, on standard error.
void Report::StatsText(std::string counts, const std::optional<std::filesystem::path>& journal) {
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.3f", std::chrono::duration<double>(Elapsed()).count());
  output_.Flush();
  output_.Error(counts + seconds + " seconds" + (journal ? "\njournal: " + PathText(*journal) : std::string()));
}

void Report::Summary(const RunCounts& counts, const std::optional<std::filesystem::path>& journal) {
  if (format_.json) {
    JsonWriter data;
    data.Integer("files_searched", counts.files_searched)
        .Integer("files_with_pattern", counts.files_with_pattern)
        .Integer("occurrences", counts.occurrences)
        .Integer("writes", counts.writes)
        .Integer("bytes_searched", counts.bytes_searched)
        .Integer("failed", counts.failed)
        .Integer("elapsed_ns", Elapsed().count());
    if (journal) data.Data("journal", PathText(*journal));
    output_.Result(JsonWriter().String("type", "summary").Object("data", data).Text());
  }
  if (!format_.stats) return;
  StatsText(std::to_string(counts.files_searched) + " files searched\n" + std::to_string(counts.files_with_pattern) +
                " files with the pattern\n" + std::to_string(counts.occurrences) + " occurrences\n" +
                std::to_string(counts.writes) + " writes\n" + std::to_string(counts.bytes_searched) +
                " bytes searched\n" + std::to_string(counts.failed) + " files could not be read or written\n",
            journal);
}

void Report::Summary(const RestoreCounts& counts, const std::optional<std::filesystem::path>& journal) {
  if (format_.json) {
    JsonWriter data;
    data.Integer("backups", counts.backups)
        .Integer("put_back", counts.put_back)
        .Integer("left_alone", counts.left_alone)
        .Integer("failed", counts.failed)
        .Integer("elapsed_ns", Elapsed().count());
    if (journal) data.Data("journal", PathText(*journal));
    output_.Result(JsonWriter().String("type", "summary").Object("data", data).Text());
  }
  if (!format_.stats) return;
  StatsText(std::to_string(counts.backups) + " backups found\n" + std::to_string(counts.put_back) + " put back\n" +
                std::to_string(counts.left_alone) + " left alone: no journal records them\n" +
                std::to_string(counts.failed) + " could not be read or put back\n",
            journal);
}

}  // namespace vantrel::cli
