// What a careful write needs of a write-ahead log: to be told of a file before its first
// write, to hold each batch of writes (the old bytes they cover) on the device before any of
// them reaches the file, to give those old bytes back for putting the file back, and to hear
// whether the file was kept or put back. A batch is appended and flushed in two steps, so that
// one flush can cover the batches of many files (file_finisher.h). The command line's run journal is one; a run without
// one (the dialog, --no-journal) keeps the old bytes of its writes in memory instead.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "text/hex_text.h"
#include "platform/update_file.h"
#include "platform/result.h"

namespace vantrel {

// One write of a batch: the bytes it covers inside the file as it was, and the bytes it puts
// there (longer than old only where the file grows).
struct PlannedWrite {
  std::int64_t offset = 0;
  Bytes old;
  Bytes bytes;
};

// Where a batch lies in the log.
struct LogSpan {
  std::int64_t offset = 0;
  std::int64_t size = 0;
};

class WriteAheadLog {
 public:
  virtual ~WriteAheadLog() = default;
  // A file is about to change; the number names it in what follows.
  virtual Result<std::uint64_t> BeginFile(const std::filesystem::path& path, const os::FileState& before) = 0;
  // Appends the batch; none of it may reach the file before FlushTo covers the span. Apart
  // from the flush, so that the batches of several files can share one.
  virtual Result<LogSpan> AppendAhead(std::uint64_t file, std::span<const PlannedWrite> writes) = 0;
  // Everything appended up to end is on the device.
  virtual Result<void> FlushTo(std::int64_t end) = 0;
  // Holds the batch, flushed to the device, before the caller writes any of it.
  Result<LogSpan> WriteAhead(std::uint64_t file, std::span<const PlannedWrite> writes) {
    Result<LogSpan> span = AppendAhead(file, writes);
    if (!span) return span;
    if (Result<void> flushed = FlushTo(span->offset + span->size); !flushed) return flushed.error();
    return span;
  }
  // The writes of a span, with their old bytes (not their new ones).
  virtual Result<std::vector<PlannedWrite>> ReadBack(const LogSpan& span) = 0;
  // The file's last write is on the device, or the file is as it was again.
  virtual void Kept(std::uint64_t file, const os::FileState& after) = 0;
  virtual void PutBack(std::uint64_t file) = 0;
  // Whether this file may be written: no unfinished run holds it.
  virtual Result<void> MayWrite(const os::FileState& /*before*/) { return {}; }
};

}  // namespace vantrel
