// Directory listing with FindFirstFileExW over "dir\*", hidden and system entries included.
// Junctions and directory symbolic links carry the directory attribute and are listed as
// directories; the walk's identity check keeps it from entering one twice.
#include "engine/os/directory.h"

#include <windows.h>

#include "engine/os/system_error.h"
#include "engine/os/win32/wide_text.h"

namespace vantrel::os {
namespace {

bool IsDot(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

}  // namespace

Result<std::vector<DirectoryEntry>> ListDirectory(const std::filesystem::path& dir) {
  WIN32_FIND_DATAW found{};
  const std::filesystem::path pattern = dir / L"*";
  HANDLE find = FindFirstFileExW(win32::ApiPath(pattern).c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                 FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) {
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return std::vector<DirectoryEntry>{};
    return LastSystemError();
  }
  std::vector<DirectoryEntry> entries;
  do {
    if (IsDot(found.cFileName)) continue;
    entries.push_back({dir / found.cFileName, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0, std::nullopt});
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return entries;
}

Result<FileId> IdentifyDirectory(const std::filesystem::path& dir) {
  HANDLE handle = CreateFileW(win32::ApiPath(dir).c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return LastSystemError();
  BY_HANDLE_FILE_INFORMATION info{};
  const bool ok = GetFileInformationByHandle(handle, &info) != 0;
  const SystemError error = ok ? SystemError{} : LastSystemError();
  CloseHandle(handle);
  if (!ok) return error;
  return FileId{info.dwVolumeSerialNumber,
                     (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

}  // namespace vantrel::os
