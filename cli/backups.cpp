#include "cli/backups.h"

#include "cli/backup_records.h"
#include "platform/path_text.h"

namespace vantrel::cli {
namespace {

Result<os::CopyPrint> Copy(const std::filesystem::path& path, const std::filesystem::path& backup,
                           const os::GiveUp& give_up, const vantrel::os::TreeRoot* tree) {
  // A file named by the user is followed, as its write is. A walk's file is read, and its
  // backup made, below the walk's tree, neither through a link.
  Result<os::CopySource> source = os::CopySource::Open(path, /*follow_links=*/tree == nullptr, tree);
  if (!source) return source.error();
  return os::CopyToNewFile(*source, backup, give_up, tree);
}

}  // namespace

Result<void> Backups::Before(const std::filesystem::path& path, const vantrel::os::TreeRoot* tree) {
  if (!suffix_) return {};
  {
    std::lock_guard lock(mutex_);
    if (made_.count(path) != 0) return {};
  }
  std::filesystem::path backup = path;
  backup += *suffix_;
  Result<os::CopyPrint> copied = Copy(path, backup, give_up_, tree);
  if (!copied) {
    const std::string name = "'" + vantrel::os::PathText(backup) + "'";
    SystemError why = copied.error();
    why.message = os::IsAlreadyExists(why) ? "not written: the backup " + name + " exists already"
                                           : "not written: cannot make the backup " + name + ": " + why.message;
    return why;
  }
  if (record_) {
    const journal::BackupMade made{RecordedPath(path), RecordedPath(backup), copied->size, copied->crc};
    if (Result<void> recorded = record_(made); !recorded) {
      (void)os::RemoveCopy(backup, tree);
      return SystemError{recorded.error().code, "not written: cannot record the backup '" + vantrel::os::PathText(backup) +
                                                    "' in the journal: " + recorded.error().message};
    }
  }
  std::lock_guard lock(mutex_);
  made_.insert(path);
  return {};
}

}  // namespace vantrel::cli
