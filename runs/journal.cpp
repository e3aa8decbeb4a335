#include "runs/journal.h"

#include <algorithm>
#include <chrono>

#include "platform/crc32.h"

namespace vantrel {

Journal::Journal(std::filesystem::path path, std::string command) : path_(std::move(path)), command_(std::move(command)) {}

Result<JournalIndex> Journal::Scan(const os::JournalFile& file, std::int64_t* end) {
  JournalIndex index;
  std::int64_t at = static_cast<std::int64_t>(journal::kHeaderSize);
  Bytes frame(8);
  for (;;) {
    Result<std::size_t> got = file.ReadAt(at, frame);
    if (!got) return got.error();
    if (*got < frame.size()) break;
    const std::uint32_t size = static_cast<std::uint32_t>(frame[0]) | static_cast<std::uint32_t>(frame[1]) << 8 |
                               static_cast<std::uint32_t>(frame[2]) << 16 | static_cast<std::uint32_t>(frame[3]) << 24;
    if (size == 0 || size > journal::kMaxRecord) break;
    Bytes framed(8 + static_cast<std::size_t>(size));
    got = file.ReadAt(at, framed);
    if (!got) return got.error();
    const auto records = journal::DecodeRecords(std::span<const std::uint8_t>(framed).first(*got));
    if (records.size() != 1) break;
    journal::Decoded decoded = records.front();
    decoded.offset = at;
    index.Add(decoded);
    at += decoded.size;
  }
  if (end != nullptr) *end = at;
  return index;
}

Result<std::unique_ptr<Journal>> Journal::Reopen(const std::filesystem::path& path) {
  Result<os::JournalFile> file = os::JournalFile::Open(path, /*lock=*/true);
  if (!file) return file.error();
  Bytes header(journal::kHeaderSize);
  Result<std::size_t> got = file->ReadAt(0, header);
  if (!got) return got.error();
  if (!journal::DecodeHeader(std::span<const std::uint8_t>(header).first(*got))) {
    return SystemError{0, "it is not a journal of this program (or of a later version)"};
  }
  std::int64_t end = 0;
  Result<JournalIndex> index = Scan(*file, &end);
  if (!index) return index.error();
  Result<std::int64_t> length = file->Length();
  if (!length) return length.error();
  // Appends go behind the last whole record: a torn tail is cut off first.
  if (end < *length) {
    if (Result<void> cut = file->Truncate(end); !cut) return cut.error();
  }
  auto journal = std::make_unique<Journal>(path, std::string());
  for (const JournaledFile& entry : index->files()) journal->next_file_ = std::max(journal->next_file_, entry.begun.file + 1);
  journal->index_ = std::move(*index);
  journal->file_.emplace(std::move(*file));
  journal->written_ = journal->synced_ = end;
  return journal;
}

void Journal::Hold(std::vector<os::FileId> held, std::string reason) {
  held_ = std::move(held);
  held_reason_ = std::move(reason);
}

Result<void> Journal::MayWrite(const os::FileState& before) {
  if (std::find(held_.begin(), held_.end(), before.id) == held_.end()) return {};
  return SystemError{0, held_reason_};
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
      broken_ = Unwritable(made.error());
      file_.reset();
      return *broken_;
    }
  }
  const LogSpan span{written_, static_cast<std::int64_t>(framed.size())};
  if (Result<void> put = file_->WriteAt(written_, framed); !put) {
    // A record cut short would hide every record behind it: it goes, or nothing more is added.
    if (!file_->Truncate(written_)) broken_ = Unwritable(put.error());
    return Unwritable(put.error());
  }
  written_ += span.size;
  return span;
}

SystemError Journal::Unwritable(const SystemError& error) const {
  return SystemError{error.code, "cannot write the journal " + journal::PathBytes(path_) + ": " + error.message};
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
    if (!synced) return Unwritable(synced.error());
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

Result<LogSpan> Journal::AppendAhead(std::uint64_t file, std::span<const PlannedWrite> writes) {
  journal::RegionsWritten batch{file, {}};
  batch.regions.reserve(writes.size());
  for (const PlannedWrite& write : writes) {
    batch.regions.push_back({write.offset, write.old, static_cast<std::uint32_t>(write.bytes.size()), Crc32(write.bytes)});
  }
  const Bytes framed = journal::Encode(batch);
  std::lock_guard lock(mutex_);
  return Append(framed);
}

Result<void> Journal::FlushTo(std::int64_t end) {
  std::unique_lock lock(mutex_);
  if (broken_) return *broken_;
  return SyncTo(end, lock);
}

Result<journal::RegionsWritten> Journal::ReadRegions(const LogSpan& span) const {
  Bytes bytes(static_cast<std::size_t>(span.size));
  {
    std::lock_guard lock(mutex_);
    if (!file_) return SystemError{0, "the journal was never made"};
    Result<std::size_t> got = file_->ReadAt(span.offset, bytes);
    if (!got) return got.error();
    bytes.resize(*got);
  }
  auto records = journal::DecodeRecords(bytes);
  auto* batch = records.size() == 1 ? std::get_if<journal::RegionsWritten>(&records[0].record) : nullptr;
  if (batch == nullptr) return SystemError{0, "the journal no longer holds the old bytes"};
  return std::move(*batch);
}

Result<std::vector<PlannedWrite>> Journal::ReadBack(const LogSpan& span) {
  Result<journal::RegionsWritten> batch = ReadRegions(span);
  if (!batch) return batch.error();
  std::vector<PlannedWrite> writes;
  writes.reserve(batch->regions.size());
  for (journal::Region& region : batch->regions) writes.push_back({region.offset, std::move(region.old), {}});
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
    // A journal that broke was reported with each file it refused; it stays unfinished, and
    // a recovery finishes it.
    if (!file_ || broken_) return {};
  }
  if (Result<void> ended = Record(journal::RunEnded{}, true); !ended) return ended;
  std::unique_lock lock(mutex_);
  const Bytes header = journal::EncodeHeader(journal::State::kFinished);
  if (Result<void> put = file_->WriteAt(0, header); !put) return put;
  return file_->Sync();
}

}  // namespace vantrel
