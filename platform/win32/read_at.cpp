#include "platform/read_at.h"

#include <windows.h>

#include <algorithm>

#include "platform/system_error.h"

namespace vantrel::os {

Result<std::size_t> ReadAt(std::intptr_t file, std::int64_t offset, std::span<std::uint8_t> out) {
  constexpr DWORD kMaxChunk = 1u << 30;
  std::size_t done = 0;
  while (done < out.size()) {
    OVERLAPPED at{};
    const auto position = static_cast<std::uint64_t>(offset) + done;
    at.Offset = static_cast<DWORD>(position & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(position >> 32);
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(out.size() - done, kMaxChunk));
    DWORD got = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(file), out.data() + done, want, &got, &at)) {
      if (GetLastError() == ERROR_HANDLE_EOF) break;
      return LastSystemError();
    }
    if (got == 0) break;
    done += got;
  }
  return done;
}

}  // namespace vantrel::os
