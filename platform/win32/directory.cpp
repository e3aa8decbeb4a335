// Directory listing with FindFirstFileExW over "dir\*", hidden and system entries included.
// Junctions, directory and file symbolic links and other reparse points are listed as links.
#include "platform/directory.h"

#include <windows.h>

#include "platform/system_error.h"
#include "platform/wide_text.h"

namespace vantrel::os {
namespace {

bool IsDot(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

EntryKind KindOfAttributes(DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return EntryKind::kLink;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return EntryKind::kDirectory;
  if (attributes & FILE_ATTRIBUTE_DEVICE) return EntryKind::kOther;
  return EntryKind::kFile;
}

// What a path leads to, links followed: opening it follows every reparse point on the way.
Result<BY_HANDLE_FILE_INFORMATION> FollowedInformation(const std::filesystem::path& path) {
  HANDLE handle = CreateFileW(win32::ApiPath(path).c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return LastSystemError();
  BY_HANDLE_FILE_INFORMATION info{};
  const bool ok = GetFileInformationByHandle(handle, &info) != 0;
  const SystemError error = ok ? SystemError{} : LastSystemError();
  CloseHandle(handle);
  if (!ok) return error;
  return info;
}

}  // namespace

// The root changes nothing here yet: the entries come with their reparse attributes, and each
// file below a root is opened with its own reparse point refused.
Result<std::vector<DirectoryEntry>> ListDirectory(const std::filesystem::path& dir, const TreeRoot*) {
  WIN32_FIND_DATAW found{};
  const std::filesystem::path pattern = dir / L"*";
  HANDLE find = FindFirstFileExW(win32::ApiPath(pattern).c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                 nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) {
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return std::vector<DirectoryEntry>{};
    return LastSystemError();
  }
  std::vector<DirectoryEntry> entries;
  do {
    if (IsDot(found.cFileName)) continue;
    entries.push_back({dir / found.cFileName, KindOfAttributes(found.dwFileAttributes)});
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return entries;
}

Result<EntryKind> TargetKind(const std::filesystem::path& path) {
  Result<BY_HANDLE_FILE_INFORMATION> info = FollowedInformation(path);
  if (!info) return info.error();
  return (info->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::kDirectory : EntryKind::kFile;
}

Result<FileId> IdentifyDirectory(const std::filesystem::path& dir) {
  Result<BY_HANDLE_FILE_INFORMATION> info = FollowedInformation(dir);
  if (!info) return info.error();
  return FileId{info->dwVolumeSerialNumber,
                (static_cast<std::uint64_t>(info->nFileIndexHigh) << 32) | info->nFileIndexLow};
}

}  // namespace vantrel::os
