// A file opened for update in place: read and write at offsets, never truncated or
// created by opening. Every operation says whether it succeeded; Close() does too, because
// a write is done only when the close has succeeded.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "engine/result.h"

namespace vantrel::os {

class UpdateFile {
 public:
  // Opens an existing regular file for reading and writing, shared for reading and writing.
  static Result<UpdateFile> Open(const std::filesystem::path& path);

  UpdateFile(UpdateFile&& other) noexcept;
  UpdateFile& operator=(UpdateFile&& other) noexcept;
  UpdateFile(const UpdateFile&) = delete;
  UpdateFile& operator=(const UpdateFile&) = delete;
  ~UpdateFile();  // closes unchecked; call Close() to learn whether it worked

  // The file's length now.
  Result<std::int64_t> Length() const;

  // Reads up to out.size() bytes at offset; fewer only at the end of the file.
  Result<std::size_t> ReadAt(std::int64_t offset, std::span<std::uint8_t> out) const;

  // Writes all of bytes at offset, or reports why not (a short write is an error).
  Result<void> WriteAt(std::int64_t offset, std::span<const std::uint8_t> bytes) const;

  // Cuts the file back to length (used only to undo a growth that failed part-way).
  Result<void> Truncate(std::int64_t length) const;

  // Closes the file and reports whether the platform accepted it.
  Result<void> Close();

 private:
  UpdateFile() = default;
  std::intptr_t file_ = -1;  // a descriptor on POSIX, a HANDLE on Windows
};

}  // namespace vantrel::os
