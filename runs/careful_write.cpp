#include "runs/careful_write.h"

#include <algorithm>

namespace vantrel {
namespace {

SystemError Finished() { return SystemError{0, "the file was already closed or put back"}; }

SystemError LongerThanItsSize() {
  return SystemError{0, "the file holds more than its size says, so a write to it could not be put back"};
}

}  // namespace

Result<CarefulWriter> CarefulWriter::Open(const std::filesystem::path& path, WriteOptions options) {
  return Open(
      [path, tree = options.tree]() -> Result<std::unique_ptr<os::UpdateStream>> {
        Result<os::UpdateFile> file = os::UpdateFile::Open(path, tree);
        if (!file) return file.error();
        return std::unique_ptr<os::UpdateStream>(std::make_unique<os::UpdateFile>(std::move(*file)));
      },
      options, path);
}

Result<CarefulWriter> CarefulWriter::Open(Opener opener, WriteOptions options, std::filesystem::path path) {
  Result<std::unique_ptr<os::UpdateStream>> stream = opener();
  if (!stream) return stream.error();
  // What puts the file back is taken before anything changes; a file that cannot tell it is
  // not written.
  Result<os::FileState> before = (*stream)->State();
  if (!before) return before.error();
  if (options.log != nullptr) {
    if (Result<void> may = options.log->MayWrite(*before); !may) return may.error();
  }
  return CarefulWriter(std::move(opener), std::move(*stream), *before, options, std::move(path));
}

CarefulWriter::CarefulWriter(Opener opener, std::unique_ptr<os::UpdateStream> stream, os::FileState before,
                             WriteOptions options, std::filesystem::path path)
    : opener_(std::move(opener)), stream_(std::move(stream)), before_(before), options_(options), path_(std::move(path)),
      end_(before.length) {}

CarefulWriter::~CarefulWriter() {
  if (stream_ && !done_) PutBack();
}

Result<WriteOutcome> CarefulWriter::Replace(std::int64_t offset, const MaskedPattern& expected,
                                            const MaskedPattern& replacement, Bytes* found) {
  if (done_) return Finished();
  // A write over one still gathered would read bytes that are not yet there.
  if (!pending_.empty() && offset < pending_.back().offset + static_cast<std::int64_t>(pending_.back().bytes.size())) {
    if (Result<void> flushed = Flush(); !flushed) return flushed.error();
  }
  // Everything the write covers inside the file is read first: the bytes to check, the bits
  // the replacement keeps, and the old bytes to put back. A read stops short only at the end
  // of the file, which tells the old length without asking for it.
  Bytes there(std::max(expected.size(), replacement.size()));
  Result<std::size_t> read = stream_->ReadAt(offset, there);
  if (!read) {
    PutBack();
    return read.error();
  }
  if (offset + static_cast<std::int64_t>(*read) > end_) {
    // Bytes beyond the length the file had when it was opened: its size is not what it holds
    // (a proc or FUSE file), or it grows meanwhile. Putting it back would cut it to that length.
    PutBack();
    return LongerThanItsSize();
  }
  if (*read < expected.size() || !MatchesAt(expected, there.data())) return WriteOutcome::kChanged;
  if (found != nullptr) found->assign(there.begin(), there.begin() + static_cast<std::ptrdiff_t>(expected.size()));
  Bytes bytes(replacement.bytes);
  for (std::size_t i = 0; i < std::min(*read, bytes.size()); ++i) {
    bytes[i] = static_cast<std::uint8_t>((there[i] & ~replacement.mask[i]) | (bytes[i] & replacement.mask[i]));
  }
  there.resize(std::min(*read, bytes.size()));
  end_ = std::max(end_, offset + static_cast<std::int64_t>(bytes.size()));
  pending_bytes_ += bytes.size();
  // Adjacent writes are one region, so a dense pattern costs about the bytes it changes.
  PlannedWrite* last = pending_.empty() ? nullptr : &pending_.back();
  if (last != nullptr && last->old.size() == last->bytes.size() &&
      last->offset + static_cast<std::int64_t>(last->bytes.size()) == offset) {
    last->old.insert(last->old.end(), there.begin(), there.end());
    last->bytes.insert(last->bytes.end(), bytes.begin(), bytes.end());
  } else {
    pending_.push_back({offset, std::move(there), std::move(bytes)});
  }
  if (pending_.size() >= kBatchWrites || pending_bytes_ >= kBatchBytes) {
    if (Result<void> flushed = Flush(); !flushed) return flushed.error();
  }
  return WriteOutcome::kWritten;
}

Result<void> CarefulWriter::Flush() {
  if (pending_.empty()) return {};
  if (options_.log != nullptr) {
    Result<LogSpan> span = AppendAhead();
    if (!span) return span.error();
    if (Result<void> flushed = options_.log->FlushTo(span->offset + span->size); !flushed) {
      return GiveUpUnflushed(flushed.error());
    }
    return WriteAppended(*span);
  }
  if (Result<void> written = WriteBatch(); !written) {
    PutBack();
    return written;
  }
  for (PlannedWrite& write : pending_) {
    write.bytes.clear();
    in_memory_.push_back(std::move(write));
  }
  pending_.clear();
  pending_bytes_ = 0;
  return {};
}

bool CarefulWriter::CanShareFlush() const {
  return options_.log != nullptr && !done_ && !touched_ && spans_.empty() && !pending_.empty() &&
         pending_bytes_ <= kSharedBatchBytes && !time_at_close_;
}

Result<LogSpan> CarefulWriter::AppendAhead() {
  if (done_) return Finished();
  Result<void> begun = BeginInLog();
  Result<LogSpan> ahead = begun ? options_.log->AppendAhead(*file_, pending_) : Result<LogSpan>(begun.error());
  if (!ahead) return GiveUpUnflushed(ahead.error());
  return ahead;
}

SystemError CarefulWriter::GiveUpUnflushed(const SystemError& error) {
  // Without its old bytes on the device the batch is not written; the earlier ones go back.
  pending_.clear();
  pending_bytes_ = 0;
  PutBack();
  return SystemError{error.code, error.message + " (the file is as it was)"};
}

Result<void> CarefulWriter::WriteAppended(const LogSpan& span) {
  if (done_) return Finished();
  if (Result<void> written = WriteBatch(); !written) {
    PutBack();
    return written;
  }
  spans_.push_back(span);
  pending_.clear();
  pending_bytes_ = 0;
  return {};
}

Result<void> CarefulWriter::BeginInLog() {
  if (options_.log == nullptr || file_) return {};
  Result<std::uint64_t> begun = options_.log->BeginFile(path_, before_);
  if (!begun) return begun.error();
  file_ = *begun;
  return {};
}

Result<void> CarefulWriter::KeepOldBytes(std::vector<PlannedWrite> writes) {
  if (options_.log == nullptr) {
    for (PlannedWrite& write : writes) in_memory_.push_back(std::move(write));
    return {};
  }
  if (Result<void> begun = BeginInLog(); !begun) return begun;
  Result<LogSpan> ahead = options_.log->WriteAhead(*file_, writes);
  if (!ahead) return ahead.error();
  spans_.push_back(*ahead);
  return {};
}

Result<std::size_t> CarefulWriter::ReadAt(std::int64_t offset, std::span<std::uint8_t> out) {
  if (done_) return Finished();
  return stream_->ReadAt(offset, out);
}

Result<void> CarefulWriter::Cut(std::int64_t length) {
  if (done_) return Finished();
  if (Result<void> flushed = Flush(); !flushed) return flushed;
  Result<os::FileState> now = stream_->State();
  Result<void> kept = now ? Result<void>() : Result<void>(now.error());
  // The bytes cut off go where the old bytes of a write go, a batch at a time, before the cut.
  for (std::int64_t at = length; kept && at < now->length;) {
    PlannedWrite piece{at, Bytes(static_cast<std::size_t>(std::min<std::int64_t>(kBatchBytes, now->length - at))), {}};
    Result<std::size_t> got = stream_->ReadAt(at, piece.old);
    if (!got) kept = got.error();
    if (!kept || *got == 0) break;  // shorter already: the cut has less to keep
    piece.old.resize(*got);
    at += static_cast<std::int64_t>(*got);
    std::vector<PlannedWrite> batch;
    batch.push_back(std::move(piece));
    kept = KeepOldBytes(std::move(batch));
  }
  if (kept) {
    touched_ = true;
    kept = stream_->Truncate(length);
  }
  if (!kept) PutBack();
  return kept;
}

Result<void> CarefulWriter::WriteBatch() {
  for (const PlannedWrite& write : pending_) {
    touched_ = true;
    // The part past the old end first: a write over a hole that fails for want of space
    // then fails before any byte inside the file changed.
    const auto head = std::span<const std::uint8_t>(write.bytes).first(write.old.size());
    const auto tail = std::span<const std::uint8_t>(write.bytes).subspan(write.old.size());
    Result<void> written;
    if (!tail.empty()) written = stream_->WriteAt(write.offset + static_cast<std::int64_t>(head.size()), tail);
    if (written && !head.empty()) written = stream_->WriteAt(write.offset, head);
    if (!written) return written;
  }
  return {};
}

void CarefulWriter::Restore(os::UpdateStream& stream, const PlannedWrite& write) {
  // Best effort: a file that refused a write may refuse its undo too, and there is nothing
  // further to try. Only the bytes that differ go back: they are the ones the write reached,
  // which already have their blocks, so putting them back cannot fail for want of space where
  // the write did (a write over a hole on a full disk).
  std::size_t first = 0;
  std::size_t last = write.old.size();
  Bytes now(write.old.size());
  if (Result<std::size_t> got = stream.ReadAt(write.offset, now); got && *got == now.size()) {
    while (first < last && now[first] == write.old[first]) ++first;
    while (last > first && now[last - 1] == write.old[last - 1]) --last;
  }
  if (first < last) {
    (void)stream.WriteAt(write.offset + static_cast<std::int64_t>(first),
                         std::span<const std::uint8_t>(write.old).subspan(first, last - first));
  }
}

void CarefulWriter::PutBackAll(os::UpdateStream& stream) {
  if (touched_) {
    for (auto write = pending_.rbegin(); write != pending_.rend(); ++write) Restore(stream, *write);
    for (auto span = spans_.rbegin(); span != spans_.rend(); ++span) {
      Result<std::vector<PlannedWrite>> batch = options_.log->ReadBack(*span);
      if (!batch) continue;
      for (auto write = batch->rbegin(); write != batch->rend(); ++write) Restore(stream, *write);
    }
    for (auto write = in_memory_.rbegin(); write != in_memory_.rend(); ++write) Restore(stream, *write);
    if (Result<os::FileState> now = stream.State(); !now || now->length > before_.length) {
      (void)stream.Truncate(before_.length);
    }
    (void)stream.SetModificationTime(before_.time);
    (void)stream.Sync();
  }
  if (options_.log != nullptr && file_) options_.log->PutBack(*file_);
  pending_.clear();
  spans_.clear();
  in_memory_.clear();
}

Result<void> CarefulWriter::Close() {
  if (done_) return {};
  if (Result<void> flushed = Flush(); !flushed) return flushed;
  Result<void> kept;
  if (time_at_close_) {
    // A change of the time alone is a change to put back too.
    kept = BeginInLog();
    touched_ = true;
    if (kept) kept = stream_->SetModificationTime(*time_at_close_);
  } else if (touched_ && options_.keep_mtime) {
    kept = stream_->SetModificationTime(before_.time);
  }
  if (kept && touched_) kept = stream_->Sync();
  Result<os::FileState> after = touched_ && kept ? stream_->State() : Result<os::FileState>(before_);
  if (!after) kept = after.error();
  if (!kept) {
    PutBack();
    return kept;
  }
  done_ = true;
  Result<void> closed = stream_->Close();
  if (!closed && touched_) {
    // The close is where some file systems report a write that did not reach the device.
    Result<std::unique_ptr<os::UpdateStream>> again = opener_();
    if (again) {
      PutBackAll(**again);
      (void)(*again)->Close();
    }
    return closed;
  }
  if (touched_ && options_.log != nullptr && file_) options_.log->Kept(*file_, *after);
  return closed;
}

void CarefulWriter::PutBack() {
  if (done_) return;
  done_ = true;
  PutBackAll(*stream_);
  (void)stream_->Close();
}

Result<WriteOutcome> WriteIfUnchanged(const std::filesystem::path& path, std::int64_t offset,
                                      const MaskedPattern& expected, const MaskedPattern& replacement,
                                      WriteOptions options, Bytes* found) {
  Result<CarefulWriter> writer = CarefulWriter::Open(path, options);
  if (!writer) return writer.error();
  Result<WriteOutcome> report = writer->Replace(offset, expected, replacement, found);
  if (Result<void> closed = writer->Close(); !closed && report) return closed.error();
  return report;
}

}  // namespace vantrel
