// Directory listing for the walk of a tree: each entry with its kind as the listing gives it,
// links left as links, so the walk decides whether to follow them.
#pragma once

#include <filesystem>
#include <vector>

#include "platform/file_id.h"
#include "platform/tree_root.h"
#include "platform/result.h"

namespace vantrel::os {

enum class EntryKind {
  kFile,       // a regular file
  kDirectory,  // a directory
  kLink,       // a symbolic link, or on Windows a junction or another reparse point
  kOther,      // a pipe, a device, a socket: nothing to search
};

struct DirectoryEntry {
  std::filesystem::path path;  // the listed directory joined with the entry's name
  EntryKind kind = EntryKind::kOther;
};

// The entries of a directory in the order the file system lists them, hidden and system
// entries included, "." and ".." left out. Costs no call per entry where the listing tells
// the kind (d_type on POSIX, the attributes on Windows).
// With a root, dir is opened below it with no link followed (see TreeRoot).
Result<std::vector<DirectoryEntry>> ListDirectory(const std::filesystem::path& dir, const TreeRoot* root = nullptr);

// What a path leads to with links followed: kFile, kDirectory or kOther.
Result<EntryKind> TargetKind(const std::filesystem::path& path);

// The identity of the file or directory a path leads to (links followed).
Result<FileId> IdentifyPath(const std::filesystem::path& path);

}  // namespace vantrel::os
