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

void Report::Failure(const std::filesystem::path& path, const std::string& reason) {
  if (!format_.json) {
    output_.Error(PathText(path) + ": " + reason);
    return;
  }
  JsonWriter data;
  data.Data("path", PathText(path)).String("reason", reason);
  output_.Result(JsonWriter().String("type", "error").Object("data", data).Text());
}

void Report::Summary(const RunCounts& counts, const std::optional<std::filesystem::path>& journal) {
  const auto elapsed = std::chrono::steady_clock::now() - start_;
  if (format_.json) {
    JsonWriter data;
    data.Integer("files_searched", counts.files_searched)
        .Integer("files_with_pattern", counts.files_with_pattern)
        .Integer("occurrences", counts.occurrences)
        .Integer("writes", counts.writes)
        .Integer("bytes_searched", counts.bytes_searched)
        .Integer("failed", counts.failed)
        .Integer("elapsed_ns", std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count());
    if (journal) data.Data("journal", PathText(*journal));
    output_.Result(JsonWriter().String("type", "summary").Object("data", data).Text());
  }
  if (!format_.stats) return;
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.3f", std::chrono::duration<double>(elapsed).count());
  output_.Flush();
  output_.Error(std::to_string(counts.files_searched) + " files searched\n" + std::to_string(counts.files_with_pattern) +
                " files with the pattern\n" + std::to_string(counts.occurrences) + " occurrences\n" +
                std::to_string(counts.writes) + " writes\n" + std::to_string(counts.bytes_searched) +
                " bytes searched\n" + std::to_string(counts.failed) + " files could not be read or written\n" +
                seconds + " seconds" + (journal ? "\njournal: " + PathText(*journal) : std::string()));
}

}  // namespace vantrel::cli
