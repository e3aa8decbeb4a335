// The file opened below the root for deletion, relative to its folder's handle, its read-only
// attribute cleared, and marked to go when the handle closes.
#include "platform/remove_below.h"

#include <windows.h>

#include "platform/system_error.h"
#include "platform/win32/open_below.h"

namespace vantrel::os {

Result<void> RemoveBelow(const TreeRoot& root, const std::filesystem::path& path) {
  Result<win32::Handle> file = win32::OpenFileBelow(root, path, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  if (!file) return file.error();
  FILE_BASIC_INFO basic{};  // times of zero are left as they are
  basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  if (!SetFileInformationByHandle(file->get(), FileBasicInfo, &basic, sizeof basic)) return LastSystemError();
  FILE_DISPOSITION_INFO dispose{};
  dispose.DeleteFile = TRUE;
  if (!SetFileInformationByHandle(file->get(), FileDispositionInfo, &dispose, sizeof dispose)) return LastSystemError();
  return {};
}

}  // namespace vantrel::os
