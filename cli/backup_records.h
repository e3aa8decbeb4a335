// The backups this program made, as the journals of its runs record them (a BackupMade record
// per backup: the file, the backup, its size and CRC-32). --restore takes only these, so that
// a file of the user's that merely ends with the suffix (their own config.bak) is never taken.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "runs/journal_format.h"
#include "runs/restore_job.h"

namespace vantrel::cli {

class BackupRecords : public BackupRecordCheck {
 public:
  // The records of every journal in folder (a folder that is not there holds none). Of two
  // records of one backup the later run's holds; a journal that cannot be read is passed over.
  static BackupRecords Read(const std::filesystem::path& folder);

  // The record of the backup at this path (made absolute), or nothing.
  const journal::BackupMade* Find(const std::filesystem::path& backup) const;
  // The record of backup when it was made for file, or nothing.
  std::optional<journal::BackupMade> Find(const std::filesystem::path& backup,
                                          const std::filesystem::path& file) const override;
  // How many backups are recorded.
  std::size_t size() const { return by_backup_.size(); }

 private:
  std::map<std::string, journal::BackupMade> by_backup_;  // by the backup's path bytes
};

// The absolute path that a journal records for a path.
std::string RecordedPath(const std::filesystem::path& path);

}  // namespace vantrel::cli
