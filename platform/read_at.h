// A positioned read of an open file, to the end of the buffer or of the file: the one loop
// that the file classes of each platform share.
#pragma once

#include <cstdint>
#include <span>

#include "platform/result.h"

namespace vantrel::os {

// Reads up to out.size() bytes at offset from a descriptor (POSIX) or HANDLE (Windows);
// fewer only at the end of the file.
Result<std::size_t> ReadAt(std::intptr_t file, std::int64_t offset, std::span<std::uint8_t> out);

}  // namespace vantrel::os
