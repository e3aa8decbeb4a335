#include "platform/write_at.h"

#include <unistd.h>

#include <cerrno>

#include "platform/system_error.h"

namespace vantrel::os {

Result<void> WriteAt(std::intptr_t file, std::int64_t offset, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = pwrite(static_cast<int>(file), bytes.data() + done, bytes.size() - done,
                               static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return LastSystemError();
    if (put == 0) return MakeSystemError(EIO);
    done += static_cast<std::size_t>(put);
  }
  return {};
}

}  // namespace vantrel::os
