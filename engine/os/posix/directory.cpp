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

// Fills in what the entry leads to. Only links and entries of unknown type cost a stat;
// for the others the listing's own inode number, on the directory's device, is the identity.
void Describe(const dirent& entry, dev_t device, DirectoryEntry& listed) {
  if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) {
    listed.is_directory = entry.d_type == DT_DIR;
    listed.id = FileId{static_cast<std::uint64_t>(device), static_cast<std::uint64_t>(entry.d_ino)};
    return;
  }
  struct stat st {};
  if (stat(listed.path.c_str(), &st) != 0) return;  // a dangling link: a file that will not open
  listed.is_directory = S_ISDIR(st.st_mode);
  listed.id = FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

}  // namespace

Result<std::vector<DirectoryEntry>> ListDirectory(const std::filesystem::path& dir) {
  DIR* stream = opendir(dir.c_str());
  if (stream == nullptr) return LastSystemError();
  struct stat self {};
  if (fstat(dirfd(stream), &self) != 0) {
    const SystemError error = LastSystemError();
    closedir(stream);
    return error;
  }
  std::vector<DirectoryEntry> entries;
  while (const dirent* entry = readdir(stream)) {
    if (IsDot(entry->d_name)) continue;
    DirectoryEntry listed{dir / entry->d_name, false, std::nullopt};
    Describe(*entry, self.st_dev, listed);
    entries.push_back(std::move(listed));
  }
  closedir(stream);
  return entries;
}

Result<FileId> IdentifyDirectory(const std::filesystem::path& dir) {
  struct stat st {};
  if (stat(dir.c_str(), &st) != 0) return LastSystemError();
  return FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

}  // namespace vantrel::os
