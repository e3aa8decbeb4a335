#include "cli/list_occurrences.h"

#include <string>

#include "cli/occurrence_scan.h"
#include "engine/os/path_text.h"
#include "runs/messages.h"

namespace vantrel::cli {

FileResult ListOccurrencesInFile(const std::filesystem::path& path, const BatchContext& context) {
  FileResult result;
  const std::string name = vantrel::os::PathText(path);
  Result<vantrel::os::MappedFile> file = vantrel::os::MappedFile::Open(path);
  if (!file) {
    context.output.Error(name + ": " + file.error().message);
    result.failed = result.unreadable = true;
    return result;
  }
  context.progress.FileStarted();
  const auto n = static_cast<std::int64_t>(context.finder.size());
  const Result<void> scanned =
      ScanOccurrences(*file, context.finder, context.progress, [&](std::int64_t offset) -> std::optional<std::int64_t> {
        result.found = true;
        context.output.Result(name + ":" + messages::FormatOffset(offset));
        if (context.output.OutputClosed()) return std::nullopt;  // no one is reading any more
        return offset + n;
      });
  if (!scanned) {
    context.output.Error(name + ": " + scanned.error().message);
    result.failed = true;
  }
  context.progress.FileDone(file->length());
  return result;
}

}  // namespace vantrel::cli
