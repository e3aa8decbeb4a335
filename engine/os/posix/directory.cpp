// Directory listing with readdir; the entry type comes from d_type where the file system
// gives it, and from stat (following links) where it does not or where the entry is a link.
#include "engine/os/directory.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstring>

#include "engine/os/system_error.h"

namespace vantrel::os {
namespace {

bool IsDot(const char* name) { return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)); }

bool LeadsToDirectory(const dirent& entry, const std::filesystem::path& path) {
  if (entry.d_type == DT_DIR) return true;
  if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) return false;
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

Result<std::vector<DirectoryEntry>> ListDirectory(const std::filesystem::path& dir) {
  DIR* stream = opendir(dir.c_str());
  if (stream == nullptr) return LastSystemError();
  std::vector<DirectoryEntry> entries;
  while (const dirent* entry = readdir(stream)) {
    if (IsDot(entry->d_name)) continue;
    DirectoryEntry listed{dir / entry->d_name, false};
    listed.is_directory = LeadsToDirectory(*entry, listed.path);
    entries.push_back(std::move(listed));
  }
  closedir(stream);
  return entries;
}

Result<DirectoryId> IdentifyDirectory(const std::filesystem::path& dir) {
  struct stat st {};
  if (stat(dir.c_str(), &st) != 0) return LastSystemError();
  return DirectoryId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

}  // namespace vantrel::os
