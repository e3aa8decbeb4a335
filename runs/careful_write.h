// The only way Vantrel changes a file: overwrite the bytes at an offset after reading them
// back and finding them still matching the pattern, and call it done only when the write and
// the close succeeded. When any step of a write fails, the file gets its old bytes and length
// back: the bytes the write covers are read before it, and every write is undone in reverse.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "engine/hex_text.h"
#include "engine/masked_pattern.h"
#include "engine/os/update_file.h"
#include "engine/result.h"

namespace vantrel {

enum class WriteOutcome {
  kWritten,  // the replacement reached the file
  kChanged,  // the bytes at the offset no longer match the pattern: nothing written
};

// An update stream on one file that many careful writes share.
class CarefulWriter {
 public:
  // Opens the stream; called again to undo the writes when the close fails.
  using Opener = std::function<Result<std::unique_ptr<os::UpdateStream>>()>;

  // keep_mtime: the file gets back the modification time it had when it was opened.
  static Result<CarefulWriter> Open(const std::filesystem::path& path, bool keep_mtime = false);
  static Result<CarefulWriter> Open(Opener opener, bool keep_mtime = false);

  // Writes replacement at offset if the bytes there match expected; the replacement's unknown
  // bits keep the file's (they lie within the bytes of the match). A replacement that reaches
  // past the end of the file grows it: the part past the old end is written first, then the
  // part inside. found, when given, gets the bytes that were there. An error means the file
  // is as it was before this call.
  Result<WriteOutcome> Replace(std::int64_t offset, const MaskedPattern& expected, const MaskedPattern& replacement,
                               Bytes* found = nullptr);
  Result<WriteOutcome> Replace(std::int64_t offset, std::span<const std::uint8_t> expected,
                               std::span<const std::uint8_t> replacement) {
    return Replace(offset, ExactPattern(expected), ExactPattern(replacement));
  }

  // Closes the stream, after setting the modification time back when asked. When that or the
  // close fails, every write made through this writer is undone through a new open, as far
  // as the file lets it, and the error is returned.
  Result<void> Close();

 private:
  struct Undo {
    std::int64_t offset;  // where the write began
    Bytes old;            // the bytes it covered inside the old file
    std::int64_t length;  // the file's length before a write that grew it, else -1
  };

  CarefulWriter(Opener opener, std::unique_ptr<os::UpdateStream> stream, std::optional<os::FileTime> time);
  static void Restore(os::UpdateStream& stream, const Undo& undo);
  void UndoAll();

  Opener opener_;
  std::unique_ptr<os::UpdateStream> stream_;
  std::optional<os::FileTime> time_;  // the modification time to set back
  std::vector<Undo> done_;            // the writes made so far, oldest first
};

// Opens path for update, replaces once and closes: the whole write of an asking run.
Result<WriteOutcome> WriteIfUnchanged(const std::filesystem::path& path, std::int64_t offset,
                                      const MaskedPattern& expected, const MaskedPattern& replacement,
                                      bool keep_mtime = false, Bytes* found = nullptr);
inline Result<WriteOutcome> WriteIfUnchanged(const std::filesystem::path& path, std::int64_t offset,
                                             std::span<const std::uint8_t> expected,
                                             std::span<const std::uint8_t> replacement) {
  return WriteIfUnchanged(path, offset, ExactPattern(expected), ExactPattern(replacement));
}

}  // namespace vantrel
