// Directory listing and directory identity, for the walk of a tree.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/result.h"

namespace vantrel::os {

// What makes a file or a directory the same however it is reached (a link, a second hard
// link, a mount): device and inode on POSIX, volume serial number and file index on Windows.
struct FileId {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  friend bool operator==(const FileId&, const FileId&) = default;
};

struct FileIdHash {
  std::size_t operator()(const FileId& id) const {
    return std::hash<std::uint64_t>{}(id.volume * 0x9E3779B97F4A7C15ull ^ id.index);
  }
};

struct DirectoryEntry {
  std::filesystem::path path;  // the listed directory joined with the entry's name
  bool is_directory = false;   // a directory, or a link that leads to one
  // The identity of what the entry leads to, where the listing gives it without opening
  // the file: on POSIX always (the inode of the entry, or of a link's target); on Windows
  // never, since only an open handle tells it there.
  std::optional<FileId> id;
};

// The entries of a directory in the order the file system lists them, hidden and system
// entries included, "." and ".." left out.
Result<std::vector<DirectoryEntry>> ListDirectory(const std::filesystem::path& dir);

// The identity of the directory a path leads to (links followed).
Result<FileId> IdentifyDirectory(const std::filesystem::path& dir);

}  // namespace vantrel::os
