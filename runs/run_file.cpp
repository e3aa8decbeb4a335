#include "runs/run_file.h"

#include <algorithm>
#include <vector>

#include "platform/path_text.h"
#include "runs/backup_restorer.h"
#include "runs/careful_write.h"
#include "runs/file_finisher.h"
#include "runs/file_scan.h"
#include "runs/messages.h"

namespace vantrel {
namespace {

using Failure = FileOutcome::Failure;

void Fail(FileOutcome& outcome, Failure failure, SystemError error = {}) {
  outcome.failure = failure;
  outcome.error = std::move(error);
}

// How far behind an occurrence a pass goes on: behind the pattern found, and behind its
// replacement when writing, so a replacement that holds the pattern is not found again.
std::int64_t Advance(const RunJob& job, const Match& match, bool writing) {
  std::size_t length = std::max<std::size_t>(job.pattern(match.pattern).size(), 1);
  if (writing) length = std::max(length, (*job.replacements)[match.pattern].size());
  return match.offset + static_cast<std::int64_t>(length);
}

// The first occurrence, searched from the start of the file; nothing when there is none or
// the file could not be read (outcome says which).
std::optional<Match> FindFirst(const std::filesystem::path& path, const RunJob& job, RunHost& host,
                               const FileRunContext& context, FileOutcome& outcome) {
  std::optional<Match> first;
  ScanFile(path, job, host, context, outcome, [&first](Match& match) -> std::optional<std::int64_t> {
    first = std::move(match);
    return std::nullopt;
  });
  return first;
}

// One write of the ask run, with its own open and checked close; false when the run ends.
bool AskedWrite(const std::filesystem::path& path, Match& match, const RunJob& job, RunHost& host,
                FileOutcome& outcome) {
  Result<void> ready = host.BeforeWrite(path, job.tree);
  Result<WriteOutcome> write =
      ready ? WriteIfUnchanged(path, match.offset, job.pattern(match.pattern), (*job.replacements)[match.pattern],
                               WriteOptions{job.keep_mtime, job.journal, job.tree}, &match.found)
            : Result<WriteOutcome>(ready.error());
  if (!write) {
    host.Prompt(messages::kWriteFailed, PromptKind::kWarning);
    Fail(outcome, Failure::kWrite, write.error());
    return false;
  }
  if (*write == WriteOutcome::kChanged) {
    host.Prompt(messages::kFileChanged, PromptKind::kWarning);
    Fail(outcome, Failure::kChanged);
    outcome.changed_at = match.offset;
    return false;
  }
  ++outcome.written;
  host.Written(path, match);
  return true;
}

// The last write of an asking run, to tell a question that only comes back because of it.
struct LastWrite {
  std::int64_t offset = 0;
  std::size_t pattern = 0;
  std::int64_t end = 0;  // where the replacement ends
  bool grew = false;     // the replacement reached past the end of the file
};

// Why the next question must not be asked of answers no one sees, if it must not.
std::optional<AskStop> Repeats(const std::optional<LastWrite>& last, const Match& next) {
  if (!last) return std::nullopt;
  if (next.offset == last->offset && next.pattern == last->pattern) return AskStop::kPatternKept;
  if (last->grew && next.offset < last->end) return AskStop::kFileGrows;
  return std::nullopt;
}

void AskLoop(const std::filesystem::path& path, bool quiet, const RunJob& job, RunHost& host, FileRunContext context,
             FileOutcome& outcome) {
  const std::string path_text = os::PathText(path);
  // Answers from a pipe (yes | vantrel ...) cannot see that a write brings its question back,
  // and would write the same bytes, or grow the file by a byte, for ever.
  const bool answers_seen = host.AnswersAreSeen();
  std::optional<LastWrite> last;
  for (;;) {
    if (host.Interrupted()) return;
    // A pattern of no bytes (a lone digit in the box) is nothing to find: searching for it
    // would "find" offset 0 of every file and write the replacement there.
    std::optional<Match> match = job.finder ? FindFirst(path, job, host, context, outcome) : std::nullopt;
    context.met = nullptr;  // later searches are of the file already met
    if (outcome.met_before) return;
    if (outcome.failure == Failure::kRead) {
      if (!quiet) host.Prompt(messages::kOpenFailed, PromptKind::kWarning);
      return;
    }
    if (!match) {
      if (!quiet) host.Prompt(messages::kNotFound, PromptKind::kInformation);
      return;
    }
    if (const std::optional<AskStop> stop = answers_seen ? std::nullopt : Repeats(last, *match)) {
      host.StoppedAsking(path, *stop, match->offset);
      return;
    }
    ++outcome.found;
    if (!job.replacements) {
      host.Prompt(messages::Found(path_text, match->offset, false), PromptKind::kOkQuestion);
      return;
    }
    if (job.ask && !host.Prompt(messages::Found(path_text, match->offset, true), PromptKind::kYesNo)) return;
    const std::int64_t searched = outcome.searched;
    if (!AskedWrite(path, *match, job, host, outcome)) return;
    const auto end = match->offset + static_cast<std::int64_t>((*job.replacements)[match->pattern].size());
    last = LastWrite{match->offset, match->pattern, end, end > searched};
    if (!host.Prompt(messages::kReplacedGoOn, PromptKind::kYesNo)) return;
  }
}

// Writes taken by a writer and not yet reported, in a few bytes each: a batch of a dense
// pattern holds a million of them.
class TakenWrites {
 public:
  void Add(const Match& match) {
    taken_.push_back({match.offset, static_cast<std::uint32_t>(match.pattern), static_cast<std::uint32_t>(match.found.size())});
    found_.insert(found_.end(), match.found.begin(), match.found.end());
  }
  // They reached the file: each is told to the host, and they are forgotten.
  void Report(const std::filesystem::path& path, RunHost& host, FileOutcome& outcome) {
    outcome.written += static_cast<std::int64_t>(taken_.size());
    Match match;
    auto found = found_.begin();
    for (const Taken& taken : taken_) {
      match.offset = taken.offset;
      match.pattern = taken.pattern;
      match.found.assign(found, found + taken.found_size);
      found += taken.found_size;
      host.Written(path, match);
    }
    Clear();
  }
  void Clear() {
    taken_.clear();
    found_.clear();
  }

 private:
  struct Taken {
    std::int64_t offset;
    std::uint32_t pattern;
    std::uint32_t found_size;  // its bytes found follow the ones before it in found_
  };
  std::vector<Taken> taken_;
  Bytes found_;
};

// The writer put the file back: nothing of this run is left in it.
void GaveUp(FileOutcome& outcome, Failure failure, SystemError error = {}) {
  Fail(outcome, failure, std::move(error));
  outcome.put_back = outcome.written > 0;
  outcome.written = 0;
}

// The writes of a replace-all pass: the writer is opened, after the host's preparation, at
// the first occurrence. The file's writes are all or nothing: a failure, a changed byte or an
// interrupt puts every one of them back. Writes are reported once their batch reached the
// file, so that memory does not grow with the occurrences; a small file's are reported once
// the file is kept, in one batch.
class ReplacePass {
 public:
  ReplacePass(const std::filesystem::path& path, const RunJob& job, RunHost& host, FileOutcome& outcome,
              FileFinisher* finisher)
      : path_(path), job_(job), host_(host), outcome_(outcome), finisher_(finisher) {}

  std::optional<std::int64_t> Replace(Match& match) {
    if (host_.Interrupted()) return std::nullopt;  // Finish puts the file back
    ++outcome_.found;
    if (!writer_ && !OpenWriter()) return std::nullopt;
    Result<WriteOutcome> write = writer_->Replace(match.offset, job_.pattern(match.pattern),
                                                  (*job_.replacements)[match.pattern], &match.found);
    if (!write) {
      GiveUp(Failure::kWrite, write.error());
      return std::nullopt;
    }
    if (*write == WriteOutcome::kChanged) {
      writer_->PutBack();
      GiveUp(Failure::kChanged);
      outcome_.changed_at = match.offset;
      return std::nullopt;
    }
    const std::int64_t next = Advance(job_, match, true);
    taken_.Add(match);
    if (writer_->AllWritten()) taken_.Report(path_, host_, outcome_);
    return next;
  }

  // Closes the writer, and the file is kept; or, when the run was interrupted before the
  // file's last write, puts it back. True when the file went to the finisher instead, which
  // tells its writes and its end once it is finished.
  bool Finish() {
    if (!writer_ || outcome_.failed()) return false;
    if (host_.Interrupted()) {
      writer_->PutBack();
      GiveUp(Failure::kInterrupted);
      return false;
    }
    if (finisher_ != nullptr && writer_->CanShareFlush()) {
      finisher_->Hand(std::move(*writer_), [path = path_, &host = host_, outcome = outcome_,
                                            taken = std::move(taken_)](Result<void> closed) mutable {
        if (closed) taken.Report(path, host, outcome);
        else GaveUp(outcome, Failure::kWrite, closed.error());
        host.FileDone(path, outcome);
      });
      writer_.reset();
      return true;
    }
    if (Result<void> closed = writer_->Close(); !closed) {
      GiveUp(Failure::kWrite, closed.error());
      return false;
    }
    taken_.Report(path_, host_, outcome_);
    return false;
  }

 private:
  bool OpenWriter() {
    Result<void> ready = host_.BeforeWrite(path_, job_.tree);
    Result<CarefulWriter> opened = ready ? CarefulWriter::Open(path_, WriteOptions{job_.keep_mtime, job_.journal, job_.tree})
                                         : Result<CarefulWriter>(ready.error());
    if (!opened) {
      Fail(outcome_, Failure::kWrite, opened.error());
      return false;
    }
    writer_.emplace(std::move(*opened));
    return true;
  }

  void GiveUp(Failure failure, SystemError error = {}) {
    taken_.Clear();
    GaveUp(outcome_, failure, std::move(error));
  }

  const std::filesystem::path& path_;
  const RunJob& job_;
  RunHost& host_;
  FileOutcome& outcome_;
  FileFinisher* finisher_;
  std::optional<CarefulWriter> writer_;
  TakenWrites taken_;
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

FileOutcome ReplaceAllInFile(const std::filesystem::path& path, const RunJob& job, RunHost& host,
                             const FileRunContext& context) {
  FileOutcome outcome;
  host.FileStarted(path);
  if (job.finder && job.replacements) {
    ReplacePass pass(path, job, host, outcome, context.finisher);
    ScanFile(path, job, host, context, outcome, [&pass](Match& match) { return pass.Replace(match); });
    // A file handed to the finisher is told of when it is finished, its end included.
    if (pass.Finish()) return outcome;
  }
  host.FileDone(path, outcome);
  return outcome;
}

FileOutcome ListInFile(const std::filesystem::path& path, const RunJob& job, RunHost& host,
                       const FileRunContext& context) {
  FileOutcome outcome;
  host.FileStarted(path);
  if (job.finder) {
    ScanFile(path, job, host, context, outcome, [&](Match& match) -> std::optional<std::int64_t> {
      ++outcome.found;
      host.Listed(path, match);
      if (host.Stopped()) return std::nullopt;
      return Advance(job, match, false);
    });
  }
  host.FileDone(path, outcome);
  return outcome;
}

FileOutcome RunOnFile(RunMode mode, const std::filesystem::path& path, bool quiet, const RunJob& job, RunHost& host,
                      const FileRunContext& context) {
  switch (mode) {
    case RunMode::kReplaceAll: return ReplaceAllInFile(path, job, host, context);
    case RunMode::kList: return ListInFile(path, job, host, context);
    case RunMode::kRestore: return RestoreBackup(path, job, host);
    case RunMode::kAsk: break;
  }
  return ReplaceInFile(path, quiet, job, host, context);
}

}  // namespace vantrel
