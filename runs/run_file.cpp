#include "runs/run_file.h"

#include <algorithm>
#include <vector>

#include "engine/os/path_text.h"
#include "runs/careful_write.h"
#include "runs/file_scan.h"
#include "runs/messages.h"

namespace vantrel {
namespace {

using Failure = FileOutcome::Failure;

void Fail(FileOutcome& outcome, Failure failure, SystemError error = {}) {
  outcome.failure = failure;
  outcome.error = std::move(error);
}

// The first occurrence, searched from the start of the file; -1 when there is none or the
// file could not be read (outcome says which).
std::int64_t FindFirst(const std::filesystem::path& path, const RunJob& job, RunHost& host, const FileRunContext& context,
                       FileOutcome& outcome) {
  std::int64_t first = -1;
  ScanFile(path, job, host, context, outcome, [&first](std::int64_t offset) -> std::optional<std::int64_t> {
    first = offset;
    return std::nullopt;
  });
  return first;
}

// One write of the ask run, with its own open and checked close; false when the run ends.
bool AskedWrite(const std::filesystem::path& path, std::int64_t offset, const RunJob& job, RunHost& host,
                FileOutcome& outcome) {
  Result<void> ready = host.BeforeWrite(path);
  Result<WriteOutcome> write = ready ? WriteIfUnchanged(path, offset, job.finder.pattern(), *job.replacement)
                                     : Result<WriteOutcome>(ready.error());
  if (!write) {
    host.Prompt(messages::kWriteFailed, PromptKind::kWarning);
    Fail(outcome, Failure::kWrite, write.error());
    return false;
  }
  if (*write == WriteOutcome::kChanged) {
    host.Prompt(messages::kFileChanged, PromptKind::kWarning);
    Fail(outcome, Failure::kChanged);
    outcome.changed_at = offset;
    return false;
  }
  ++outcome.written;
  host.Written(path, offset);
  return true;
}

void AskLoop(const std::filesystem::path& path, bool quiet, const RunJob& job, RunHost& host, FileRunContext context,
             FileOutcome& outcome) {
  const std::string path_text = os::PathText(path);
  for (;;) {
    // A pattern of zero bytes (a lone digit in the box) is nothing to find: searching for it
    // would "find" offset 0 of every file and write the replacement there.
    const std::int64_t r = job.finder.size() == 0 ? -1 : FindFirst(path, job, host, context, outcome);
    context.met = nullptr;  // later searches are of the file already met
    if (outcome.met_before) return;
    if (outcome.failure == Failure::kRead) {
      if (!quiet) host.Prompt(messages::kOpenFailed, PromptKind::kWarning);
      return;
    }
    if (r < 0) {
      if (!quiet) host.Prompt(messages::kNotFound, PromptKind::kInformation);
      return;
    }
    ++outcome.found;
    if (!job.replacement) {
      host.Prompt(messages::Found(path_text, r, false), PromptKind::kOkQuestion);
      return;
    }
    if (job.ask && !host.Prompt(messages::Found(path_text, r, true), PromptKind::kYesNo)) return;
    if (!AskedWrite(path, r, job, host, outcome)) return;
    if (!host.Prompt(messages::kReplacedGoOn, PromptKind::kYesNo)) return;
  }
}

// The writes of a replace-all pass: the writer is opened, after the host's preparation, at
// the first occurrence; the writes are reported once the close has confirmed them.
class ReplacePass {
 public:
  ReplacePass(const std::filesystem::path& path, const RunJob& job, RunHost& host, FileOutcome& outcome)
      : path_(path), job_(job), host_(host), outcome_(outcome),
        advance_(static_cast<std::int64_t>(std::max({job.finder.size(), job.replacement->size(), std::size_t{1}}))) {}

  std::optional<std::int64_t> Replace(std::int64_t offset) {
    ++outcome_.found;
    if (!writer_ && !OpenWriter()) return std::nullopt;
    Result<WriteOutcome> write = writer_->Replace(offset, job_.finder.pattern(), *job_.replacement);
    if (!write) {
      Fail(outcome_, Failure::kWrite, write.error());
      return std::nullopt;
    }
    if (*write == WriteOutcome::kChanged) {
      Fail(outcome_, Failure::kChanged);
      outcome_.changed_at = offset;
      return std::nullopt;
    }
    written_.push_back(offset);
    return offset + advance_;
  }

  // Closes the writer; a close that fails undoes every write, so none is reported.
  void Finish() {
    if (!writer_) return;
    if (Result<void> closed = writer_->Close(); !closed) {
      Fail(outcome_, Failure::kWrite, closed.error());
      written_.clear();
    }
    outcome_.written = static_cast<std::int64_t>(written_.size());
    for (std::int64_t offset : written_) host_.Written(path_, offset);
  }

 private:
  bool OpenWriter() {
    Result<void> ready = host_.BeforeWrite(path_);
    Result<CarefulWriter> opened = ready ? CarefulWriter::Open(path_) : Result<CarefulWriter>(ready.error());
    if (!opened) {
      Fail(outcome_, Failure::kWrite, opened.error());
      return false;
    }
    writer_.emplace(std::move(*opened));
    return true;
  }

  const std::filesystem::path& path_;
  const RunJob& job_;
  RunHost& host_;
  FileOutcome& outcome_;
  const std::int64_t advance_;
  std::optional<CarefulWriter> writer_;
  std::vector<std::int64_t> written_;
};

}  // namespace

FileOutcome ReplaceInFile(const std::filesystem::path& path, bool quiet, const RunJob& job, RunHost& host,
                          const FileRunContext& context) {
  FileOutcome outcome;
  host.FileStarted(path);
  AskLoop(path, quiet, job, host, context, outcome);
  host.FileDone(path, outcome);
  return outcome;
}

FileOutcome ReplaceAllInFile(const std::filesystem::path& path, const RunJob& job, RunHost& host, const FileRunContext& context) {
  FileOutcome outcome;
  host.FileStarted(path);
  if (job.replacement) {
    ReplacePass pass(path, job, host, outcome);
    ScanFile(path, job, host, context, outcome, [&pass](std::int64_t offset) { return pass.Replace(offset); });
    pass.Finish();
  }
  host.FileDone(path, outcome);
  return outcome;
}

FileOutcome ListInFile(const std::filesystem::path& path, const RunJob& job, RunHost& host, const FileRunContext& context) {
  FileOutcome outcome;
  host.FileStarted(path);
  const auto advance = static_cast<std::int64_t>(std::max<std::size_t>(job.finder.size(), 1));
  ScanFile(path, job, host, context, outcome, [&](std::int64_t offset) -> std::optional<std::int64_t> {
    ++outcome.found;
    host.Listed(path, offset);
    if (host.Stopped()) return std::nullopt;
    return offset + advance;
  });
  host.FileDone(path, outcome);
  return outcome;
}

FileOutcome RunOnFile(RunMode mode, const std::filesystem::path& path, bool quiet, const RunJob& job, RunHost& host,
                      const FileRunContext& context) {
  switch (mode) {
    case RunMode::kReplaceAll: return ReplaceAllInFile(path, job, host, context);
    case RunMode::kList: return ListInFile(path, job, host, context);
    case RunMode::kAsk: break;
  }
  return ReplaceInFile(path, quiet, job, host, context);
}

}  // namespace vantrel
