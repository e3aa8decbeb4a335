// The only way Vantrel changes a file: overwrite the bytes at an offset after reading them
// back and finding them still matching the pattern, and call it done only when the write and
// the close succeeded. A file's writes are all or nothing: the writes are gathered in batches,
// each batch's old bytes go to the write-ahead log (flushed) before any of it reaches the
// file, and when any step fails, or the run gives the file up, every write made to it is put
// back, newest first, with its old length and modification time. Without a log the old bytes
// are kept in memory.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "text/hex_text.h"
#include "text/masked_pattern.h"
#include "platform/update_file.h"
#include "platform/result.h"
#include "runs/write_ahead_log.h"

namespace vantrel {

enum class WriteOutcome {
  kWritten,  // the replacement is taken: it reaches the file with its batch
  kChanged,  // the bytes at the offset no longer match the pattern: nothing written
};

struct WriteOptions {
  bool keep_mtime = false;      // the file keeps the modification time it had when opened
  WriteAheadLog* log = nullptr;  // where the old bytes go first; nothing: kept in memory
  const os::TreeRoot* tree = nullptr;  // a walk's root, to open the file below with no link followed
};

// An update stream on one file that many careful writes share.
class CarefulWriter {
 public:
  // Opens the stream; called again to put the writes back when the close fails.
  using Opener = std::function<Result<std::unique_ptr<os::UpdateStream>>()>;

  // Gathered writes of a batch, and the old bytes of one, that make the batch go to the file.
  static constexpr std::size_t kBatchWrites = 16384;
  static constexpr std::size_t kBatchBytes = std::size_t{1} << 20;

  static Result<CarefulWriter> Open(const std::filesystem::path& path, WriteOptions options = {});
  static Result<CarefulWriter> Open(Opener opener, WriteOptions options = {}, std::filesystem::path path = {});

  CarefulWriter(CarefulWriter&&) noexcept = default;
  CarefulWriter& operator=(CarefulWriter&&) noexcept = default;
  ~CarefulWriter();  // a writer neither closed nor given up puts its file back

  // Takes the replacement at offset if the bytes there match expected; the replacement's
  // unknown bits keep the file's. A replacement that reaches past the end of the file grows
  // it. found, when given, gets the bytes that were there. A file that holds bytes beyond the
  // length it had when opened is refused. An error means the file is as it was before the
  // writer opened it, and the writer is done.
  Result<WriteOutcome> Replace(std::int64_t offset, const MaskedPattern& expected, const MaskedPattern& replacement,
                               Bytes* found = nullptr);
  Result<WriteOutcome> Replace(std::int64_t offset, std::span<const std::uint8_t> expected,
                               std::span<const std::uint8_t> replacement) {
    return Replace(offset, ExactPattern(expected), ExactPattern(replacement));
  }

  // Reads the file as it is on the device at offset: bytes gathered for a batch are not in it
  // yet, so a caller reads only ahead of its last replacement.
  Result<std::size_t> ReadAt(std::int64_t offset, std::span<std::uint8_t> out);

  // Cuts the file to length, shorter than it is, after every write taken so far; the bytes
  // cut off go to the log first (or are kept in memory), to be put back like any other. The
  // last change before Close(). An error means the file is as it was, and the writer is done.
  Result<void> Cut(std::int64_t length);

  // The modification time the file gets when it is kept (a put back from a copy), in place of
  // the one its writes give it; put back with the rest when the file is.
  void SetTimeAtClose(os::FileTime time) { time_at_close_ = time; }

  // True when every write taken so far has reached the file (its batch went).
  bool AllWritten() const { return pending_.empty(); }

  // A file whose writes are all still gathered, in one small batch, with a log: its batch
  // can share the log's flush with other files' (file_finisher.h).
  static constexpr std::size_t kSharedBatchBytes = std::size_t{64} << 10;
  bool CanShareFlush() const;
  std::size_t gathered_bytes() const { return pending_bytes_; }
  // The two halves of a batch's write with a log: its old bytes appended to the log, and,
  // once the log is flushed past the span, the batch written to the file. An error from
  // either (or GiveUpUnflushed, when the log's flush failed) means the file is as it was,
  // and the writer is done.
  Result<LogSpan> AppendAhead();
  Result<void> WriteAppended(const LogSpan& span);
  SystemError GiveUpUnflushed(const SystemError& error);

  // Writes what is gathered, sets the modification time back when asked, flushes the file
  // and closes it: the file is kept. When any of it fails, every write is put back and the
  // error returned.
  Result<void> Close();
  // Gives the file up: every write is put back and the file closed.
  void PutBack();

 private:
  CarefulWriter(Opener opener, std::unique_ptr<os::UpdateStream> stream, os::FileState before, WriteOptions options,
                std::filesystem::path path);
  Result<void> Flush();
  Result<void> BeginInLog();
  Result<void> KeepOldBytes(std::vector<PlannedWrite> writes);
  Result<void> WriteBatch();
  void PutBackAll(os::UpdateStream& stream);
  static void Restore(os::UpdateStream& stream, const PlannedWrite& write);

  Opener opener_;
  std::unique_ptr<os::UpdateStream> stream_;
  os::FileState before_;
  WriteOptions options_;
  std::filesystem::path path_;
  std::optional<std::uint64_t> file_;  // the log's number for the file, once begun
  std::int64_t end_ = 0;               // the file's length with the writes taken so far
  std::vector<PlannedWrite> pending_;  // the batch being gathered, in offset order
  std::size_t pending_bytes_ = 0;
  std::vector<LogSpan> spans_;             // the batches written, oldest first, in the log
  std::vector<PlannedWrite> in_memory_;    // or their old bytes, without a log
  std::optional<os::FileTime> time_at_close_;  // set by SetTimeAtClose
  bool touched_ = false;                   // some write reached the file
  bool done_ = false;                      // closed or put back
};

// Opens path for update, replaces once and closes: the whole write of an asking run.
Result<WriteOutcome> WriteIfUnchanged(const std::filesystem::path& path, std::int64_t offset,
                                      const MaskedPattern& expected, const MaskedPattern& replacement,
                                      WriteOptions options = {}, Bytes* found = nullptr);
inline Result<WriteOutcome> WriteIfUnchanged(const std::filesystem::path& path, std::int64_t offset,
                                             std::span<const std::uint8_t> expected,
                                             std::span<const std::uint8_t> replacement) {
  return WriteIfUnchanged(path, offset, ExactPattern(expected), ExactPattern(replacement));
}

}  // namespace vantrel
