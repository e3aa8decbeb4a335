#include "platform/tree_root.h"

#include <windows.h>

#include <utility>

#include "platform/system_error.h"
#include "platform/wide_text.h"

namespace vantrel::os {

// The folder is only checked here: entries below it are opened by path with their own
// reparse points refused (FILE_FLAG_OPEN_REPARSE_POINT), which needs no handle of the root.
Result<TreeRoot> TreeRoot::Open(const std::filesystem::path& dir) {
  const DWORD attributes = GetFileAttributesW(win32::ApiPath(dir).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return LastSystemError();
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return MakeSystemError(ERROR_DIRECTORY);
  TreeRoot root;
  root.path_ = dir;
  return root;
}

TreeRoot::TreeRoot(TreeRoot&& other) noexcept
    : path_(std::move(other.path_)), handle_(std::exchange(other.handle_, -1)) {}

TreeRoot& TreeRoot::operator=(TreeRoot&& other) noexcept {
  path_ = std::move(other.path_);
  handle_ = std::exchange(other.handle_, -1);
  return *this;
}

TreeRoot::~TreeRoot() = default;

}  // namespace vantrel::os
