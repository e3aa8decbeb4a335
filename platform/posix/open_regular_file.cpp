#include "platform/posix/open_regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#if defined(__linux__)
#include <linux/openat2.h>
#include <sys/syscall.h>
#endif

#include "platform/system_error.h"

namespace vantrel::os::posix {

namespace {

// The names of path below the root's path, or nothing when path is not below it.
std::optional<std::string> NamesBelow(const std::filesystem::path& root, const std::filesystem::path& path) {
  std::string_view top = root.native();
  const std::string_view full = path.native();
  while (top.size() > 1 && top.back() == '/') top.remove_suffix(1);
  if (full == top) return std::string(".");
  if (!full.starts_with(top)) return std::nullopt;
  std::string_view rest = full.substr(top.size());
  if (top != "/" && (rest.empty() || rest.front() != '/')) return std::nullopt;
  while (!rest.empty() && rest.front() == '/') rest.remove_prefix(1);
  if (rest.empty()) return std::string(".");
  return std::string(rest);
}

// A link met below the root is one put in place of what was listed (the walk lists no links
// unless it follows them): the platform's "Too many levels of symbolic links" would not say so.
SystemError BelowError(int code) {
  if (code == ELOOP) return SystemError{ELOOP, "a link took the place of what the walk listed; not followed"};
  return MakeSystemError(code);
}

// A folder opened with no link followed that is a link fails with ENOTDIR, as a file in its
// place would: only a look at the name tells the two apart.
SystemError BelowError(int code, int top, const std::string& names) {
  struct stat st {};
  if (code == ENOTDIR && fstatat(top, names.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)) {
    return BelowError(ELOOP);
  }
  return BelowError(code);
}

}  // namespace

Result<int> OpenEachBelow(int root, const std::string& names, int flags) {
  int at = root;
  for (std::size_t start = 0;;) {
    const std::size_t slash = names.find('/', start);
    const bool last = slash == std::string::npos;
    const std::string name = names.substr(start, last ? std::string::npos : slash - start);
    start = slash + 1;
    if (name.empty() && !last) continue;  // "a//b"
    const int fd = openat(at, name.empty() ? "." : name.c_str(),
                          last ? flags | O_NOFOLLOW : O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    const int why = errno;
    if (at != root) close(at);
    if (fd < 0) return MakeSystemError(why);
    if (last) return fd;
    at = fd;
  }
}

Result<int> OpenBelow(const TreeRoot& root, const std::filesystem::path& path, int flags) {
  const std::optional<std::string> names = NamesBelow(root.path(), path);
  if (!names) return MakeSystemError(EXDEV);
  flags |= O_CLOEXEC | O_NOCTTY;
  const int top = static_cast<int>(root.handle());
#if defined(__linux__) && defined(SYS_openat2)
  // One call resolves every name, refusing any link and any way out of the root.
  open_how how{};
  how.flags = static_cast<std::uint64_t>(flags | O_NOFOLLOW);
  how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
  for (int tries = 0; tries < 4; ++tries) {
    const long fd = syscall(SYS_openat2, top, names->c_str(), &how, sizeof how);
    if (fd >= 0) return static_cast<int>(fd);
    // EAGAIN: a rename raced the resolution; ENOSYS, EPERM: an older kernel or a filter
    // that refuses the call, where the folders are opened one by one instead.
    if (errno == EAGAIN) continue;
    if (errno != ENOSYS && errno != EPERM) return BelowError(errno, top, *names);
    break;
  }
#endif
  Result<int> fd = OpenEachBelow(top, *names, flags);
  if (!fd) return BelowError(fd.error().code, top, *names);
  return fd;
}

Result<OpenedFile> OpenRegularFile(const std::filesystem::path& path, int flags, const TreeRoot* root) {
  flags |= O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
  int fd = -1;
  if (root != nullptr) {
    Result<int> below = OpenBelow(*root, path, flags);
    if (!below) return below.error();
    fd = *below;
  } else {
    fd = open(path.c_str(), flags);
    if (fd < 0) return LastSystemError();
  }
  Result<off_t> length = MeasureRegularFile(fd);
  if (!length) {
    close(fd);
    return length.error();
  }
  return OpenedFile{fd, *length};
}

SystemError NotARegularFile() {
  // The platform's text for ENODEV ("No such device") reads as a missing disk; a FIFO, a
  // socket or a device named by the user is simply nothing this program patches.
  return SystemError{ENODEV, "not a regular file"};
}

Result<off_t> MeasureRegularFile(int fd) {
  struct stat st {};
  if (fstat(fd, &st) != 0) return LastSystemError();
  if (S_ISDIR(st.st_mode)) return MakeSystemError(EISDIR);
  if (!S_ISREG(st.st_mode)) return NotARegularFile();
  return st.st_size;
}

}  // namespace vantrel::os::posix
