// The copy with plain reads and writes on descriptors, so every failure is seen; fsync on the
// copy before it gets its name, and on its directory after, so the copy outlives a crash.
// The name is given with renameat2(RENAME_NOREPLACE) where the kernel and the file system have
// it, else with linkat() and unlinkat(), the link refusing an existing name just the same. All
// of it is done relative to one folder descriptor (see CopyFolder).
#include "platform/file_copy.h"

#include <fcntl.h>
#include <stdio.h>  // renameat2
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <utility>
#include <vector>

#include "platform/posix/open_regular_file.h"
#include "platform/read_at.h"
#include "platform/system_error.h"
#include "platform/crc32.h"

namespace vantrel::os {
namespace {

using vantrel::os::LastSystemError;
using vantrel::os::MakeSystemError;

constexpr std::size_t kPiece = std::size_t{1} << 20;

// A descriptor closed when it goes, unless Close() reported on it first.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
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
    if (put < 0) return LastSystemError();
    if (put == 0) return MakeSystemError(EIO);
    data += put;
    size -= static_cast<std::size_t>(put);
  }
  return {};
}

SystemError GivenUp() { return SystemError{EINTR, "interrupted"}; }

// Every byte of from, to its end, into to; what was copied comes back.
Result<CopyPrint> CopyBytes(const CopySource& from, int to, const GiveUp& give_up) {
  std::vector<std::uint8_t> buffer(kPiece);
  CopyPrint print;
  for (;;) {
    if (give_up && give_up()) return GivenUp();
    Result<std::size_t> got = from.ReadAt(print.size, buffer);
    if (!got) return got.error();
    if (*got == 0) return print;
    if (Result<void> written = WriteAll(to, buffer.data(), *got); !written) return written.error();
    print.crc = Crc32(std::span<const std::uint8_t>(buffer).first(*got), print.crc);
    print.size += static_cast<std::int64_t>(*got);
  }
}

std::filesystem::path FolderOf(const std::filesystem::path& file) {
  return file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
}

// The folder a copy is made in, and the names of its entries relative to `at`: for a file
// named by the user, paths from the working folder, resolved as the user named them; below a
// walk's tree, the folder's own descriptor, opened below the tree with no link followed, and
// bare names in it, so nothing done there can be sent elsewhere by a link swapped in later.
class CopyFolder {
 public:
  static Result<CopyFolder> Of(const std::filesystem::path& file, const TreeRoot* tree) {
    if (tree == nullptr) return CopyFolder(AT_FDCWD, FolderOf(file));
    Result<int> fd = vantrel::os::posix::OpenBelow(*tree, FolderOf(file), O_RDONLY | O_DIRECTORY);
    if (!fd) return fd.error();
    return CopyFolder(*fd, std::filesystem::path());
  }
  CopyFolder(CopyFolder&& other) noexcept : at_(std::exchange(other.at_, AT_FDCWD)), prefix_(std::move(other.prefix_)) {}
  CopyFolder(const CopyFolder&) = delete;
  CopyFolder& operator=(const CopyFolder&) = delete;
  ~CopyFolder() {
    if (at_ != AT_FDCWD) close(at_);
  }

  int at() const { return at_; }
  // The name of the entry `name` of this folder, relative to at().
  std::string Entry(const std::filesystem::path& name) const { return (prefix_ / name).native(); }
  // A new or removed directory entry must be on the device too, or a crash could undo it.
  void Sync() const {
    if (at_ != AT_FDCWD) {
      (void)fsync(at_);
      return;
    }
    Descriptor directory(open(prefix_.c_str(), O_RDONLY | O_CLOEXEC | O_DIRECTORY));
    if (directory.ok()) (void)fsync(directory.get());
  }

 private:
  CopyFolder(int at, std::filesystem::path prefix) : at_(at), prefix_(std::move(prefix)) {}
  int at_;
  std::filesystem::path prefix_;  // empty below a tree
};

// A new file beside `name`, for this process only: ".vantrel-PID-N-NAME"; its entry comes back.
Result<std::string> MakeTemporary(const CopyFolder& folder, const std::filesystem::path& name, unsigned mode, int& fd) {
  for (int attempt = 0;; ++attempt) {
    std::string temporary =
        folder.Entry(".vantrel-" + std::to_string(getpid()) + "-" + std::to_string(attempt) + "-" + name.native());
    fd = openat(folder.at(), temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW, mode);
    if (fd >= 0) return temporary;
    // One left by a run of the same number that was killed: try the next name.
    if (errno != EEXIST || attempt >= 100) return LastSystemError();
  }
}

// Gives the temporary its name, unless that name exists (as a file, a link or anything).
Result<void> NameNoReplace(int at, const std::string& temporary, const std::string& to) {
#ifdef RENAME_NOREPLACE
  if (renameat2(at, temporary.c_str(), at, to.c_str(), RENAME_NOREPLACE) == 0) return {};
  // A file system (or kernel) without the flag: a hard link refuses an existing name too.
  if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return LastSystemError();
#endif
  if (linkat(at, temporary.c_str(), at, to.c_str(), 0) != 0) return LastSystemError();
  (void)unlinkat(at, temporary.c_str(), 0);
  return {};
}

// Fills the open temporary, gives it the source's time, flushes and closes it.
Result<CopyPrint> FillAndSync(const CopySource& from, Descriptor& to, const GiveUp& give_up) {
  Result<CopyPrint> print = CopyBytes(from, to.get(), give_up);
  if (!print) return print;
  const timespec times[2] = {{0, UTIME_OMIT},
                             {static_cast<time_t>(from.time().ticks / 1'000'000'000),
                              static_cast<long>(from.time().ticks % 1'000'000'000)}};
  if (futimens(to.get(), times) != 0) return LastSystemError();
  if (fsync(to.get()) != 0) return LastSystemError();
  if (Result<void> closed = to.Close(); !closed) return closed.error();
  return print;
}

}  // namespace

Result<CopySource> CopySource::Open(const std::filesystem::path& path, bool follow_links, const TreeRoot* tree) {
  Result<vantrel::os::posix::OpenedFile> opened =
      vantrel::os::posix::OpenRegularFile(path, O_RDONLY | (follow_links ? 0 : O_NOFOLLOW), tree);
  if (!opened) return opened.error();
  CopySource source;
  source.file_ = opened->fd;
  struct stat st {};
  if (fstat(opened->fd, &st) != 0) return LastSystemError();
  source.size_ = st.st_size;
  source.time_ = vantrel::os::FileTime{static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
  source.mode_ = st.st_mode & 0777;
  return source;
}

CopySource::CopySource(CopySource&& other) noexcept
    : file_(std::exchange(other.file_, -1)), size_(other.size_), time_(other.time_), mode_(other.mode_) {}

CopySource& CopySource::operator=(CopySource&& other) noexcept {
  if (this != &other) {
    Close();
    file_ = std::exchange(other.file_, -1);
    size_ = other.size_;
    time_ = other.time_;
    mode_ = other.mode_;
  }
  return *this;
}

CopySource::~CopySource() { Close(); }

void CopySource::Close() {
  if (file_ >= 0) close(static_cast<int>(std::exchange(file_, -1)));
}

Result<std::size_t> CopySource::ReadAt(std::int64_t offset, std::span<std::uint8_t> out) const {
  return vantrel::os::ReadAt(file_, offset, out);
}

Result<CopyPrint> CopyToNewFile(const CopySource& from, const std::filesystem::path& to, const GiveUp& give_up,
                                const TreeRoot* tree) {
  Result<CopyFolder> folder = CopyFolder::Of(to, tree);
  if (!folder) return folder.error();
  const std::string final_name = folder->Entry(to.filename());
  // An existing name is refused before the copy, not after a long one.
  struct stat st {};
  if (fstatat(folder->at(), final_name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return MakeSystemError(EEXIST);
  int fd = -1;
  Result<std::string> temporary = MakeTemporary(*folder, to.filename(), from.mode_, fd);
  if (!temporary) return temporary.error();
  Descriptor copy(fd);
  Result<CopyPrint> print = FillAndSync(from, copy, give_up);
  if (print) {
    if (Result<void> named = NameNoReplace(folder->at(), *temporary, final_name); !named) print = named.error();
  }
  if (!print) {
    (void)unlinkat(folder->at(), temporary->c_str(), 0);
    return print;
  }
  folder->Sync();
  return print;
}

bool IsAlreadyExists(const SystemError& error) { return error.code == EEXIST; }

bool IsLinkRefused(const SystemError& error) { return error.code == ELOOP || error.code == EMLINK; }

Result<void> RemoveCopy(const std::filesystem::path& path, const TreeRoot* tree) {
  Result<CopyFolder> folder = CopyFolder::Of(path, tree);
  if (!folder) return folder.error();
  if (unlinkat(folder->at(), folder->Entry(path.filename()).c_str(), 0) != 0) return LastSystemError();
  folder->Sync();
  return {};
}

}  // namespace vantrel::os
