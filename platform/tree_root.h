// The top folder of a walk, held open. Every folder and file the walk lists below it is
// opened below it without following a link on the way, so a name swapped for a link after
// its folder was listed cannot lead a read or a write out of the tree: the open fails
// instead. No name below the root may be a link: on POSIX the kernel resolves the names
// beneath the root's descriptor, on Windows each name is opened relative to its folder's
// handle and refused when it is a reparse point (a symbolic link, a junction).
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>

#include "platform/result.h"

namespace vantrel::os {

namespace win32 {
class FolderCache;
}

class TreeRoot {
 public:
  // Opens dir as the user named it: a link named as the root is followed, as grep and
  // ripgrep do, since the user chose it.
  static Result<TreeRoot> Open(const std::filesystem::path& dir);

  TreeRoot(TreeRoot&& other) noexcept;
  TreeRoot& operator=(TreeRoot&& other) noexcept;
  TreeRoot(const TreeRoot&) = delete;
  TreeRoot& operator=(const TreeRoot&) = delete;
  ~TreeRoot();

  // The root as named; the walk's paths are it joined with the names listed below it.
  const std::filesystem::path& path() const { return path_; }
  // The descriptor of the root on POSIX, its HANDLE on Windows.
  std::intptr_t handle() const { return handle_; }
  // Windows: the folders below the root opened last (the root among them, which owns the
  // handle), shared by the walk's threads; nothing on POSIX.
  win32::FolderCache* folders() const { return folders_.get(); }

 private:
  TreeRoot() = default;
  std::filesystem::path path_;
  std::intptr_t handle_ = -1;
  std::shared_ptr<win32::FolderCache> folders_;
};

}  // namespace vantrel::os
