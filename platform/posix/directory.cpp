// Directory listing with readdir; the kind comes from d_type, and from lstat only where the
// file system does not fill d_type in.
#include "platform/directory.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/open_regular_file.h"
#include "platform/system_error.h"

namespace vantrel::os {
namespace {

bool IsDot(const char* name) { return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)); }

EntryKind KindOfMode(mode_t mode) {
  if (S_ISREG(mode)) return EntryKind::kFile;
  if (S_ISDIR(mode)) return EntryKind::kDirectory;
  if (S_ISLNK(mode)) return EntryKind::kLink;
  return EntryKind::kOther;
}

EntryKind KindOf(DIR* stream, const dirent& entry) {
  switch (entry.d_type) {
    case DT_REG: return EntryKind::kFile;
    case DT_DIR: return EntryKind::kDirectory;
    case DT_LNK: return EntryKind::kLink;
    case DT_UNKNOWN: break;
    default: return EntryKind::kOther;
  }
  struct stat st {};
  // An entry gone since the listing is left as a file: opening it will say what happened.
  if (fstatat(dirfd(stream), entry.d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) return EntryKind::kFile;
  return KindOfMode(st.st_mode);
}

DIR* OpenDirectory(const std::filesystem::path& dir, const TreeRoot* root, SystemError& why) {
  if (root == nullptr) {
    DIR* stream = opendir(dir.c_str());
    if (stream == nullptr) why = LastSystemError();
    return stream;
  }
  Result<int> fd = posix::OpenBelow(*root, dir, O_RDONLY | O_DIRECTORY);
  if (!fd) {
    why = fd.error();
    return nullptr;
  }
  DIR* stream = fdopendir(*fd);
  if (stream == nullptr) {
    why = LastSystemError();
    close(*fd);
  }
  return stream;
}

}  // namespace

Result<std::vector<DirectoryEntry>> ListDirectory(const std::filesystem::path& dir, const TreeRoot* root) {
  SystemError why;
  DIR* stream = OpenDirectory(dir, root, why);
  if (stream == nullptr) return why;
  std::vector<DirectoryEntry> entries;
  while (const dirent* entry = readdir(stream)) {
    if (IsDot(entry->d_name)) continue;
    DirectoryEntry listed{dir / entry->d_name, EntryKind::kOther};
    listed.kind = KindOf(stream, *entry);
    entries.push_back(std::move(listed));
  }
  closedir(stream);
  return entries;
}

Result<EntryKind> TargetKind(const std::filesystem::path& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return LastSystemError();
  return KindOfMode(st.st_mode);
}

Result<FileId> IdentifyPath(const std::filesystem::path& dir) {
  struct stat st {};
  if (stat(dir.c_str(), &st) != 0) return LastSystemError();
  return FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

}  // namespace vantrel::os
