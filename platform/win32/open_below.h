// Windows only: what a walk opens below its root, one name at a time, each relative to the
// open handle of the folder above it (the native open with a root directory, Windows' own
// openat), each opened as itself rather than through it (FILE_OPEN_REPARSE_POINT) and refused
// when it is a reparse point: a symbolic link or a junction put in place of a listed file or
// folder, on the way or at the end, cannot lead the walk out of its tree.
#pragma once

#include <windows.h>

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "platform/tree_root.h"
#include "platform/win32/handle.h"
#include "platform/result.h"

namespace vantrel::os::win32 {

// Opens one name (no separator in it) relative to an open folder, a reparse point there
// opened as itself. options are the native open's (FILE_DIRECTORY_FILE, ...); the handle is
// synchronous, as CreateFileW's without FILE_FLAG_OVERLAPPED. disposition: FILE_OPEN or
// FILE_CREATE. An empty name opens the folder itself again.
Result<Handle> OpenRelative(HANDLE folder, std::wstring_view name, ACCESS_MASK access, ULONG share, ULONG disposition,
                            ULONG options);

// The folder dir below root, every folder from the root to it a real folder, with access to
// list it and to open names in it. Kept for the files of that folder, so that most opens of a
// file cost one native open.
Result<std::shared_ptr<const Handle>> OpenFolderBelow(const TreeRoot& root, const std::filesystem::path& dir);

// The file path below root, opened relative to its folder's handle; neither the file nor any
// folder on the way may be a reparse point.
Result<Handle> OpenFileBelow(const TreeRoot& root, const std::filesystem::path& path, ACCESS_MASK access, ULONG share);

// Why a reparse point met below the root is refused.
SystemError LinkInPlace();

// True when the handle's own attributes say it is a reparse point.
Result<bool> IsReparsePoint(HANDLE handle);

}  // namespace vantrel::os::win32
