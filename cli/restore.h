// --restore: the undo of a run with --backup. Every backup below PATH (a file whose name is
// its file's name and the suffix) that a journal of this program records as made for that
// file, and that is still whole, is put back in place of its file, with its bytes, its length
// and its modification time, and then removed; each file put back is one line, its path.
// Any other file with the suffix is listed as left alone, with the reason. PATH may also be
// one file, whose backup is then PATH and the suffix.
#pragma once

#include "cli/backup_records.h"
#include "platform/file_copy.h"
#include "cli/output.h"
#include "cli/run_description.h"
#include "runs/write_ahead_log.h"

namespace vantrel::cli {

// What a restore goes by: the records of the backups made, where the old bytes of its own
// writes go (nothing: kept in memory), and whether to stop (an interrupt).
struct RestoreSetting {
  const BackupRecords& records;
  WriteAheadLog* log = nullptr;
  os::GiveUp give_up;
};

// The exit status: 0 when a backup was put back, 1 when there was none, 2 on a failure (a
// backup of this program's that could not be put back, or PATH's own when PATH is a file and
// its backup is left alone).
int RestoreBackups(const RunDescription& run, bool walk, Output& output, const RestoreSetting& setting);

}  // namespace vantrel::cli
