// A journal is read a record at a time, each decoded and checked by its CRC-32 as the journal's
// own reader does, so that a torn or broken record ends what counts of that journal; only a
// record at a time is in memory (a batch of old bytes, about 1 MiB), whatever the journal's size.
#include "cli/backup_records.h"

#include <array>
#include <system_error>
#include <vector>

#include "platform/file_copy.h"

namespace vantrel::cli {
namespace {

constexpr std::size_t kFrameHead = 8;  // the length of what follows the CRC, and the CRC
constexpr std::uint32_t kLargestRecord = 1u << 28;  // as the journal's reader: larger is broken

std::uint32_t Le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 | static_cast<std::uint32_t>(p[2]) << 16 |
         static_cast<std::uint32_t>(p[3]) << 24;
}

// The BackupMade records of one journal, under the start of its run.
void ReadJournal(const std::filesystem::path& path, std::map<std::int64_t, std::vector<journal::BackupMade>>& runs) {
  Result<os::CopySource> file = os::CopySource::Open(path, /*follow_links=*/false);
  if (!file) return;
  std::array<std::uint8_t, journal::kHeaderSize> header{};
  if (Result<std::size_t> got = file->ReadAt(0, header); !got || *got != header.size()) return;
  if (!journal::DecodeHeader(header)) return;
  std::int64_t start = 0;
  std::vector<journal::BackupMade> made;
  std::int64_t at = static_cast<std::int64_t>(journal::kHeaderSize);
  std::array<std::uint8_t, kFrameHead> head{};
  while (at < file->size()) {
    if (Result<std::size_t> got = file->ReadAt(at, head); !got || *got != head.size()) break;
    const std::uint32_t size = Le32(head.data());
    if (size == 0 || size > kLargestRecord ||
        static_cast<std::int64_t>(size) > file->size() - at - static_cast<std::int64_t>(kFrameHead)) {
      break;
    }
    Bytes frame(kFrameHead + size);
    if (Result<std::size_t> got = file->ReadAt(at, frame); !got || *got != frame.size()) break;
    const std::vector<journal::Decoded> decoded = journal::DecodeRecords(frame);
    if (decoded.size() != 1) break;  // torn or broken: nothing behind it counts
    if (const auto* started = std::get_if<journal::RunStarted>(&decoded[0].record)) start = started->start_ns;
    if (const auto* backup = std::get_if<journal::BackupMade>(&decoded[0].record)) made.push_back(*backup);
    at += static_cast<std::int64_t>(frame.size());
  }
  auto& run = runs[start];
  run.insert(run.end(), made.begin(), made.end());
}

}  // namespace

std::string RecordedPath(const std::filesystem::path& path) {
  // The folder with its links resolved, so that two spellings of one folder agree; the name
  // itself as it is, so that a link put in place of a file is still known by its name.
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (error) absolute = path;
  absolute = absolute.lexically_normal();
  std::filesystem::path folder = std::filesystem::weakly_canonical(absolute.parent_path(), error);
  if (error) folder = absolute.parent_path();
  return journal::PathBytes(folder / absolute.filename());
}

BackupRecords BackupRecords::Read(const std::filesystem::path& folder) {
  std::map<std::int64_t, std::vector<journal::BackupMade>> runs;  // by the run's start
  std::error_code error;
  for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
    if (entry->is_regular_file(error)) ReadJournal(entry->path(), runs);
  }
  BackupRecords records;
  for (auto& [start, made] : runs) {
    for (journal::BackupMade& record : made) {
      std::string key = record.backup;
      records.by_backup_[std::move(key)] = std::move(record);
    }
  }
  return records;
}

const journal::BackupMade* BackupRecords::Find(const std::filesystem::path& backup) const {
  const auto found = by_backup_.find(RecordedPath(backup));
  return found == by_backup_.end() ? nullptr : &found->second;
}

std::optional<journal::BackupMade> BackupRecords::Find(const std::filesystem::path& backup,
                                                      const std::filesystem::path& file) const {
  const journal::BackupMade* made = Find(backup);
  if (made == nullptr || made->path != RecordedPath(file)) return std::nullopt;
  return *made;
}

}  // namespace vantrel::cli
