// A file opened for update in place: read and write at offsets, never truncated or
// created by opening. Every operation says whether it succeeded; Close() does too, because
// a write is done only when the close has succeeded.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "platform/file_id.h"
#include "platform/tree_root.h"
#include "platform/result.h"

namespace vantrel::os {

// A file's modification time, in the platform's own ticks (nanoseconds since 1970 on POSIX,
// 100-nanosecond units since 1601 on Windows): kept and set back, never shown.
struct FileTime {
  std::int64_t ticks = 0;
  friend bool operator==(const FileTime&, const FileTime&) = default;
};

// What a write ahead-log records of a file before it changes, and checks before it is put
// back: which file it is, how long it is and when it was last modified.
struct FileState {
  FileId id;
  std::int64_t length = 0;
  FileTime time;
};

// The operations a careful write needs of a file open for update; tests put a stream in its
// place that fails on the call they choose.
class UpdateStream {
 public:
  virtual ~UpdateStream() = default;
  // Reads up to out.size() bytes at offset; fewer only at the end of the file.
  virtual Result<std::size_t> ReadAt(std::int64_t offset, std::span<std::uint8_t> out) = 0;
  // Writes all of bytes at offset, or reports why not (a short write is an error).
  virtual Result<void> WriteAt(std::int64_t offset, std::span<const std::uint8_t> bytes) = 0;
  // Cuts the file back to length (used only to undo a growth).
  virtual Result<void> Truncate(std::int64_t length) = 0;
  // The file's modification time, and setting it (the next writes will not move it).
  virtual Result<FileTime> ModificationTime() = 0;
  virtual Result<void> SetModificationTime(FileTime time) = 0;
  // The file's identity, length and modification time.
  virtual Result<FileState> State() = 0;
  // Flushes the file's bytes and length to the storage device.
  virtual Result<void> Sync() = 0;
  // Closes the file and reports whether the platform accepted it.
  virtual Result<void> Close() = 0;
};

class UpdateFile final : public UpdateStream {
 public:
  // Opens an existing regular file for reading and writing, shared for reading and writing.
  // With a root, path is opened below it with no link followed (see TreeRoot).
  static Result<UpdateFile> Open(const std::filesystem::path& path, const TreeRoot* root = nullptr);
  // As Open, but a link in place of the file is refused rather than followed: what a put back
  // opens, so that a name swapped for a link cannot lead a write out of its tree.
  static Result<UpdateFile> OpenNoLink(const std::filesystem::path& path);

  UpdateFile(UpdateFile&& other) noexcept;
  UpdateFile& operator=(UpdateFile&& other) noexcept;
  UpdateFile(const UpdateFile&) = delete;
  UpdateFile& operator=(const UpdateFile&) = delete;
  ~UpdateFile() override;  // closes unchecked; call Close() to learn whether it worked

  Result<std::size_t> ReadAt(std::int64_t offset, std::span<std::uint8_t> out) override;
  Result<void> WriteAt(std::int64_t offset, std::span<const std::uint8_t> bytes) override;
  Result<void> Truncate(std::int64_t length) override;
  Result<FileTime> ModificationTime() override;
  Result<void> SetModificationTime(FileTime time) override;
  Result<FileState> State() override;
  Result<void> Sync() override;
  Result<void> Close() override;

 private:
  UpdateFile() = default;
#ifdef _WIN32
  static Result<UpdateFile> OpenWith(const std::filesystem::path& path, unsigned long flags);
#endif
  std::intptr_t file_ = -1;  // a descriptor on POSIX, a HANDLE on Windows
};

}  // namespace vantrel::os
