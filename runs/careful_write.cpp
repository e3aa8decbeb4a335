#include "runs/careful_write.h"

#include <algorithm>

namespace vantrel {

Result<CarefulWriter> CarefulWriter::Open(const std::filesystem::path& path, bool keep_mtime) {
  return Open(
      [path]() -> Result<std::unique_ptr<os::UpdateStream>> {
        Result<os::UpdateFile> file = os::UpdateFile::Open(path);
        if (!file) return file.error();
        return std::unique_ptr<os::UpdateStream>(std::make_unique<os::UpdateFile>(std::move(*file)));
      },
      keep_mtime);
}

Result<CarefulWriter> CarefulWriter::Open(Opener opener, bool keep_mtime) {
  Result<std::unique_ptr<os::UpdateStream>> stream = opener();
  if (!stream) return stream.error();
  std::optional<os::FileTime> time;
  if (keep_mtime) {
    // A time that cannot be read cannot be kept: the file is not written.
    Result<os::FileTime> now = (*stream)->ModificationTime();
    if (!now) return now.error();
    time = *now;
  }
  return CarefulWriter(std::move(opener), std::move(*stream), time);
}

CarefulWriter::CarefulWriter(Opener opener, std::unique_ptr<os::UpdateStream> stream, std::optional<os::FileTime> time)
    : opener_(std::move(opener)), stream_(std::move(stream)), time_(time) {}

Result<WriteOutcome> CarefulWriter::Replace(std::int64_t offset, const MaskedPattern& expected,
                                            const MaskedPattern& replacement, Bytes* found) {
  // Everything the write covers inside the file is read first: the bytes to check, the bits
  // the replacement keeps, and the old bytes to put back if a later step fails. A read stops
  // short only at the end of the file, which tells the old length without asking for it.
  Bytes there(std::max(expected.size(), replacement.size()));
  Result<std::size_t> read = stream_->ReadAt(offset, there);
  if (!read) return read.error();
  if (*read < expected.size() || !MatchesAt(expected, there.data())) return WriteOutcome::kChanged;
  if (found != nullptr) found->assign(there.begin(), there.begin() + static_cast<std::ptrdiff_t>(expected.size()));
  Bytes bytes(replacement.bytes);
  for (std::size_t i = 0; i < std::min(*read, bytes.size()); ++i) {
    bytes[i] = static_cast<std::uint8_t>((there[i] & ~replacement.mask[i]) | (bytes[i] & replacement.mask[i]));
  }
  const std::size_t inside = std::min(*read, bytes.size());
  const bool grows = bytes.size() > *read;  // then the read met the end of the file
  const std::int64_t old_end = offset + static_cast<std::int64_t>(*read);
  there.resize(inside);
  const Undo undo{offset, std::move(there), grows ? old_end : -1};
  const auto head = std::span<const std::uint8_t>(bytes).first(inside);
  const auto tail = std::span<const std::uint8_t>(bytes).subspan(inside);
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
  Result<void> timed;
  if (time_ && !done_.empty()) timed = stream_->SetModificationTime(*time_);
  Result<void> closed = stream_->Close();
  if (!timed) closed = timed;
  if (!closed && !done_.empty()) UndoAll();
  done_.clear();
  return closed;
}

void CarefulWriter::UndoAll() {
  // The close is where some file systems report a write that did not reach the device.
  Result<std::unique_ptr<os::UpdateStream>> again = opener_();
  if (!again) return;
  for (auto undo = done_.rbegin(); undo != done_.rend(); ++undo) Restore(**again, *undo);
  if (time_) (void)(*again)->SetModificationTime(*time_);
  (void)(*again)->Close();
}

Result<WriteOutcome> WriteIfUnchanged(const std::filesystem::path& path, std::int64_t offset,
                                      const MaskedPattern& expected, const MaskedPattern& replacement, bool keep_mtime,
                                      Bytes* found) {
  Result<CarefulWriter> writer = CarefulWriter::Open(path, keep_mtime);
  if (!writer) return writer.error();
  Result<WriteOutcome> report = writer->Replace(offset, expected, replacement, found);
  if (Result<void> closed = writer->Close(); !closed && report) return closed.error();
  return report;
}

}  // namespace vantrel
