// Read-only mappings with mmap. The descriptor is opened non-blocking so that opening a FIFO
// or a device in a walk returns at once; anything but a regular file is then refused.
#include "platform/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/posix/open_regular_file.h"
#include "platform/read_at.h"
#include "platform/system_error.h"

namespace vantrel::os {

void UnmapView(void* base, std::size_t size) { munmap(base, size); }

std::size_t MapGranularity() { return static_cast<std::size_t>(sysconf(_SC_PAGESIZE)); }

Result<MappedFile> MappedFile::Open(const std::filesystem::path& path) {
  Result<posix::OpenedFile> opened = posix::OpenRegularFile(path, O_RDONLY);
  if (!opened) return opened.error();
  MappedFile file;
  file.file_ = opened->fd;
  file.length_ = opened->length;
  return file;
}

Result<MappedFile> MappedFile::OpenUnmeasured(const std::filesystem::path& path, const TreeRoot* root) {
  MappedFile file;
  if (root != nullptr) {
    Result<int> fd = posix::OpenBelow(*root, path, O_RDONLY | O_NONBLOCK);
    if (!fd) return fd.error();
    file.file_ = *fd;
    return file;
  }
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return LastSystemError();
  file.file_ = fd;
  return file;
}

Result<void> MappedFile::Measure() {
  Result<off_t> length = posix::MeasureRegularFile(static_cast<int>(file_));
  if (!length) return length.error();
  length_ = *length;
  return {};
}

void MappedFile::Close() {
  if (file_ >= 0) close(static_cast<int>(file_));
  file_ = -1;
}

Result<MappedView> MappedFile::Map(std::int64_t offset, std::size_t size) const {
  if (size == 0 || offset < 0) return MakeSystemError(EINVAL);
  const auto lead = static_cast<std::size_t>(offset % static_cast<std::int64_t>(MapGranularity()));
  void* base = mmap(nullptr, size + lead, PROT_READ, MAP_SHARED, static_cast<int>(file_),
                    static_cast<off_t>(offset - static_cast<std::int64_t>(lead)));
  if (base == MAP_FAILED) return LastSystemError();
  return MappedView(base, size + lead, lead);
}

Result<std::size_t> MappedFile::ReadAt(std::int64_t offset, std::span<std::uint8_t> out) const {
  return os::ReadAt(file_, offset, out);
}

Result<FileIdentity> MappedFile::Identify() const {
  struct stat st {};
  if (fstat(static_cast<int>(file_), &st) != 0) return LastSystemError();
  return FileIdentity{FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)},
                      static_cast<std::uint64_t>(st.st_nlink)};
}

void MappedFile::AdviseSequential(const MappedView& view) const {
  // Small views (most files of a walk) are read at once: the advice would cost more than it saves.
  if (view.base_ != nullptr && view.base_size_ > (std::size_t{1} << 20)) madvise(view.base_, view.base_size_, MADV_SEQUENTIAL);
}

}  // namespace vantrel::os
