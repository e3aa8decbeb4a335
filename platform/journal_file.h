// The file a write-ahead journal lives in: created new (never over an existing file), written
// only at its end, flushed to the device on request, read back at offsets, and locked for as
// long as a run holds it, so that another start can tell a live run's journal from the journal
// of a run that died.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "platform/result.h"

namespace vantrel::os {

class JournalFile {
 public:
  // Creates path (failing when it exists), readable by its owner only, and locks it.
  static Result<JournalFile> Create(const std::filesystem::path& path);
  // Opens an existing journal for reading and appending; lock: take the lock or fail with
  // "busy" when a live run holds it.
  static Result<JournalFile> Open(const std::filesystem::path& path, bool lock);

  JournalFile(JournalFile&& other) noexcept;
  JournalFile& operator=(JournalFile&& other) noexcept;
  JournalFile(const JournalFile&) = delete;
  JournalFile& operator=(const JournalFile&) = delete;
  ~JournalFile();

  // Writes all of bytes at offset (a short write is an error).
  Result<void> WriteAt(std::int64_t offset, std::span<const std::uint8_t> bytes);
  // Reads up to out.size() bytes at offset; fewer only at the end.
  Result<std::size_t> ReadAt(std::int64_t offset, std::span<std::uint8_t> out) const;
  Result<std::int64_t> Length() const;
  // Cuts the file back to length: a record that could not be written whole is taken away.
  Result<void> Truncate(std::int64_t length);
  // Flushes everything written so far to the device.
  Result<void> Sync();

 private:
  JournalFile() = default;
#ifdef _WIN32
  static Result<JournalFile> OpenAs(const std::filesystem::path& path, unsigned long disposition, bool lock);
#endif
  std::intptr_t file_ = -1;  // a descriptor on POSIX, a HANDLE on Windows
};

// True when the error says a live run holds the journal's lock.
bool IsBusy(const SystemError& error);

}  // namespace vantrel::os
