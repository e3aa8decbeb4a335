#include "platform/state_folder.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/system_error.h"

namespace vantrel::os {

Result<std::filesystem::path> StateFolder() {
  // An XDG_STATE_HOME that is not absolute is to be ignored, as the base directory rules say.
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state != nullptr && state[0] == '/') return std::filesystem::path(state) / "vantrel";
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] == '\0') return SystemError{ENOENT, "HOME is not set"};
  return std::filesystem::path(home) / ".local" / "state" / "vantrel";
}

Result<void> MakeStateFolder(const std::filesystem::path& folder) {
  std::error_code error;
  if (std::filesystem::is_directory(folder, error)) return {};
  if (folder.has_parent_path()) std::filesystem::create_directories(folder.parent_path(), error);
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return LastSystemError();
  return {};
}

}  // namespace vantrel::os
