// The copy with ReadFile and WriteFile on handles, so every failure is seen and an interrupt
// is asked between pieces; FlushFileBuffers on the copy before MoveFileExW gives it its name
// (without MOVEFILE_REPLACE_EXISTING, so an existing name is refused). Below a walk's tree,
// the temporary is created with the native open relative to its folder's handle, named by
// the native rename relative to that same handle (ReplaceIfExists FALSE) and deleted through
// its own handle, so no path is looked up again once the folder is open.
#include "platform/file_copy.h"

#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <cstddef>
#include <memory>
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


constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

Result<void> SetInformation(HANDLE file, void* information, std::size_t size, FILE_INFORMATION_CLASS kind) {
  IO_STATUS_BLOCK io{};
  const NTSTATUS status = NtSetInformationFile(file, &io, information, static_cast<ULONG>(size), kind);
  if (status < 0) return MakeSystemError(static_cast<int>(RtlNtStatusToDosError(status)));
  return {};
}

// Marks an open file to go when its last handle closes; it needs DELETE access.
Result<void> DeleteOnClose(HANDLE file) {
  FILE_DISPOSITION_INFORMATION disposition{};
  disposition.DoDeleteFile = TRUE;
  return SetInformation(file, &disposition, sizeof disposition, FileDispositionInformation);
}

// Gives an open file the name `name` in `folder`, failing when that name exists.
Result<void> RenameInto(HANDLE file, HANDLE folder, const std::wstring& name) {
  const std::size_t bytes = name.size() * sizeof(wchar_t);
  std::vector<std::uint8_t> buffer(offsetof(FILE_RENAME_INFORMATION, FileName) + bytes + sizeof(wchar_t));
  auto* rename = reinterpret_cast<FILE_RENAME_INFORMATION*>(buffer.data());
  rename->ReplaceIfExists = FALSE;
  rename->RootDirectory = folder;
  rename->FileNameLength = static_cast<ULONG>(bytes);
  std::copy(name.begin(), name.end(), rename->FileName);
  return SetInformation(file, rename, buffer.size(), FileRenameInformation);
}

// True when `name` in `folder` is taken, by a file, a folder or a link.
Result<bool> NameTaken(HANDLE folder, const std::wstring& name) {
  Result<vantrel::os::win32::Handle> there =
      vantrel::os::win32::OpenRelative(folder, name, FILE_READ_ATTRIBUTES, kShareAll, FILE_OPEN, 0);
  if (there) return true;
  const int why = there.error().code;
  if (why == ERROR_FILE_NOT_FOUND || why == ERROR_PATH_NOT_FOUND) return false;
  return there.error();
}

// A new file beside `name` in `folder`, for this process only: ".vantrel-PID-N-NAME", open
// for writing and for its rename or deletion.
Result<vantrel::os::win32::Handle> MakeTemporaryIn(HANDLE folder, const std::wstring& name) {
  for (int attempt = 0;; ++attempt) {
    const std::wstring temporary =
        L".vantrel-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(attempt) + L"-" + name;
    Result<vantrel::os::win32::Handle> made = vantrel::os::win32::OpenRelative(
        folder, temporary, FILE_GENERIC_WRITE | DELETE, 0, FILE_CREATE, FILE_NON_DIRECTORY_FILE | FILE_SEQUENTIAL_ONLY);
    if (made) return made;
    const int why = made.error().code;
    if ((why != ERROR_FILE_EXISTS && why != ERROR_ALREADY_EXISTS) || attempt >= 100) return made.error();
  }
}

// Fills the open temporary, gives it the source's time and flushes it; it stays open, to be
// named or deleted through its handle.
Result<CopyPrint> FillAndFlushOpen(const CopySource& from, HANDLE to, const GiveUp& give_up) {
  Result<CopyPrint> print = CopyBytes(from, to, give_up);
  if (!print) return print;
  const FILETIME written = AsFileTime(from.time());
  if (!SetFileTime(to, nullptr, nullptr, &written)) return LastSystemError();
  if (!FlushFileBuffers(to)) return LastSystemError();
  return print;
}

// The copy of a walk's file, inside the folder of `to` opened below the tree.
Result<CopyPrint> CopyIntoFolderBelow(const CopySource& from, const std::filesystem::path& to, const GiveUp& give_up,
                                      const TreeRoot& tree) {
  Result<std::shared_ptr<const vantrel::os::win32::Handle>> folder =
      vantrel::os::win32::OpenFolderBelow(tree, FolderOf(to));
  if (!folder) return folder.error();
  const HANDLE at = (*folder)->get();
  const std::wstring name = to.filename().native();
  // An existing name is refused before the copy, not after a long one.
  Result<bool> taken = NameTaken(at, name);
  if (!taken) return taken.error();
  if (*taken) return MakeSystemError(ERROR_FILE_EXISTS);
  Result<vantrel::os::win32::Handle> copy = MakeTemporaryIn(at, name);
  if (!copy) return copy.error();
  Result<CopyPrint> print = FillAndFlushOpen(from, copy->get(), give_up);
  if (print) {
    if (Result<void> named = RenameInto(copy->get(), at, name); !named) print = named.error();
  }
  if (!print) (void)DeleteOnClose(copy->get());
  if (!CloseHandle(copy->release()) && print) return LastSystemError();
  return print;
}

// Removes a copy of a walk through its own handle, opened below the tree.
Result<void> RemoveBelow(const std::filesystem::path& path, const TreeRoot& tree) {
  Result<vantrel::os::win32::Handle> file =
      vantrel::os::win32::OpenFileBelow(tree, path, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, kShareAll);
  if (!file) return file.error();
  // A read-only copy may still go: its attribute is cleared first (zero times are kept).
  FILE_BASIC_INFORMATION basic{};
  basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  (void)SetInformation(file->get(), &basic, sizeof basic, FileBasicInformation);
  return DeleteOnClose(file->get());
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

Result<CopyPrint> CopyToNewFile(const CopySource& from, const std::filesystem::path& to, const GiveUp& give_up,
                                const TreeRoot* tree) {
  if (tree != nullptr) return CopyIntoFolderBelow(from, to, give_up, *tree);
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

Result<void> RemoveCopy(const std::filesystem::path& path, const TreeRoot* tree) {
  if (tree != nullptr) return RemoveBelow(path, *tree);
  SetFileAttributesW(ApiPath(path).c_str(), FILE_ATTRIBUTE_NORMAL);  // a read-only copy may still go
  if (!DeleteFileW(ApiPath(path).c_str())) return LastSystemError();
  return {};
}

}  // namespace vantrel::os
