// The listing half of a walk: the tree depth first in listing order, each regular file the
// walk takes and each directory that cannot be listed handed to a visitor as it is met.
// Links are followed only when asked, with each directory entered once; the file choice
// (globs, depth) decides which files are taken and which directories entered.
#pragma once

#include <filesystem>

#include "platform/tree_root.h"
#include "platform/result.h"
#include "runs/file_choice.h"

namespace vantrel {

class TreeVisitor {
 public:
  virtual ~TreeVisitor() = default;
  virtual void File(const std::filesystem::path& path) = 0;
  virtual void Unlistable(const std::filesystem::path& dir, const SystemError& error) = 0;
  // True when the walk should end now.
  virtual bool Stopped() = 0;
};

// With a root (dir is its path), every directory is opened below it with no link followed.
void ListTree(const std::filesystem::path& dir, bool follow_links, const FileChoice& choice, TreeVisitor& visitor,
              const os::TreeRoot* root = nullptr);

}  // namespace vantrel
