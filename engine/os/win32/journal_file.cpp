// The journal file on Windows: one handle shared for reading only, positioned writes,
// FlushFileBuffers, and a LockFileEx on its first byte that Windows drops with the process.
#include "engine/os/journal_file.h"

#include <windows.h>

#include <algorithm>
#include <utility>

#include "engine/os/read_at.h"
#include "engine/os/system_error.h"
#include "engine/os/win32/wide_text.h"

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
  std::size_t done = 0;
  while (done < bytes.size()) {
    OVERLAPPED at{};
    const auto where = static_cast<std::uint64_t>(offset) + done;
    at.Offset = static_cast<DWORD>(where & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(where >> 32);
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    DWORD put = 0;
    if (!WriteFile(AsHandle(file_), bytes.data() + done, want, &put, &at)) return LastSystemError();
    if (put == 0) return MakeSystemError(ERROR_WRITE_FAULT);
    done += put;
  }
  return {};
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
