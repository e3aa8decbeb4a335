// The copy with plain reads and writes on descriptors, so every failure is seen, and fsync
// on the copy and on its directory, so the backup outlives a crash that follows it.
#include "cli/os/file_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>
#include <vector>

#include "engine/os/system_error.h"

namespace vantrel::cli::os {
namespace {

using vantrel::os::LastSystemError;

// A descriptor closed when it goes, unless Close() reported on it first.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  Descriptor& operator=(Descriptor&& other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
  }
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  int get() const { return fd_; }
  bool ok() const { return fd_ >= 0; }
  Result<void> Close() {
    if (close(std::exchange(fd_, -1)) != 0 && errno != EINTR) return LastSystemError();
    return {};
  }

 private:
  int fd_;
};

Result<void> WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const ssize_t put = write(fd, data, size);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return LastSystemError();
    data += put;
    size -= static_cast<std::size_t>(put);
  }
  return {};
}

Result<void> CopyBytes(int from, int to) {
  std::vector<std::uint8_t> buffer(std::size_t{1} << 20);
  for (;;) {
    const ssize_t got = read(from, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return LastSystemError();
    if (got == 0) return {};
    if (Result<void> written = WriteAll(to, buffer.data(), static_cast<std::size_t>(got)); !written) return written;
  }
}

// The new directory entry must be on the device too, or a crash could lose the name.
void SyncDirectoryOf(const std::filesystem::path& file) {
  const std::filesystem::path dir = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
  Descriptor directory(open(dir.c_str(), O_RDONLY | O_CLOEXEC | O_DIRECTORY));
  if (directory.ok()) (void)fsync(directory.get());
}

// Copies every byte, cuts the copy to the source's length (it may have been longer), gives it
// the source's modification time and flushes it.
Result<void> FillAndSync(int from, const struct stat& source, Descriptor& to) {
  if (Result<void> copied = CopyBytes(from, to.get()); !copied) return copied;
  if (ftruncate(to.get(), source.st_size) != 0) return LastSystemError();
  const timespec times[2] = {{0, UTIME_OMIT}, source.st_mtim};
  if (futimens(to.get(), times) != 0) return LastSystemError();
  if (fsync(to.get()) != 0) return LastSystemError();
  return to.Close();
}

// An open regular file to copy from, with its status.
Result<void> OpenSource(const std::filesystem::path& path, Descriptor& source, struct stat& st) {
  source = Descriptor(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!source.ok()) return LastSystemError();
  if (fstat(source.get(), &st) != 0) return LastSystemError();
  if (!S_ISREG(st.st_mode)) return vantrel::os::MakeSystemError(S_ISDIR(st.st_mode) ? EISDIR : ENODEV);
  return {};
}

}  // namespace

Result<void> CopyToNewFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  Descriptor source(-1);
  struct stat st {};
  if (Result<void> opened = OpenSource(from, source, st); !opened) return opened;
  Descriptor copy(open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, st.st_mode & 0777));
  if (!copy.ok()) return LastSystemError();
  if (Result<void> filled = FillAndSync(source.get(), st, copy); !filled) {
    unlink(to.c_str());
    return filled;
  }
  SyncDirectoryOf(to);
  return {};
}

Result<void> PutBack(const std::filesystem::path& copy, const std::filesystem::path& file) {
  Descriptor source(-1);
  struct stat st {};
  if (Result<void> opened = OpenSource(copy, source, st); !opened) return opened;
  // In place: the file keeps its other names and its permissions. Until the copy is removed
  // at the very end, a failure part-way can be mended by putting it back again.
  Descriptor target(open(file.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, st.st_mode & 0777));
  if (!target.ok()) return LastSystemError();
  struct stat target_st {};
  if (fstat(target.get(), &target_st) != 0) return LastSystemError();
  if (!S_ISREG(target_st.st_mode)) return vantrel::os::MakeSystemError(S_ISDIR(target_st.st_mode) ? EISDIR : ENODEV);
  if (Result<void> filled = FillAndSync(source.get(), st, target); !filled) return filled;
  if (unlink(copy.c_str()) != 0) return LastSystemError();
  SyncDirectoryOf(copy);
  return {};
}

bool IsAlreadyExists(const SystemError& error) { return error.code == EEXIST; }

}  // namespace vantrel::cli::os
