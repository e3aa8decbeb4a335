// What a restore is asked to do (--restore): which names are backups, and which backups this
// program made. The records live with the program that keeps the journals (the command line
// reads them from its state folder); a restore asks them through this seam.
#pragma once

#include <filesystem>
#include <optional>

#include "runs/journal_format.h"

namespace vantrel {

class BackupRecordCheck {
 public:
  virtual ~BackupRecordCheck() = default;
  // The record of the backup this program made of file at backup, or nothing: a user's own
  // file that merely ends with the suffix is never taken.
  virtual std::optional<journal::BackupMade> Find(const std::filesystem::path& backup,
                                                  const std::filesystem::path& file) const = 0;
};

struct RestoreJob {
  std::filesystem::path suffix;               // a backup's name is its file's name and this
  const BackupRecordCheck* records = nullptr;  // never null in a restore
  // The backup of the one file the user named: one that is not this program's is then a
  // failure, not a name passed over in a walk.
  bool named = false;
};

}  // namespace vantrel
