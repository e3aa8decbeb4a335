#include "runs/careful_write.h"

#include <algorithm>

namespace vantrel {

Result<CarefulWriter> CarefulWriter::Open(const std::filesystem::path& path) {
  return Open([path]() -> Result<std::unique_ptr<os::UpdateStream>> {
    Result<os::UpdateFile> file = os::UpdateFile::Open(path);
    if (!file) return file.error();
    return std::unique_ptr<os::UpdateStream>(std::make_unique<os::UpdateFile>(std::move(*file)));
  });
}

Result<CarefulWriter> CarefulWriter::Open(Opener opener) {
  Result<std::unique_ptr<os::UpdateStream>> stream = opener();
  if (!stream) return stream.error();
  return CarefulWriter(std::move(opener), std::move(*stream));
}

CarefulWriter::CarefulWriter(Opener opener, std::unique_ptr<os::UpdateStream> stream)
    : opener_(std::move(opener)), stream_(std::move(stream)) {}

Result<WriteOutcome> CarefulWriter::Replace(std::int64_t offset, std::span<const std::uint8_t> expected,
                                            std::span<const std::uint8_t> replacement) {
  // Everything the write covers inside the file is read first: the pattern to check, and the
  // old bytes to put back if a later step fails. A read stops short only at the end of the
  // file, which tells the old length without asking for it.
  Bytes there(std::max(expected.size(), replacement.size()));
  Result<std::size_t> read = stream_->ReadAt(offset, there);
  if (!read) return read.error();
  if (*read < expected.size() || !std::equal(expected.begin(), expected.end(), there.begin())) {
    return WriteOutcome::kChanged;
  }
  const std::size_t inside = std::min(*read, replacement.size());
  const bool grows = replacement.size() > *read;  // then the read met the end of the file
  const std::int64_t old_end = offset + static_cast<std::int64_t>(*read);
  there.resize(inside);
  const Undo undo{offset, std::move(there), grows ? old_end : -1};
  const auto head = replacement.first(inside);
  const auto tail = replacement.subspan(inside);
  Result<void> written;
  if (!tail.empty()) written = stream_->WriteAt(old_end, tail);
  if (written && !head.empty()) written = stream_->WriteAt(offset, head);
  if (!written) {
    Restore(*stream_, undo);
    return written.error();
  }
  done_.push_back(undo);
  return WriteOutcome::kWritten;
}

void CarefulWriter::Restore(os::UpdateStream& stream, const Undo& undo) {
  // Best effort: a file that refused a write may refuse its undo too, and there is nothing
  // further to try. Only the bytes that differ go back: they are the ones the failed write
  // reached, which already have their blocks, so putting them back cannot fail for want of
  // space where the write did (a write over a hole on a full disk). Then the growth is cut off.
  std::size_t first = 0;
  std::size_t last = undo.old.size();
  Bytes now(undo.old.size());
  if (Result<std::size_t> got = stream.ReadAt(undo.offset, now); got && *got == now.size()) {
    while (first < last && now[first] == undo.old[first]) ++first;
    while (last > first && now[last - 1] == undo.old[last - 1]) --last;
  }
  if (first < last) {
    (void)stream.WriteAt(undo.offset + static_cast<std::int64_t>(first),
                         std::span<const std::uint8_t>(undo.old).subspan(first, last - first));
  }
  if (undo.length >= 0) (void)stream.Truncate(undo.length);
}

Result<void> CarefulWriter::Close() {
  Result<void> closed = stream_->Close();
  if (closed || done_.empty()) return closed;
  // The close is where some file systems report a write that did not reach the device.
  if (Result<std::unique_ptr<os::UpdateStream>> again = opener_(); again) {
    for (auto undo = done_.rbegin(); undo != done_.rend(); ++undo) Restore(**again, *undo);
    (void)(*again)->Close();
  }
  done_.clear();
  return closed;
}

Result<WriteOutcome> WriteIfUnchanged(const std::filesystem::path& path, std::int64_t offset,
                                      std::span<const std::uint8_t> expected,
                                      std::span<const std::uint8_t> replacement) {
  Result<CarefulWriter> writer = CarefulWriter::Open(path);
  if (!writer) return writer.error();
  Result<WriteOutcome> report = writer->Replace(offset, expected, replacement);
  if (Result<void> closed = writer->Close(); !closed && report) return closed.error();
  return report;
}

}  // namespace vantrel
