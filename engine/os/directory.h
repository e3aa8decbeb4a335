// Directory listing and directory identity, for the walk of a tree.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/result.h"

namespace vantrel::os {

struct DirectoryEntry {
  std::filesystem::path path;  // the listed directory joined with the entry's name
  bool is_directory = false;   // a directory, or a link that leads to one
};

// The entries of a directory in the order the file system lists them, hidden and system
// entries included, "." and ".." left out.
Result<std::vector<DirectoryEntry>> ListDirectory(const std::filesystem::path& dir);

// What makes a directory the same directory however it is reached: device and inode on
// POSIX, volume serial number and file index on Windows.
struct DirectoryId {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  friend bool operator==(const DirectoryId&, const DirectoryId&) = default;
};

struct DirectoryIdHash {
  std::size_t operator()(const DirectoryId& id) const {
    return std::hash<std::uint64_t>{}(id.volume * 0x9E3779B97F4A7C15ull ^ id.index);
  }
};

// The identity of the directory a path leads to (links followed).
Result<DirectoryId> IdentifyDirectory(const std::filesystem::path& dir);

}  // namespace vantrel::os
