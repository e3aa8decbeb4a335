// Directory listing, hidden and system entries included: below a walk's root through the
// handle of the folder opened below it (so what is listed is the folder that was checked),
// otherwise with FindFirstFileExW over "dir\*". Junctions, directory and file symbolic links
// and other reparse points are listed as links.
#include "platform/directory.h"

#include <windows.h>

#include <cstdint>

#include "platform/system_error.h"
#include "platform/win32/open_below.h"
#include "platform/wide_text.h"

namespace vantrel::os {
namespace {

bool IsDot(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

bool IsDot(std::wstring_view name) { return name == L"." || name == L".."; }

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

// The entries of an open folder, read through its handle from the first.
Result<std::vector<DirectoryEntry>> ListOpenFolder(HANDLE folder, const std::filesystem::path& dir) {
  std::vector<std::uint64_t> buffer(std::size_t{64} << 10 >> 3);  // entries are 8-byte aligned
  const auto bytes = static_cast<DWORD>(buffer.size() * sizeof(std::uint64_t));
  std::vector<DirectoryEntry> entries;
  for (auto kind = FileIdBothDirectoryRestartInfo;; kind = FileIdBothDirectoryInfo) {
    if (!GetFileInformationByHandleEx(folder, kind, buffer.data(), bytes)) {
      if (GetLastError() == ERROR_NO_MORE_FILES) return entries;
      return LastSystemError();
    }
    const auto* at = reinterpret_cast<const std::uint8_t*>(buffer.data());
    for (;;) {
      const auto* entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(at);
      const std::wstring_view name(entry->FileName, entry->FileNameLength / sizeof(wchar_t));
      if (!IsDot(name)) entries.push_back({dir / name, KindOfAttributes(entry->FileAttributes)});
      if (entry->NextEntryOffset == 0) break;
      at += entry->NextEntryOffset;
    }
  }
}

}  // namespace

Result<std::vector<DirectoryEntry>> ListDirectory(const std::filesystem::path& dir, const TreeRoot* root) {
  if (root != nullptr) {
    Result<std::shared_ptr<const win32::Handle>> folder = win32::OpenFolderBelow(*root, dir);
    if (!folder) return folder.error();
    return ListOpenFolder((*folder)->get(), dir);
  }
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

Result<FileId> IdentifyPath(const std::filesystem::path& dir) {
  Result<BY_HANDLE_FILE_INFORMATION> info = FollowedInformation(dir);
  if (!info) return info.error();
  return FileId{info->dwVolumeSerialNumber,
                (static_cast<std::uint64_t>(info->nFileIndexHigh) << 32) | info->nFileIndexLow};
}

}  // namespace vantrel::os
