// The update stream on Windows: one handle, shared for reading and writing as the C runtime's
// "rb+" would be, with positioned reads and writes through OVERLAPPED offsets.
#include "platform/update_file.h"

#include <windows.h>

#include <algorithm>
#include <utility>

#include "platform/read_at.h"
#include "platform/write_at.h"
#include "platform/system_error.h"
#include "platform/win32/open_below.h"
#include "platform/wide_text.h"

namespace vantrel::os {
namespace {

HANDLE AsHandle(std::intptr_t h) { return reinterpret_cast<HANDLE>(h); }

}  // namespace

Result<UpdateFile> UpdateFile::Open(const std::filesystem::path& path, const TreeRoot* root) {
  if (root == nullptr) return OpenWith(path, FILE_ATTRIBUTE_NORMAL);
  // Below a walk's root, a link or junction in place of the listed file, or of a folder on
  // the way, is refused.
  Result<win32::Handle> file =
      win32::OpenFileBelow(*root, path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
  if (!file) return file.error();
  UpdateFile opened;
  opened.file_ = reinterpret_cast<std::intptr_t>(file->release());
  if (GetFileType(AsHandle(opened.file_)) != FILE_TYPE_DISK) return MakeSystemError(ERROR_INVALID_FUNCTION);
  return opened;
}

Result<UpdateFile> UpdateFile::OpenNoLink(const std::filesystem::path& path) {
  Result<UpdateFile> file = OpenWith(path, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT);
  if (!file) return file;
  FILE_ATTRIBUTE_TAG_INFO tag{};
  if (!GetFileInformationByHandleEx(AsHandle(file->file_), FileAttributeTagInfo, &tag, sizeof tag)) return LastSystemError();
  if ((tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return MakeSystemError(ERROR_CANT_ACCESS_FILE);
  return file;
}

Result<UpdateFile> UpdateFile::OpenWith(const std::filesystem::path& path, unsigned long flags) {
  HANDLE file = CreateFileW(win32::ApiPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, flags, nullptr);
  if (file == INVALID_HANDLE_VALUE) return LastSystemError();
  UpdateFile opened;
  opened.file_ = reinterpret_cast<std::intptr_t>(file);
  if (GetFileType(file) != FILE_TYPE_DISK) return MakeSystemError(ERROR_INVALID_FUNCTION);
  return opened;
}

Result<std::size_t> UpdateFile::ReadAt(std::int64_t offset, std::span<std::uint8_t> out) {
  return os::ReadAt(file_, offset, out);
}

Result<void> UpdateFile::WriteAt(std::int64_t offset, std::span<const std::uint8_t> bytes) {
  return os::WriteAt(file_, offset, bytes);
}

Result<void> UpdateFile::Truncate(std::int64_t length) {
  LARGE_INTEGER to{};
  to.QuadPart = length;
  if (!SetFilePointerEx(AsHandle(file_), to, nullptr, FILE_BEGIN) || !SetEndOfFile(AsHandle(file_))) {
    return LastSystemError();
  }
  return {};
}

Result<FileTime> UpdateFile::ModificationTime() {
  FILETIME written{};
  if (!GetFileTime(AsHandle(file_), nullptr, nullptr, &written)) return LastSystemError();
  return FileTime{static_cast<std::int64_t>((static_cast<std::uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime)};
}

Result<void> UpdateFile::SetModificationTime(FileTime time) {
  const auto ticks = static_cast<std::uint64_t>(time.ticks);
  const FILETIME written{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
  if (!SetFileTime(AsHandle(file_), nullptr, nullptr, &written)) return LastSystemError();
  return {};
}

Result<FileState> UpdateFile::State() {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(AsHandle(file_), &info)) return LastSystemError();
  const auto high = [](DWORD hi, DWORD lo) { return (static_cast<std::uint64_t>(hi) << 32) | lo; };
  return FileState{FileId{info.dwVolumeSerialNumber, high(info.nFileIndexHigh, info.nFileIndexLow)},
                   static_cast<std::int64_t>(high(info.nFileSizeHigh, info.nFileSizeLow)),
                   FileTime{static_cast<std::int64_t>(high(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime))}};
}

Result<void> UpdateFile::Sync() {
  if (!FlushFileBuffers(AsHandle(file_))) return LastSystemError();
  return {};
}

Result<void> UpdateFile::Close() {
  if (file_ == -1) return {};
  if (!CloseHandle(AsHandle(std::exchange(file_, -1)))) return LastSystemError();
  return {};
}

}  // namespace vantrel::os
