// The journal file on Windows: one handle shared for reading only, positioned writes,
// FlushFileBuffers, and a LockFileEx on its first byte that Windows drops with the process.
#include "platform/journal_file.h"

#include <windows.h>

#include <algorithm>
#include <utility>

#include "platform/read_at.h"
#include "platform/write_at.h"
#include "platform/system_error.h"
#include "platform/wide_text.h"

namespace vantrel::os {
namespace {

HANDLE AsHandle(std::intptr_t h) { return reinterpret_cast<HANDLE>(h); }

Result<void> Lock(HANDLE file) {
  OVERLAPPED at{};
  at.Offset = 0xFFFFFFF0u;  // far past the data, so the lock never stands in a reader's way
  if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) return LastSystemError();
  return {};
}

HANDLE OpenHandle(const std::filesystem::path& path, DWORD disposition) {
  return CreateFileW(win32::ApiPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

Result<JournalFile> JournalFile::Create(const std::filesystem::path& path) { return OpenAs(path, CREATE_NEW, true); }

Result<JournalFile> JournalFile::Open(const std::filesystem::path& path, bool lock) { return OpenAs(path, OPEN_EXISTING, lock); }

Result<JournalFile> JournalFile::OpenAs(const std::filesystem::path& path, unsigned long disposition, bool lock) {
  HANDLE handle = OpenHandle(path, disposition);
  if (handle == INVALID_HANDLE_VALUE) return LastSystemError();
  JournalFile file;
  file.file_ = reinterpret_cast<std::intptr_t>(handle);
  if (lock) {
    if (Result<void> locked = Lock(handle); !locked) return locked.error();
  }
  return file;
}

JournalFile::JournalFile(JournalFile&& other) noexcept : file_(std::exchange(other.file_, -1)) {}
JournalFile& JournalFile::operator=(JournalFile&& other) noexcept {
  std::swap(file_, other.file_);
  return *this;
}
JournalFile::~JournalFile() {
  if (file_ != -1) CloseHandle(AsHandle(file_));
}

Result<void> JournalFile::WriteAt(std::int64_t offset, std::span<const std::uint8_t> bytes) {
  return os::WriteAt(file_, offset, bytes);
}

Result<std::size_t> JournalFile::ReadAt(std::int64_t offset, std::span<std::uint8_t> out) const {
  return os::ReadAt(file_, offset, out);
}

Result<std::int64_t> JournalFile::Length() const {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(AsHandle(file_), &size)) return LastSystemError();
  return static_cast<std::int64_t>(size.QuadPart);
}

Result<void> JournalFile::Truncate(std::int64_t length) {
  LARGE_INTEGER to{};
  to.QuadPart = length;
  if (!SetFilePointerEx(AsHandle(file_), to, nullptr, FILE_BEGIN) || !SetEndOfFile(AsHandle(file_))) return LastSystemError();
  return {};
}

Result<void> JournalFile::Sync() {
  if (!FlushFileBuffers(AsHandle(file_))) return LastSystemError();
  return {};
}

bool IsBusy(const SystemError& error) { return error.code == ERROR_LOCK_VIOLATION; }

}  // namespace vantrel::os
