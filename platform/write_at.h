// A positioned write of a whole buffer to an open file: the one loop that the file classes of
// each platform share (the file being patched and the journal).
#pragma once

#include <cstdint>
#include <span>

#include "platform/result.h"

namespace vantrel::os {

// Writes every byte of bytes at offset to a descriptor (POSIX) or HANDLE (Windows), or fails.
Result<void> WriteAt(std::intptr_t file, std::int64_t offset, std::span<const std::uint8_t> bytes);

}  // namespace vantrel::os
