#include "engine/os/posix/open_regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "engine/os/system_error.h"

namespace vantrel::os::posix {

Result<OpenedFile> OpenRegularFile(const std::filesystem::path& path, int flags) {
  const int fd = open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return LastSystemError();
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
