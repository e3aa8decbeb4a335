// The copy with the platform's own CopyFileW, which refuses an existing target, and then
// FlushFileBuffers on the copy, so the backup is on the device before the original changes.
#include "cli/os/file_copy.h"

#include <windows.h>

#include "engine/os/system_error.h"

namespace vantrel::cli::os {
namespace {

using vantrel::os::LastSystemError;

Result<void> Flush(const std::filesystem::path& file) {
  HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return LastSystemError();
  const bool flushed = FlushFileBuffers(handle) != 0;
  const SystemError why = flushed ? SystemError{} : LastSystemError();
  if (!CloseHandle(handle) && flushed) return LastSystemError();
  if (!flushed) return why;
  return {};
}

}  // namespace

Result<void> CopyToNewFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (!CopyFileW(from.c_str(), to.c_str(), /*bFailIfExists=*/TRUE)) return LastSystemError();
  if (Result<void> flushed = Flush(to); !flushed) {
    SetFileAttributesW(to.c_str(), FILE_ATTRIBUTE_NORMAL);  // a read-only source gave a read-only copy
    DeleteFileW(to.c_str());
    return flushed;
  }
  return {};
}

Result<void> PutBack(const std::filesystem::path& copy, const std::filesystem::path& file) {
  // CopyFileW writes over the existing file (its other names stay) and gives it the copy's
  // bytes, length and last-write time.
  if (!CopyFileW(copy.c_str(), file.c_str(), /*bFailIfExists=*/FALSE)) return LastSystemError();
  if (Result<void> flushed = Flush(file); !flushed) return flushed;
  SetFileAttributesW(copy.c_str(), FILE_ATTRIBUTE_NORMAL);  // a read-only copy may still go
  if (!DeleteFileW(copy.c_str())) return LastSystemError();
  return {};
}

bool IsAlreadyExists(const SystemError& error) {
  return error.code == ERROR_FILE_EXISTS || error.code == ERROR_ALREADY_EXISTS;
}

}  // namespace vantrel::cli::os
