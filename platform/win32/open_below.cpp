#include "platform/win32/open_below.h"

#include <winternl.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/system_error.h"
#include "platform/win32/folder_cache.h"

// In ntdll, documented for drivers (ZwQueryDirectoryFile), not declared by winternl.h.
extern "C" NTSTATUS NTAPI NtQueryDirectoryFile(HANDLE file, HANDLE event, PVOID apc, PVOID apc_context,
                                               PIO_STATUS_BLOCK io, PVOID buffer, ULONG length,
                                               FILE_INFORMATION_CLASS kind, BOOLEAN single, PUNICODE_STRING name,
                                               BOOLEAN restart);

namespace vantrel::os::win32 {
namespace {

constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr ACCESS_MASK kFolderAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
// FileIdBothDirectoryInformation of FILE_INFORMATION_CLASS; its entries are FILE_ID_BOTH_DIR_INFO.
constexpr auto kIdBothDirectory = static_cast<FILE_INFORMATION_CLASS>(37);

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// The names of path below root, or nothing when path is not below it.
std::optional<std::vector<std::wstring>> NamesBelow(const std::filesystem::path& root, const std::filesystem::path& path) {
  std::wstring_view top = root.native();
  while (!top.empty() && IsSeparator(top.back())) top.remove_suffix(1);
  const std::wstring_view full = path.native();
  if (!full.starts_with(top)) return std::nullopt;
  std::wstring_view rest = full.substr(top.size());
  const bool joined = top.empty() || top.back() == L':';
  if (!rest.empty() && !joined && !IsSeparator(rest.front())) return std::nullopt;
  std::vector<std::wstring> names;
  while (!rest.empty()) {
    std::size_t end = 0;
    while (end < rest.size() && !IsSeparator(rest[end])) ++end;
    const std::wstring_view name = rest.substr(0, end);
    if (name == L"..") return std::nullopt;
    if (!name.empty() && name != L".") names.emplace_back(name);
    rest.remove_prefix(end == rest.size() ? end : end + 1);
  }
  return names;
}

// The cache's key of the first count names.
std::wstring Joined(const std::vector<std::wstring>& names, std::size_t count) {
  std::wstring key;
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) key += L'\\';
    key += names[i];
  }
  return key;
}

// What the folder's listing says of one of its names now: Wine follows a link of the Unix
// file system at every open, even as itself, and shows it as a reparse point only in a
// listing. So the entry is read again, after the open, through a handle of its own.
Result<bool> ListedAsReparsePoint(HANDLE folder, const std::wstring& name) {
  Result<Handle> again = OpenRelative(folder, L"", FILE_LIST_DIRECTORY, kShareAll, FILE_OPEN, FILE_DIRECTORY_FILE);
  if (!again) return again.error();
  alignas(8) std::uint8_t entry[sizeof(FILE_ID_BOTH_DIR_INFO) + 512 * sizeof(wchar_t)];
  UNICODE_STRING text{};
  text.Buffer = const_cast<PWSTR>(name.c_str());
  text.Length = text.MaximumLength = static_cast<USHORT>(name.size() * sizeof(wchar_t));
  IO_STATUS_BLOCK io{};
  const NTSTATUS status = NtQueryDirectoryFile(again->get(), nullptr, nullptr, nullptr, &io, entry, sizeof entry,
                                               kIdBothDirectory, TRUE, &text, TRUE);
  if (status < 0) return MakeSystemError(static_cast<int>(RtlNtStatusToDosError(status)));
  const auto* found = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(entry);
  return (found->FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// One folder below an open one, a real folder both as opened and as listed after the open.
Result<Handle> OpenFolderEntry(HANDLE parent, const std::wstring& name) {
  Result<Handle> folder = OpenRelative(parent, name, kFolderAccess, kShareAll, FILE_OPEN,
                                       FILE_DIRECTORY_FILE | FILE_OPEN_FOR_BACKUP_INTENT);
  if (!folder) return folder;
  Result<bool> reparse = IsReparsePoint(folder->get());
  if (!reparse) return reparse.error();
  if (*reparse) return LinkInPlace();
  Result<bool> listed = ListedAsReparsePoint(parent, name);
  if (!listed) return listed.error();
  if (*listed) return LinkInPlace();
  return folder;
}

// The folder of the first count names: from the deepest one kept, each folder further down
// opened relative to the one above it, and kept.
Result<std::shared_ptr<const Handle>> OpenFolderNames(const TreeRoot& root, const std::vector<std::wstring>& names,
                                                      std::size_t count) {
  FolderCache& cache = *root.folders();
  std::size_t at = count;
  std::shared_ptr<const Handle> folder = cache.Find(Joined(names, at));
  while (folder == nullptr && at > 0) folder = cache.Find(Joined(names, --at));
  if (folder == nullptr) return MakeSystemError(ERROR_INVALID_HANDLE);  // the root is always kept
  for (; at < count; ++at) {
    Result<Handle> next = OpenFolderEntry(folder->get(), names[at]);
    if (!next) return next.error();
    folder = std::make_shared<const Handle>(std::move(*next));
    cache.Keep(Joined(names, at + 1), folder);
  }
  return folder;
}

}  // namespace

Result<Handle> OpenRelative(HANDLE folder, std::wstring_view name, ACCESS_MASK access, ULONG share, ULONG disposition,
                            ULONG options) {
  if (name.size() > 32767) return MakeSystemError(ERROR_FILENAME_EXCED_RANGE);
  UNICODE_STRING text{};
  text.Buffer = const_cast<PWSTR>(name.data());
  text.Length = text.MaximumLength = static_cast<USHORT>(name.size() * sizeof(wchar_t));
  OBJECT_ATTRIBUTES attributes{};
  InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, folder, nullptr);
  IO_STATUS_BLOCK io{};
  HANDLE handle = nullptr;
  const NTSTATUS status =
      NtCreateFile(&handle, access | SYNCHRONIZE, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL, share, disposition,
                   options | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
  if (status < 0) return MakeSystemError(static_cast<int>(RtlNtStatusToDosError(status)));
  return Handle(handle);
}

Result<std::shared_ptr<const Handle>> OpenFolderBelow(const TreeRoot& root, const std::filesystem::path& dir) {
  const std::optional<std::vector<std::wstring>> names = NamesBelow(root.path(), dir);
  if (!names) return MakeSystemError(ERROR_NOT_SAME_DEVICE);
  return OpenFolderNames(root, *names, names->size());
}

Result<Handle> OpenFileBelow(const TreeRoot& root, const std::filesystem::path& path, ACCESS_MASK access, ULONG share) {
  const std::optional<std::vector<std::wstring>> names = NamesBelow(root.path(), path);
  if (!names) return MakeSystemError(ERROR_NOT_SAME_DEVICE);
  if (names->empty()) return MakeSystemError(ERROR_ACCESS_DENIED);  // the root is a folder
  Result<std::shared_ptr<const Handle>> folder = OpenFolderNames(root, *names, names->size() - 1);
  if (!folder) return folder.error();
  Result<Handle> file = OpenRelative((*folder)->get(), names->back(), access, share, FILE_OPEN, FILE_NON_DIRECTORY_FILE);
  if (!file) return file;
  Result<bool> reparse = IsReparsePoint(file->get());
  if (!reparse) return reparse.error();
  if (*reparse) return LinkInPlace();
  return file;
}

SystemError LinkInPlace() {
  return SystemError{ERROR_CANT_ACCESS_FILE, "a link took the place of what the walk listed; not followed"};
}

Result<bool> IsReparsePoint(HANDLE handle) {
  FILE_ATTRIBUTE_TAG_INFO tag{};
  if (!GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag)) return LastSystemError();
  return (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

}  // namespace vantrel::os::win32
