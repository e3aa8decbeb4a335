// One backup put back in place of its file, once it is known to be whole: through the careful
// write every run's writes go through, so that a failure or an interrupt part-way leaves the
// file as it was before the put back, and only the bytes that differ are written (they are
// the ones the run changed). A file that is gone is made again from the backup, whole or not
// at all. Nothing is opened through a link: with a walk's tree, nothing on the way either.
#pragma once

#include <filesystem>

#include "platform/file_copy.h"
#include "runs/journal_format.h"
#include "runs/write_ahead_log.h"

namespace vantrel {

// Whether the open backup holds what its record says: its size and its CRC-32. The error's
// message is the reason to give ("it is not whole: ...").
Result<void> CheckWhole(const os::CopySource& backup, const journal::BackupMade& made, const os::GiveUp& give_up);

// Gives file the backup's bytes, length and modification time. log: where the old bytes go
// first (nothing: kept in memory). tree: the walk's root, to open file below it with no link
// followed; without one a link in place of file is refused. The backup itself is left for
// the caller to remove.
Result<void> PutBackFromCopy(const os::CopySource& backup, const journal::BackupMade& made,
                             const std::filesystem::path& file, WriteAheadLog* log, const os::GiveUp& give_up,
                             const os::TreeRoot* tree = nullptr);

}  // namespace vantrel
