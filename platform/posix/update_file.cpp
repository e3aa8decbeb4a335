// The update stream on POSIX: pread/pwrite on one descriptor, so nothing is buffered
// behind our back and every byte written is accounted for.
#include "platform/update_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/posix/open_regular_file.h"
#include "platform/read_at.h"
#include "platform/write_at.h"
#include "platform/system_error.h"

namespace vantrel::os {

Result<UpdateFile> UpdateFile::Open(const std::filesystem::path& path, const TreeRoot* root) {
  Result<posix::OpenedFile> opened = posix::OpenRegularFile(path, O_RDWR, root);
  if (!opened) return opened.error();
  UpdateFile file;
  file.file_ = opened->fd;
  return file;
}

Result<UpdateFile> UpdateFile::OpenNoLink(const std::filesystem::path& path) {
  Result<posix::OpenedFile> opened = posix::OpenRegularFile(path, O_RDWR | O_NOFOLLOW);
  if (!opened) return opened.error();
  UpdateFile file;
  file.file_ = opened->fd;
  return file;
}

Result<std::size_t> UpdateFile::ReadAt(std::int64_t offset, std::span<std::uint8_t> out) {
  return os::ReadAt(file_, offset, out);
}

Result<void> UpdateFile::WriteAt(std::int64_t offset, std::span<const std::uint8_t> bytes) {
  return os::WriteAt(file_, offset, bytes);
}

Result<void> UpdateFile::Truncate(std::int64_t length) {
  if (ftruncate(static_cast<int>(file_), static_cast<off_t>(length)) != 0) return LastSystemError();
  return {};
}

Result<FileTime> UpdateFile::ModificationTime() {
  struct stat st {};
  if (fstat(static_cast<int>(file_), &st) != 0) return LastSystemError();
  return FileTime{static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

Result<void> UpdateFile::SetModificationTime(FileTime time) {
  const timespec times[2] = {{0, UTIME_OMIT},
                             {static_cast<time_t>(time.ticks / 1'000'000'000), static_cast<long>(time.ticks % 1'000'000'000)}};
  if (futimens(static_cast<int>(file_), times) != 0) return LastSystemError();
  return {};
}

Result<FileState> UpdateFile::State() {
  struct stat st {};
  if (fstat(static_cast<int>(file_), &st) != 0) return LastSystemError();
  return FileState{FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)},
                   static_cast<std::int64_t>(st.st_size),
                   FileTime{static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec}};
}

Result<void> UpdateFile::Sync() {
#ifdef __linux__
  // The bytes and the length are what a put back needs; the times may follow later.
  const int synced = fdatasync(static_cast<int>(file_));
#else
  const int synced = fsync(static_cast<int>(file_));
#endif
  if (synced != 0) return LastSystemError();
  return {};
}

Result<void> UpdateFile::Close() {
  if (file_ < 0) return {};
  const int fd = static_cast<int>(std::exchange(file_, -1));
  // After close() fails the descriptor is gone all the same; only the report matters.
  if (close(fd) != 0 && errno != EINTR) return LastSystemError();
  return {};
}

}  // namespace vantrel::os
