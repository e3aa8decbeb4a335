// What makes a file or a directory the same however it is reached (a link, a second hard
// link, a mount): device and inode on POSIX, volume serial number and file index on Windows.
// It is always taken from the object itself (an open handle, or a stat of the path), never
// from a listing: on overlay file systems a listing's inode number paired with the
// directory's device names more than one file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace vantrel::os {

struct FileId {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  friend bool operator==(const FileId&, const FileId&) = default;
};

// A file's identity and how many names (hard links) it has: a file with one name can be
// reached under another only through a link the walk follows.
struct FileIdentity {
  FileId id;
  std::uint64_t links = 1;
};

struct FileIdHash {
  std::size_t operator()(const FileId& id) const {
    return std::hash<std::uint64_t>{}(id.volume * 0x9E3779B97F4A7C15ull ^ id.index);
  }
};

}  // namespace vantrel::os
