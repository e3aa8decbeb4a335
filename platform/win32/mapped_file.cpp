// Read-only mappings with file mapping objects. The file handle stays open with the mapping
// so that windows can be mapped one after another; both close with the MappedFile.
#include "platform/mapped_file.h"

#include <windows.h>

#include <algorithm>
#include <utility>

#include "platform/read_at.h"
#include "platform/system_error.h"
#include "platform/win32/open_below.h"
#include "platform/wide_text.h"

namespace vantrel::os {
namespace {

HANDLE AsHandle(std::intptr_t h) { return reinterpret_cast<HANDLE>(h); }

}  // namespace

void UnmapView(void* base, std::size_t) { UnmapViewOfFile(base); }

std::size_t MapGranularity() {
  SYSTEM_INFO info{};
  GetSystemInfo(&info);
  return info.dwAllocationGranularity;
}

Result<MappedFile> MappedFile::Open(const std::filesystem::path& path) {
  HANDLE file = CreateFileW(win32::ApiPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return LastSystemError();
  MappedFile opened;
  opened.file_ = reinterpret_cast<std::intptr_t>(file);
  if (GetFileType(file) != FILE_TYPE_DISK) return MakeSystemError(ERROR_INVALID_FUNCTION);
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size)) return LastSystemError();
  opened.length_ = size.QuadPart;
  return opened;
}

// Measuring costs no extra call worth saving on Windows: the open measures at once.
Result<MappedFile> MappedFile::OpenUnmeasured(const std::filesystem::path& path, const TreeRoot* root) {
  if (root == nullptr) return Open(path);
  // A link or junction in place of the listed file, or of a folder on the way, is refused.
  Result<win32::Handle> file = win32::OpenFileBelow(*root, path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
  if (!file) return file.error();
  MappedFile opened;
  opened.file_ = reinterpret_cast<std::intptr_t>(file->release());
  if (GetFileType(AsHandle(opened.file_)) != FILE_TYPE_DISK) return MakeSystemError(ERROR_INVALID_FUNCTION);
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(AsHandle(opened.file_), &size)) return LastSystemError();
  opened.length_ = size.QuadPart;
  return opened;
}

Result<void> MappedFile::Measure() { return {}; }

void MappedFile::Close() {
  if (mapping_ != 0) CloseHandle(AsHandle(mapping_));
  if (file_ != -1) CloseHandle(AsHandle(file_));
  mapping_ = 0;
  file_ = -1;
}

Result<MappedView> MappedFile::Map(std::int64_t offset, std::size_t size) const {
  if (size == 0 || offset < 0 || length_ == 0) return MakeSystemError(ERROR_INVALID_PARAMETER);
  if (mapping_ == 0) {
    // Made at the first view only: a file read into memory needs none, and an empty file
    // cannot have one.
    HANDLE mapping = CreateFileMappingW(AsHandle(file_), nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (mapping == nullptr) return LastSystemError();
    mapping_ = reinterpret_cast<std::intptr_t>(mapping);
  }
  const auto lead = static_cast<std::size_t>(offset % static_cast<std::int64_t>(MapGranularity()));
  const auto start = static_cast<std::uint64_t>(offset) - lead;
  void* base = MapViewOfFile(AsHandle(mapping_), FILE_MAP_READ, static_cast<DWORD>(start >> 32),
                             static_cast<DWORD>(start & 0xFFFFFFFFu), size + lead);
  if (base == nullptr) return LastSystemError();
  return MappedView(base, size + lead, lead);
}

Result<std::size_t> MappedFile::ReadAt(std::int64_t offset, std::span<std::uint8_t> out) const {
  return os::ReadAt(file_, offset, out);
}

Result<FileIdentity> MappedFile::Identify() const {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(AsHandle(file_), &info)) return LastSystemError();
  return FileIdentity{
      FileId{info.dwVolumeSerialNumber, (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow},
      info.nNumberOfLinks};
}

void MappedFile::AdviseSequential(const MappedView&) const {
  // Views of a file mapping take no access advice on the Windows versions we target.
}

}  // namespace vantrel::os
