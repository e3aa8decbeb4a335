#include "platform/tree_root.h"

#include <windows.h>

#include <utility>

#include "platform/system_error.h"
#include "platform/win32/folder_cache.h"
#include "platform/win32/handle.h"
#include "platform/wide_text.h"

namespace vantrel::os {

// The root is opened as named, links followed; every name below it is opened relative to
// this handle (see win32/open_below.h), which the folder cache owns.
Result<TreeRoot> TreeRoot::Open(const std::filesystem::path& dir) {
  win32::Handle handle(CreateFileW(win32::ApiPath(dir).c_str(),
                                   FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (handle.get() == INVALID_HANDLE_VALUE) return LastSystemError();
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle.get(), &info)) return LastSystemError();
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return MakeSystemError(ERROR_DIRECTORY);
  TreeRoot root;
  root.path_ = dir;
  root.handle_ = reinterpret_cast<std::intptr_t>(handle.get());
  root.folders_ = std::make_shared<win32::FolderCache>(std::move(handle));
  return root;
}

TreeRoot::TreeRoot(TreeRoot&& other) noexcept
    : path_(std::move(other.path_)), handle_(std::exchange(other.handle_, -1)), folders_(std::move(other.folders_)) {}

TreeRoot& TreeRoot::operator=(TreeRoot&& other) noexcept {
  path_ = std::move(other.path_);
  handle_ = std::exchange(other.handle_, -1);
  folders_ = std::move(other.folders_);
  return *this;
}

TreeRoot::~TreeRoot() = default;

}  // namespace vantrel::os
