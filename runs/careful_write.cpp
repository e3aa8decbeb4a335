#include "runs/careful_write.h"

#include <algorithm>
#include <vector>

namespace vantrel {
namespace {

WriteReport Failed(SystemError error) { return {WriteOutcome::kFailed, std::move(error)}; }

}  // namespace

Result<CarefulWriter> CarefulWriter::Open(const std::filesystem::path& path) {
  Result<os::UpdateFile> file = os::UpdateFile::Open(path);
  if (!file) return file.error();
  return CarefulWriter(std::move(*file));
}

WriteReport CarefulWriter::Replace(std::int64_t offset, std::span<const std::uint8_t> expected,
                                   std::span<const std::uint8_t> replacement) {
  std::vector<std::uint8_t> there(expected.size());
  Result<std::size_t> read = file_.ReadAt(offset, there);
  if (!read) return Failed(read.error());
  if (*read != expected.size() || !std::equal(there.begin(), there.end(), expected.begin())) {
    return {WriteOutcome::kChanged, {}};
  }
  // A replacement no longer than the bytes just read back cannot reach past the end; only a
  // longer one needs the file's length (one call fewer per write in a batch).
  if (replacement.size() > expected.size()) {
    Result<std::int64_t> length = file_.Length();
    if (!length) return Failed(length.error());
    const std::int64_t inside =
        std::clamp<std::int64_t>(*length - offset, 0, static_cast<std::int64_t>(replacement.size()));
    const auto tail = replacement.subspan(static_cast<std::size_t>(inside));
    if (!tail.empty()) {
      if (Result<void> grown = file_.WriteAt(*length, tail); !grown) {
        (void)file_.Truncate(*length);  // undo whatever part of the growth got written
        return Failed(grown.error());
      }
    }
    replacement = replacement.first(static_cast<std::size_t>(inside));
  }
  const auto head = replacement;
  if (!head.empty()) {
    if (Result<void> written = file_.WriteAt(offset, head); !written) return Failed(written.error());
  }
  return {WriteOutcome::kWritten, {}};
}

WriteReport WriteIfUnchanged(const std::filesystem::path& path, std::int64_t offset,
                             std::span<const std::uint8_t> expected, std::span<const std::uint8_t> replacement) {
  Result<CarefulWriter> writer = CarefulWriter::Open(path);
  if (!writer) return Failed(writer.error());
  WriteReport report = writer->Replace(offset, expected, replacement);
  Result<void> closed = writer->Close();
  if (report.outcome == WriteOutcome::kWritten && !closed) return Failed(closed.error());
  return report;
}

}  // namespace vantrel
