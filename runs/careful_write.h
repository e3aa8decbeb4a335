// The only way Vantrel changes a file: overwrite the bytes at an offset after reading them
// back and finding them still equal to the pattern, and call it done only when the write and
// the close succeeded. When any step of a write fails, the file gets its old bytes and length
// back: the bytes the write covers are read before it, and every write is undone in reverse.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "engine/hex_text.h"
#include "engine/os/update_file.h"
#include "engine/result.h"

namespace vantrel {

enum class WriteOutcome {
  kWritten,  // the replacement reached the file
  kChanged,  // the bytes at the offset are no longer the pattern: nothing written
};

// An update stream on one file that many careful writes share.
class CarefulWriter {
 public:
  // Opens the stream; called again to undo the writes when the close fails.
  using Opener = std::function<Result<std::unique_ptr<os::UpdateStream>>()>;

  static Result<CarefulWriter> Open(const std::filesystem::path& path);
  static Result<CarefulWriter> Open(Opener opener);

  // Writes replacement at offset if the bytes there equal expected. A replacement that
  // reaches past the end of the file grows it: the part past the old end is written first,
  // then the part inside. An error means the file is as it was before this call.
  Result<WriteOutcome> Replace(std::int64_t offset, std::span<const std::uint8_t> expected,
                               std::span<const std::uint8_t> replacement);

  // Closes the stream. When the close fails, every write made through this writer is undone
  // through a new open, as far as the file lets it, and the close's error is returned.
  Result<void> Close();

 private:
  struct Undo {
    std::int64_t offset;  // where the write began
    Bytes old;            // the bytes it covered inside the old file
    std::int64_t length;  // the file's length before a write that grew it, else -1
  };

  CarefulWriter(Opener opener, std::unique_ptr<os::UpdateStream> stream);
  static void Restore(os::UpdateStream& stream, const Undo& undo);

  Opener opener_;
  std::unique_ptr<os::UpdateStream> stream_;
  std::vector<Undo> done_;  // the writes made so far, oldest first
};

// Opens path for update, replaces once and closes: the whole write of a dialog run.
Result<WriteOutcome> WriteIfUnchanged(const std::filesystem::path& path, std::int64_t offset,
                                      std::span<const std::uint8_t> expected,
                                      std::span<const std::uint8_t> replacement);

}  // namespace vantrel
