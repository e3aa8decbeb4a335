// unlinkat() relative to the folder opened below the root, then fsync() of that folder.
#include "platform/remove_below.h"

#include <fcntl.h>
#include <unistd.h>

#include "platform/posix/open_regular_file.h"
#include "platform/system_error.h"

namespace vantrel::os {

Result<void> RemoveBelow(const TreeRoot& root, const std::filesystem::path& path) {
  Result<int> folder = posix::OpenBelow(root, path.parent_path(), O_RDONLY | O_DIRECTORY);
  if (!folder) return folder.error();
  Result<void> removed;
  if (unlinkat(*folder, path.filename().c_str(), 0) != 0) removed = LastSystemError();
  if (removed) (void)fsync(*folder);
  close(*folder);
  return removed;
}

}  // namespace vantrel::os
