// The journal file on POSIX: one descriptor, pwrite and pread, fdatasync, and an flock that
// the kernel drops when the process ends however it ends, so a dead run's journal is free.
#include "platform/journal_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/read_at.h"
#include "platform/write_at.h"
#include "platform/system_error.h"

namespace vantrel::os {
namespace {

Result<void> Lock(int fd) {
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) return LastSystemError();
  return {};
}

}  // namespace

Result<JournalFile> JournalFile::Create(const std::filesystem::path& path) {
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return LastSystemError();
  JournalFile file;
  file.file_ = fd;
  if (Result<void> locked = Lock(fd); !locked) return locked.error();
  return file;
}

Result<JournalFile> JournalFile::Open(const std::filesystem::path& path, bool lock) {
  const int fd = open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return LastSystemError();
  JournalFile file;
  file.file_ = fd;
  if (lock) {
    if (Result<void> locked = Lock(fd); !locked) return locked.error();
  }
  return file;
}

JournalFile::JournalFile(JournalFile&& other) noexcept : file_(std::exchange(other.file_, -1)) {}
JournalFile& JournalFile::operator=(JournalFile&& other) noexcept {
  std::swap(file_, other.file_);
  return *this;
}
JournalFile::~JournalFile() {
  if (file_ >= 0) close(static_cast<int>(file_));
}

Result<void> JournalFile::WriteAt(std::int64_t offset, std::span<const std::uint8_t> bytes) {
  return os::WriteAt(file_, offset, bytes);
}

Result<std::size_t> JournalFile::ReadAt(std::int64_t offset, std::span<std::uint8_t> out) const {
  return os::ReadAt(file_, offset, out);
}

Result<std::int64_t> JournalFile::Length() const {
  const off_t end = lseek(static_cast<int>(file_), 0, SEEK_END);
  if (end < 0) return LastSystemError();
  return static_cast<std::int64_t>(end);
}

Result<void> JournalFile::Truncate(std::int64_t length) {
  if (ftruncate(static_cast<int>(file_), static_cast<off_t>(length)) != 0) return LastSystemError();
  return {};
}

Result<void> JournalFile::Sync() {
#ifdef __linux__
  const int synced = fdatasync(static_cast<int>(file_));
#else
  const int synced = fsync(static_cast<int>(file_));
#endif
  if (synced != 0) return LastSystemError();
  return {};
}

bool IsBusy(const SystemError& error) { return error.code == EWOULDBLOCK; }

}  // namespace vantrel::os
