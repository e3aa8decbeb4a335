// POSIX only: opens a path as a regular file, refusing directories, devices and pipes (the
// descriptor is opened non-blocking, so a FIFO met in a walk never blocks the open).
#pragma once

#include <sys/types.h>

#include <filesystem>

#include "engine/result.h"

namespace vantrel::os::posix {

struct OpenedFile {
  int fd = -1;
  off_t length = 0;  // the length of the open file
};

// flags: O_RDONLY or O_RDWR; the rest is added here.
Result<OpenedFile> OpenRegularFile(const std::filesystem::path& path, int flags);

// Why a FIFO, a socket or a device is refused.
SystemError NotARegularFile();

// The length of an open descriptor, or why it is no regular file.
Result<off_t> MeasureRegularFile(int fd);

}  // namespace vantrel::os::posix
