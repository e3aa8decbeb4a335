// The listing half of a walk: the tree depth first in listing order, each regular file and
// each directory that cannot be listed handed to a visitor as it is met. Links are followed
// only when asked, with each directory entered once.
#pragma once

#include <filesystem>
#include <unordered_set>

#include "engine/os/file_id.h"
#include "engine/result.h"

namespace vantrel {

class TreeVisitor {
 public:
  virtual ~TreeVisitor() = default;
  virtual void File(const std::filesystem::path& path) = 0;
  virtual void Unlistable(const std::filesystem::path& dir, const SystemError& error) = 0;
  // True when the walk should end now.
  virtual bool Stopped() = 0;
};

void ListTree(const std::filesystem::path& dir, bool follow_links, TreeVisitor& visitor);

}  // namespace vantrel
