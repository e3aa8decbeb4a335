// POSIX only: opens a path as a regular file, refusing directories, devices and pipes (the
// descriptor is opened non-blocking, so a FIFO met in a walk never blocks the open).
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

#include "platform/tree_root.h"
#include "platform/result.h"

namespace vantrel::os::posix {

struct OpenedFile {
  int fd = -1;
  off_t length = 0;  // the length of the open file
};

// flags: O_RDONLY or O_RDWR; the rest is added here. With a root, path is opened below it
// with no link followed (see OpenBelow).
Result<OpenedFile> OpenRegularFile(const std::filesystem::path& path, int flags, const TreeRoot* root = nullptr);

// Opens path, the root's path joined with names below it, relative to the root's descriptor
// without following a link in any of those names: a link there fails with ELOOP (or, where
// the kernel cannot resolve beneath a descriptor, each folder is opened in turn with
// O_NOFOLLOW). flags are open(2)'s; O_CLOEXEC and O_NOCTTY are added.
Result<int> OpenBelow(const TreeRoot& root, const std::filesystem::path& path, int flags);

// The portable way of it: each folder of names ('/' between them) opened in turn from the
// descriptor root with O_NOFOLLOW, then the last name with flags | O_NOFOLLOW.
Result<int> OpenEachBelow(int root, const std::string& names, int flags);

// Why a FIFO, a socket or a device is refused.
SystemError NotARegularFile();

// The length of an open descriptor, or why it is no regular file.
Result<off_t> MeasureRegularFile(int fd);

}  // namespace vantrel::os::posix
