#include "runs/backup_restorer.h"

#include <optional>

#include "platform/file_copy.h"
#include "runs/backup_put_back.h"

namespace vantrel {
namespace {

using Restore = FileOutcome::Restore;
using Failure = FileOutcome::Failure;

void End(FileOutcome& outcome, Restore step, Failure failure, SystemError error = {}) {
  outcome.restore = step;
  outcome.failure = failure;
  outcome.error = std::move(error);
}

// The steps of one restore, each ending it when it fails.
void RestoreSteps(const std::filesystem::path& backup, const RunJob& job, RunHost& host, FileOutcome& outcome) {
  const RestoreJob& restore = *job.restore;
  const std::filesystem::path& file = outcome.restored_file;
  const std::optional<journal::BackupMade> made = restore.records->Find(backup, file);
  if (!made) return End(outcome, Restore::kNotOurs, restore.named ? Failure::kRead : Failure::kNone);
  Result<os::CopySource> source = os::CopySource::Open(backup, /*follow_links=*/false, job.tree);
  if (!source) return End(outcome, Restore::kLeftAlone, Failure::kRead, source.error());
  const os::GiveUp give_up = [&host] { return host.Interrupted(); };
  if (Result<void> whole = CheckWhole(*source, *made, give_up); !whole) {
    return End(outcome, Restore::kLeftAlone, Failure::kRead, whole.error());
  }
  outcome.searched = source->size();
  if (Result<void> put = PutBackFromCopy(*source, *made, file, job.journal, give_up, job.tree); !put) {
    return End(outcome, Restore::kNotPutBack, host.Interrupted() ? Failure::kInterrupted : Failure::kWrite, put.error());
  }
  outcome.written = 1;
  outcome.restore = Restore::kPutBack;
  // The backup goes only once its file holds its bytes: should its removal fail, both are
  // left, and a second restore finds nothing to change.
  Result<void> removed = os::RemoveCopy(backup, job.tree);
  if (!removed) {
    outcome.restore = Restore::kNotRemoved;
    outcome.error = removed.error();
  }
}

}  // namespace

std::filesystem::path FileOfBackup(const std::filesystem::path& backup, const std::filesystem::path& suffix) {
  auto native = backup.native();
  native.resize(native.size() - suffix.native().size());
  return native;
}

FileOutcome RestoreBackup(const std::filesystem::path& backup, const RunJob& job, RunHost& host) {
  FileOutcome outcome;
  host.FileStarted(backup);
  outcome.restored_file = FileOfBackup(backup, job.restore->suffix);
  RestoreSteps(backup, job, host, outcome);
  host.FileDone(backup, outcome);
  return outcome;
}

}  // namespace vantrel
