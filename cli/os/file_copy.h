// A copy of a file under a new name that did not exist before: the backup made before the
// first write to a file. An existing file of that name is never touched.
#pragma once

#include <filesystem>

#include "engine/result.h"

namespace vantrel::cli::os {

// Creates `to` (failing when it exists), copies every byte of `from` into it, gives it the
// modification time of `from`, and flushes the copy to the storage device before returning. On any failure after `to` was created,
// the partial copy is removed again.
Result<void> CopyToNewFile(const std::filesystem::path& from, const std::filesystem::path& to);

// Puts a copy back in place of its file: the file gets the copy's bytes, length and
// modification time, written in place (its other names and its permissions stay), flushed to
// the device, and only then is the copy removed. A file that is gone is made again.
Result<void> PutBack(const std::filesystem::path& copy, const std::filesystem::path& file);

// True when the error says that the file to create exists already.
bool IsAlreadyExists(const SystemError& error);

}  // namespace vantrel::cli::os
