#include "platform/write_at.h"

#include <windows.h>

#include <algorithm>

#include "platform/system_error.h"

namespace vantrel::os {

Result<void> WriteAt(std::intptr_t file, std::int64_t offset, std::span<const std::uint8_t> bytes) {
  constexpr DWORD kMaxChunk = 1u << 30;
  std::size_t done = 0;
  while (done < bytes.size()) {
    OVERLAPPED at{};
    const auto position = static_cast<std::uint64_t>(offset) + done;
    at.Offset = static_cast<DWORD>(position & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(position >> 32);
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, kMaxChunk));
    DWORD put = 0;
    if (!WriteFile(reinterpret_cast<HANDLE>(file), bytes.data() + done, want, &put, &at)) return LastSystemError();
    if (put == 0) return MakeSystemError(ERROR_WRITE_FAULT);
    done += put;
  }
  return {};
}

}  // namespace vantrel::os
