// The copy with ReadFile and WriteFile on handles, so every failure is seen and an interrupt
// is asked between pieces; FlushFileBuffers on the copy before MoveFileExW gives it its name
// (without MOVEFILE_REPLACE_EXISTING, so an existing name is refused).
#include "platform/file_copy.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/read_at.h"
#include "platform/system_error.h"
#include "platform/wide_text.h"
#include "platform/win32/open_below.h"
#include "platform/crc32.h"

namespace vantrel::os {
namespace {

using vantrel::os::LastSystemError;
using vantrel::os::MakeSystemError;
using vantrel::os::win32::ApiPath;

constexpr std::size_t kPiece = std::size_t{1} << 20;

HANDLE AsHandle(std::intptr_t h) { return reinterpret_cast<HANDLE>(h); }

// A handle closed when it goes, unless Close() reported on it first.
class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() {
    if (ok()) CloseHandle(handle_);
  }
  HANDLE get() const { return handle_; }
  bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }
  Result<void> Close() {
    if (!ok()) return {};
    if (!CloseHandle(std::exchange(handle_, INVALID_HANDLE_VALUE))) return LastSystemError();
    return {};
  }

 private:
  HANDLE handle_;
};

Result<void> WriteAll(HANDLE file, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    DWORD put = 0;
    if (!WriteFile(file, data, static_cast<DWORD>(size), &put, nullptr)) return LastSystemError();
    if (put == 0) return MakeSystemError(ERROR_WRITE_FAULT);
    data += put;
    size -= put;
  }
  return {};
}

Result<CopyPrint> CopyBytes(const CopySource& from, HANDLE to, const GiveUp& give_up) {
  std::vector<std::uint8_t> buffer(kPiece);
  CopyPrint print;
  for (;;) {
    if (give_up && give_up()) return SystemError{ERROR_OPERATION_ABORTED, "interrupted"};
    Result<std::size_t> got = from.ReadAt(print.size, buffer);
    if (!got) return got.error();
    if (*got == 0) return print;
    if (Result<void> written = WriteAll(to, buffer.data(), *got); !written) return written.error();
    print.crc = Crc32(std::span<const std::uint8_t>(buffer).first(*got), print.crc);
    print.size += static_cast<std::int64_t>(*got);
  }
}

FILETIME AsFileTime(vantrel::os::FileTime time) {
  const auto ticks = static_cast<std::uint64_t>(time.ticks);
  return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

std::filesystem::path FolderOf(const std::filesystem::path& file) {
  return file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
}

// A new file beside `to`, for this process only: ".vantrel-PID-N-NAME".
Result<std::filesystem::path> MakeTemporary(const std::filesystem::path& to, HANDLE& handle) {
  for (int attempt = 0;; ++attempt) {
    std::filesystem::path temporary = FolderOf(to);
    temporary /= L".vantrel-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(attempt) + L"-" +
                 to.filename().native();
    handle = CreateFileW(ApiPath(temporary).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle != INVALID_HANDLE_VALUE) return temporary;
    const DWORD why = GetLastError();
    if ((why != ERROR_FILE_EXISTS && why != ERROR_ALREADY_EXISTS) || attempt >= 100) return MakeSystemError(static_cast<int>(why));
  }
}

Result<CopyPrint> FillAndFlush(const CopySource& from, Handle& to, const GiveUp& give_up) {
  Result<CopyPrint> print = CopyBytes(from, to.get(), give_up);
  if (!print) return print;
  const FILETIME written = AsFileTime(from.time());
  if (!SetFileTime(to.get(), nullptr, nullptr, &written)) return LastSystemError();
  if (!FlushFileBuffers(to.get())) return LastSystemError();
  if (Result<void> closed = to.Close(); !closed) return closed.error();
  return print;
}


// Below a walk's tree, every name on the way is opened relative to its folder, none a link.
Result<HANDLE> OpenSource(const std::filesystem::path& path, bool follow_links, const TreeRoot* tree) {
  constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  if (tree != nullptr) {
    Result<vantrel::os::win32::Handle> below = vantrel::os::win32::OpenFileBelow(*tree, path, GENERIC_READ, kShare);
    if (!below) return below.error();
    return below->release();
  }
  const DWORD flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN | (follow_links ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
  HANDLE handle = CreateFileW(ApiPath(path).c_str(), GENERIC_READ, kShare, nullptr, OPEN_EXISTING, flags, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return LastSystemError();
  return handle;
}

}  // namespace

Result<CopySource> CopySource::Open(const std::filesystem::path& path, bool follow_links, const TreeRoot* tree) {
  Result<HANDLE> opened = OpenSource(path, follow_links, tree);
  if (!opened) return opened.error();
  HANDLE handle = *opened;
  CopySource source;
  source.file_ = reinterpret_cast<std::intptr_t>(handle);
  if (GetFileType(handle) != FILE_TYPE_DISK) return SystemError{ERROR_INVALID_FUNCTION, "not a regular file"};
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle, &info)) return LastSystemError();
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && !follow_links) {
    return MakeSystemError(ERROR_CANT_ACCESS_FILE);
  }
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return MakeSystemError(ERROR_DIRECTORY);
  source.size_ = static_cast<std::int64_t>((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
  source.time_ = vantrel::os::FileTime{static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime)};
  return source;
}

CopySource::CopySource(CopySource&& other) noexcept
    : file_(std::exchange(other.file_, -1)), size_(other.size_), time_(other.time_), mode_(other.mode_) {}

CopySource& CopySource::operator=(CopySource&& other) noexcept {
  if (this != &other) {
    Close();
    file_ = std::exchange(other.file_, -1);
    size_ = other.size_;
    time_ = other.time_;
    mode_ = other.mode_;
  }
  return *this;
}

CopySource::~CopySource() { Close(); }

void CopySource::Close() {
  if (file_ != -1) CloseHandle(AsHandle(std::exchange(file_, -1)));
}

Result<std::size_t> CopySource::ReadAt(std::int64_t offset, std::span<std::uint8_t> out) const {
  return vantrel::os::ReadAt(file_, offset, out);
}

Result<CopyPrint> CopyToNewFile(const CopySource& from, const std::filesystem::path& to, const GiveUp& give_up) {
  // An existing name is refused before the copy, not after a long one.
  if (GetFileAttributesW(ApiPath(to).c_str()) != INVALID_FILE_ATTRIBUTES) return MakeSystemError(ERROR_FILE_EXISTS);
  HANDLE handle = INVALID_HANDLE_VALUE;
  Result<std::filesystem::path> temporary = MakeTemporary(to, handle);
  if (!temporary) return temporary.error();
  Handle copy(handle);
  Result<CopyPrint> print = FillAndFlush(from, copy, give_up);
  if (print && !MoveFileExW(ApiPath(*temporary).c_str(), ApiPath(to).c_str(), MOVEFILE_WRITE_THROUGH)) {
    print = LastSystemError();
  }
  if (!print) {
    (void)copy.Close();  // an open file cannot be deleted here
    DeleteFileW(ApiPath(*temporary).c_str());
  }
  return print;
}

bool IsAlreadyExists(const SystemError& error) {
  return error.code == ERROR_FILE_EXISTS || error.code == ERROR_ALREADY_EXISTS;
}

bool IsLinkRefused(const SystemError& error) { return error.code == ERROR_CANT_ACCESS_FILE; }

Result<void> RemoveCopy(const std::filesystem::path& path) {
  SetFileAttributesW(ApiPath(path).c_str(), FILE_ATTRIBUTE_NORMAL);  // a read-only copy may still go
  if (!DeleteFileW(ApiPath(path).c_str())) return LastSystemError();
  return {};
}

}  // namespace vantrel::os
