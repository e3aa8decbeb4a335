#include "platform/tree_root.h"

#include <fcntl.h>
#include <unistd.h>

#include <utility>

#include "platform/system_error.h"

namespace vantrel::os {

Result<TreeRoot> TreeRoot::Open(const std::filesystem::path& dir) {
  const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return LastSystemError();
  TreeRoot root;
  root.path_ = dir;
  root.handle_ = fd;
  return root;
}

TreeRoot::TreeRoot(TreeRoot&& other) noexcept
    : path_(std::move(other.path_)), handle_(std::exchange(other.handle_, -1)), folders_(std::move(other.folders_)) {}

TreeRoot& TreeRoot::operator=(TreeRoot&& other) noexcept {
  if (this != &other) {
    if (handle_ >= 0) close(static_cast<int>(handle_));
    path_ = std::move(other.path_);
    handle_ = std::exchange(other.handle_, -1);
    folders_ = std::move(other.folders_);
  }
  return *this;
}

TreeRoot::~TreeRoot() {
  if (handle_ >= 0) close(static_cast<int>(handle_));
}

}  // namespace vantrel::os
