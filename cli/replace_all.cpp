#include "cli/replace_all.h"

#include <algorithm>
#include <optional>
#include <string>

#include "cli/occurrence_scan.h"
#include "engine/os/path_text.h"
#include "runs/careful_write.h"
#include "runs/messages.h"

namespace vantrel::cli {
namespace {

// The pass over one open file; the writer is opened, after the backup, at the first find.
class ReplacePass {
 public:
  ReplacePass(const std::filesystem::path& path, const BatchContext& context, FileResult& result)
      : path_(path), name_(vantrel::os::PathText(path)), context_(context), result_(result),
        advance_(static_cast<std::int64_t>(std::max(context.finder.size(), context.replacement.size()))) {}

  std::optional<std::int64_t> Replace(std::int64_t offset) {
    result_.found = true;
    if (!writer_ && !OpenWriter()) return std::nullopt;
    const WriteReport report = writer_->Replace(offset, context_.finder.pattern(), context_.replacement);
    if (report.outcome == WriteOutcome::kFailed) {
      Fail(report.error.message);
      return std::nullopt;
    }
    if (report.outcome == WriteOutcome::kChanged) {
      Fail("the bytes at " + messages::FormatOffset(offset) + " changed while the file was being patched; stopped there");
      return std::nullopt;
    }
    context_.output.Result(name_ + ":" + messages::FormatOffset(offset));
    return offset + advance_;
  }

  void Close() {
    if (!writer_) return;
    if (Result<void> closed = writer_->Close(); !closed) Fail(closed.error().message);
  }

  void Fail(const std::string& reason) {
    context_.output.Error(name_ + ": " + reason);
    result_.failed = true;
  }

 private:
  bool OpenWriter() {
    if (Result<void> ready = context_.backups.Before(path_); !ready) {
      Fail(ready.error().message);
      return false;
    }
    Result<CarefulWriter> opened = CarefulWriter::Open(path_);
    if (!opened) {
      Fail(opened.error().message);
      return false;
    }
    writer_.emplace(std::move(*opened));
    return true;
  }

  const std::filesystem::path& path_;
  const std::string name_;
  const BatchContext& context_;
  FileResult& result_;
  const std::int64_t advance_;
  std::optional<CarefulWriter> writer_;
};

}  // namespace

FileResult ReplaceAllInFile(const std::filesystem::path& path, const BatchContext& context) {
  FileResult result;
  ReplacePass pass(path, context, result);
  Result<vantrel::os::MappedFile> file = vantrel::os::MappedFile::Open(path);
  if (!file) {
    pass.Fail(file.error().message);
    result.unreadable = true;
    return result;
  }
  context.progress.FileStarted();
  const Result<void> scanned = ScanOccurrences(*file, context.finder, context.progress,
                                               [&pass](std::int64_t offset) { return pass.Replace(offset); });
  if (!scanned) pass.Fail(scanned.error().message);
  pass.Close();
  context.progress.FileDone(file->length());
  return result;
}

}  // namespace vantrel::cli
