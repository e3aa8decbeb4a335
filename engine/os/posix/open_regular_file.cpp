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
  struct stat st {};
  if (fstat(fd, &st) != 0) {
    const SystemError error = LastSystemError();
    close(fd);
    return error;
  }
  if (!S_ISREG(st.st_mode)) {
    close(fd);
    return MakeSystemError(S_ISDIR(st.st_mode) ? EISDIR : ENODEV);
  }
  return OpenedFile{fd, st.st_size};
}

}  // namespace vantrel::os::posix
