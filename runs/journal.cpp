#include "runs/journal.h"

#include <chrono>

#include "runs/crc32.h"

namespace vantrel {

Journal::Journal(std::filesystem::path path, std::string command) : path_(std::move(path)), command_(std::move(command)) {}

Result<std::unique_ptr<Journal>> Journal::Reopen(const std::filesystem::path& path) {
  Result<os::JournalFile> file = os::JournalFile::Open(path, /*lock=*/true);
  if (!file) return file.error();
  Result<std::int64_t> length = file->Length();
  if (!length) return length.error();
  auto journal = std::make_unique<Journal>(path, std::string());
  // Appends go behind the last whole record: a torn tail is cut off first.
  Bytes bytes(static_cast<std::size_t>(*length));
  if (Result<std::size_t> got = file->ReadAt(0, bytes); !got) return got.error();
  std::int64_t end = static_cast<std::int64_t>(journal::kHeaderSize);
  const auto records = journal::DecodeRecords(std::span<const std::uint8_t>(bytes).subspan(std::min(bytes.size(), journal::kHeaderSize)));
  if (!records.empty()) end += records.back().offset + records.back().size;
  for (const journal::Decoded& decoded : records) {
    if (const auto* begun = std::get_if<journal::FileBegun>(&decoded.record)) {
      journal->next_file_ = std::max(journal->next_file_, begun->file + 1);
    }
  }
  if (end < *length) {
    if (Result<void> cut = file->Truncate(end); !cut) return cut.error();
  }
  journal->file_.emplace(std::move(*file));
  journal->written_ = journal->synced_ = end;
  return journal;
}

bool Journal::made() const {
  std::lock_guard lock(mutex_);
  return file_.has_value();
}

Result<void> Journal::MakeFile() {
  Result<os::JournalFile> file = os::JournalFile::Create(path_);
  if (!file) return file.error();
  file_.emplace(std::move(*file));
  const Bytes header = journal::EncodeHeader(journal::State::kOpen);
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const Bytes started = journal::Encode(
      journal::RunStarted{std::chrono::duration_cast<std::chrono::nanoseconds>(now).count(), command_});
  Bytes both(header);
  both.insert(both.end(), started.begin(), started.end());
  if (Result<void> put = file_->WriteAt(0, both); !put) return put;
  written_ = static_cast<std::int64_t>(both.size());
  return {};
}

Result<LogSpan> Journal::Append(const Bytes& framed) {
  if (broken_) return *broken_;
  if (!file_) {
    if (Result<void> made = MakeFile(); !made) {
      broken_ = made.error();
      return *broken_;
    }
  }
  const LogSpan span{written_, static_cast<std::int64_t>(framed.size())};
  if (Result<void> put = file_->WriteAt(written_, framed); !put) {
    // A record cut short would hide every record behind it: it goes, or nothing more is added.
    if (!file_->Truncate(written_)) broken_ = put.error();
    return put.error();
  }
  written_ += span.size;
  return span;
}

Result<void> Journal::SyncTo(std::int64_t end, std::unique_lock<std::mutex>& lock) {
  while (synced_ < end) {
    if (syncing_) {
      synced_moved_.wait(lock);
      continue;
    }
    syncing_ = true;
    const std::int64_t target = written_;
    lock.unlock();
    Result<void> synced = file_->Sync();
    lock.lock();
    syncing_ = false;
    synced_moved_.notify_all();
    if (!synced) return synced;
    synced_ = std::max(synced_, target);
  }
  return {};
}

Result<std::uint64_t> Journal::BeginFile(const std::filesystem::path& path, const os::FileState& before) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (error) absolute = path;
  std::unique_lock lock(mutex_);
  const std::uint64_t file = next_file_++;
  Result<LogSpan> put = Append(journal::Encode(journal::FileBegun{file, journal::PathBytes(absolute), before}));
  if (!put) return put.error();
  return file;
}

Result<LogSpan> Journal::WriteAhead(std::uint64_t file, std::span<const PlannedWrite> writes) {
  journal::RegionsWritten batch{file, {}};
  batch.regions.reserve(writes.size());
  for (const PlannedWrite& write : writes) {
    batch.regions.push_back({write.offset, write.old, static_cast<std::uint32_t>(write.bytes.size()), Crc32(write.bytes)});
  }
  const Bytes framed = journal::Encode(batch);
  std::unique_lock lock(mutex_);
  Result<LogSpan> span = Append(framed);
  if (!span) return span;
  if (Result<void> synced = SyncTo(span->offset + span->size, lock); !synced) return synced.error();
  return span;
}

Result<std::vector<PlannedWrite>> Journal::ReadBack(const LogSpan& span) {
  Bytes bytes(static_cast<std::size_t>(span.size));
  {
    std::lock_guard lock(mutex_);
    if (!file_) return SystemError{0, "the journal was never made"};
    Result<std::size_t> got = file_->ReadAt(span.offset, bytes);
    if (!got) return got.error();
    bytes.resize(*got);
  }
  const auto records = journal::DecodeRecords(bytes);
  const auto* batch = records.size() == 1 ? std::get_if<journal::RegionsWritten>(&records[0].record) : nullptr;
  if (batch == nullptr) return SystemError{0, "the journal no longer holds the old bytes"};
  std::vector<PlannedWrite> writes;
  writes.reserve(batch->regions.size());
  for (const journal::Region& region : batch->regions) writes.push_back({region.offset, region.old, {}});
  return writes;
}

void Journal::Kept(std::uint64_t file, const os::FileState& after) {
  // Flushed with the next batch or at the run's end: until then a crash puts the file back,
  // which is one of the two states it may be left in.
  (void)Record(journal::FileKept{file, after}, false);
}

void Journal::PutBack(std::uint64_t file) { (void)Record(journal::FilePutBack{file}, false); }

Result<void> Journal::Record(const journal::Record& record, bool flush) {
  std::unique_lock lock(mutex_);
  Result<LogSpan> span = Append(journal::Encode(record));
  if (!span) return span.error();
  if (flush) return SyncTo(span->offset + span->size, lock);
  return {};
}

Result<void> Journal::Finish() {
  {
    std::lock_guard lock(mutex_);
    if (!file_) return {};
  }
  if (Result<void> ended = Record(journal::RunEnded{}, true); !ended) return ended;
  std::unique_lock lock(mutex_);
  const Bytes header = journal::EncodeHeader(journal::State::kFinished);
  if (Result<void> put = file_->WriteAt(0, header); !put) return put;
  return file_->Sync();
}

}  // namespace vantrel
