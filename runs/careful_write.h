// The only way Vantrel changes a file: overwrite the bytes at an offset after reading them
// back and finding them still equal to the pattern, and call it done only when the write and
// the close succeeded.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "engine/os/update_file.h"
#include "engine/result.h"

namespace vantrel {

enum class WriteOutcome {
  kWritten,  // the replacement reached the file
  kChanged,  // the bytes at the offset are no longer the pattern: nothing written
  kFailed,   // the file could not be opened for update, or a write or the close failed
};

struct WriteReport {
  WriteOutcome outcome = WriteOutcome::kFailed;
  SystemError error;  // why, when kFailed
};

// An update stream on one file that many careful writes can share; Close() reports whether
// everything written reached the file.
class CarefulWriter {
 public:
  static Result<CarefulWriter> Open(const std::filesystem::path& path);

  // Writes replacement at offset if the bytes there equal expected. A replacement that
  // reaches past the end of the file grows it: the part past the old end is written first,
  // and only when that succeeded the part inside the old file, in one write. A growth that
  // fails part-way is cut back, so the old bytes are either all kept or all replaced.
  WriteReport Replace(std::int64_t offset, std::span<const std::uint8_t> expected,
                      std::span<const std::uint8_t> replacement);

  Result<void> Close() { return file_.Close(); }

 private:
  explicit CarefulWriter(os::UpdateFile file) : file_(std::move(file)) {}
  os::UpdateFile file_;
};

// Opens path for update, replaces once, closes: the whole write of a dialog run.
WriteReport WriteIfUnchanged(const std::filesystem::path& path, std::int64_t offset,
                             std::span<const std::uint8_t> expected, std::span<const std::uint8_t> replacement);

}  // namespace vantrel
