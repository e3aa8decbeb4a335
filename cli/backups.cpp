#include "cli/backups.h"

#include "cli/os/file_copy.h"
#include "engine/os/path_text.h"

namespace vantrel::cli {

Result<void> Backups::Before(const std::filesystem::path& path) {
  if (!suffix_) return {};
  {
    std::lock_guard lock(mutex_);
    if (made_.count(path) != 0) return {};
  }
  std::filesystem::path backup = path;
  backup += *suffix_;
  const Result<void> copied = os::CopyToNewFile(path, backup);
  if (!copied) {
    const std::string name = "'" + vantrel::os::PathText(backup) + "'";
    SystemError why = copied.error();
    why.message = os::IsAlreadyExists(why) ? "not written: the backup " + name + " exists already"
                                           : "not written: cannot make the backup " + name + ": " + why.message;
    return why;
  }
  std::lock_guard lock(mutex_);
  made_.insert(path);
  return {};
}

}  // namespace vantrel::cli
