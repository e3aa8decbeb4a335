// A file opened for reading and searched through read-only views of it, or read into memory.
// The file is opened shared for reading and writing, so other programs (and our own update
// stream) may keep it open and write it meanwhile.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>

#include "platform/file_id.h"
#include "platform/tree_root.h"
#include "platform/result.h"

namespace vantrel::os {

// A read-only view of part of a file; unmapped when it goes.
class MappedView {
 public:
  MappedView() = default;
  MappedView(MappedView&& other) noexcept;
  MappedView& operator=(MappedView&& other) noexcept;
  MappedView(const MappedView&) = delete;
  MappedView& operator=(const MappedView&) = delete;
  ~MappedView();

  // The bytes of the file from the offset the view was asked for.
  std::span<const std::uint8_t> bytes() const { return {data_, size_}; }

 private:
  friend class MappedFile;
  MappedView(void* base, std::size_t base_size, std::size_t lead);
  void Release();

  void* base_ = nullptr;  // what the platform mapped, from an aligned offset
  std::size_t base_size_ = 0;
  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
};

// An open, regular file with its length measured on the open handle.
class MappedFile {
 public:
  // Opens for reading, shared for reading and writing. Directories, devices, pipes and
  // other non-regular files are refused, so a walk never blocks on a FIFO.
  static Result<MappedFile> Open(const std::filesystem::path& path);
  // Opens for reading without measuring the file, for a caller that reads it to its end
  // anyway: on POSIX one system call fewer per file. Measure() before mapping it.
  // With a root, path is opened below it with no link followed (see TreeRoot).
  static Result<MappedFile> OpenUnmeasured(const std::filesystem::path& path, const TreeRoot* root = nullptr);
  // Measures the open file, refusing anything but a regular file.
  Result<void> Measure();

  MappedFile(MappedFile&& other) noexcept;
  MappedFile& operator=(MappedFile&& other) noexcept;
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  ~MappedFile();

  // The length of the file when it was opened.
  std::int64_t length() const { return length_; }

  // Maps [offset, offset + size) read-only; any offset and size within the file. The view
  // is independent of this object's lifetime.
  Result<MappedView> Map(std::int64_t offset, std::size_t size) const;

  // Tells the kernel the file will be read front to back, where the platform takes advice.
  void AdviseSequential(const MappedView& view) const;

  // Reads up to out.size() bytes at offset; fewer only at the end of the file.
  Result<std::size_t> ReadAt(std::int64_t offset, std::span<std::uint8_t> out) const;

  // The identity of the open file and its number of names.
  Result<FileIdentity> Identify() const;

 private:
  MappedFile() = default;
  void Close();

  std::intptr_t file_ = -1;          // a descriptor on POSIX, a HANDLE on Windows
  mutable std::intptr_t mapping_ = 0;  // Windows: the file mapping object, made at the first Map
  std::int64_t length_ = 0;
};

// Unmaps what the platform mapped for a view (each platform's source defines it).
void UnmapView(void* base, std::size_t size);

// The granularity to which view offsets are aligned by the platform.
std::size_t MapGranularity();

}  // namespace vantrel::os
