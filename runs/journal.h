// The journal of one command-line run: the write-ahead log under every write of it, in one
// file (docs/journal.md). It is made at the run's first write, so a run that writes nothing
// leaves none. Workers of a walk share it: appends are serialised, and flushes are grouped, so
// that a worker that needs its batch on the device waits for a flush already under way and
// the next flush covers every batch appended meanwhile.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/journal_file.h"
#include "runs/journal_format.h"
#include "runs/journal_index.h"
#include "runs/write_ahead_log.h"

namespace vantrel {

class Journal final : public WriteAheadLog {
 public:
  // path: where the journal is to be made; command: the command line, recorded for the reader.
  Journal(std::filesystem::path path, std::string command);
  // An existing journal, taken over (locked) to record its recovery or its undo; a torn
  // tail is cut off, and index() tells what it holds.
  static Result<std::unique_ptr<Journal>> Reopen(const std::filesystem::path& path);
  // What an open journal file holds, read record by record up to the first torn one; end
  // gets where that is.
  static Result<JournalIndex> Scan(const os::JournalFile& file, std::int64_t* end = nullptr);

  const JournalIndex& index() const { return index_; }
  // A batch of a reopened journal, with the length and checksum of the bytes written.
  Result<journal::RegionsWritten> ReadRegions(const LogSpan& span) const;
  // Files this run must not write (an unfinished run caught them in the middle), and the
  // reason a refused file is reported with.
  void Hold(std::vector<os::FileId> held, std::string reason);

  const std::filesystem::path& path() const { return path_; }
  bool made() const;  // whether the run wrote, and so made the journal

  Result<std::uint64_t> BeginFile(const std::filesystem::path& path, const os::FileState& before) override;
  Result<LogSpan> AppendAhead(std::uint64_t file, std::span<const PlannedWrite> writes) override;
  Result<void> FlushTo(std::int64_t end) override;
  Result<std::vector<PlannedWrite>> ReadBack(const LogSpan& span) override;
  void Kept(std::uint64_t file, const os::FileState& after) override;
  void PutBack(std::uint64_t file) override;
  Result<void> MayWrite(const os::FileState& before) override;

  // Any record, as a recovery or an undo writes them; flushed when asked.
  Result<void> Record(const journal::Record& record, bool flush);
  // The run's end: the last record, flushed, and the header's hint set.
  Result<void> Finish();

 private:
  Result<LogSpan> Append(const Bytes& framed);  // under the mutex
  Result<void> MakeFile();                      // under the mutex
  SystemError Unwritable(const SystemError& error) const;
  Result<void> SyncTo(std::int64_t end, std::unique_lock<std::mutex>& lock);

  std::filesystem::path path_;
  std::string command_;
  mutable std::mutex mutex_;
  std::condition_variable synced_moved_;
  std::optional<os::JournalFile> file_;
  std::optional<SystemError> broken_;  // why nothing more can be appended
  std::int64_t written_ = 0;           // the end of what was appended
  std::int64_t synced_ = 0;            // the end of what is on the device
  bool syncing_ = false;
  std::uint64_t next_file_ = 0;
  JournalIndex index_;                 // of a reopened journal
  std::vector<os::FileId> held_;       // see Hold
  std::string held_reason_;
};

}  // namespace vantrel
