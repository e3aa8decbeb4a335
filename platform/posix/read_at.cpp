#include "platform/read_at.h"

#include <unistd.h>

#include <cerrno>

#include "platform/system_error.h"

namespace vantrel::os {

Result<std::size_t> ReadAt(std::intptr_t file, std::int64_t offset, std::span<std::uint8_t> out) {
  std::size_t done = 0;
  while (done < out.size()) {
    const ssize_t got = pread(static_cast<int>(file), out.data() + done, out.size() - done,
                              static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return LastSystemError();
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

}  // namespace vantrel::os
