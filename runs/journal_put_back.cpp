#include "runs/journal_put_back.h"

#include <algorithm>
#include <cerrno>

#include "platform/crc32.h"

namespace vantrel {
namespace {

using Status = JournalPutBack::Status;

JournalPutBack LeftAlone(std::string reason) { return {Status::kLeftAlone, std::move(reason)}; }
JournalPutBack Failed(const SystemError& error) { return {Status::kFailed, error.message}; }

// Whether a region holds the bytes the run wrote there, or the bytes it held before.
bool RegionAsLeft(os::UpdateStream& stream, const journal::Region& region) {
  Bytes now(std::max<std::size_t>(region.new_length, region.old.size()));
  Result<std::size_t> got = stream.ReadAt(region.offset, now);
  if (!got) return false;
  const auto there = std::span<const std::uint8_t>(now).first(*got);
  if (there.size() >= region.new_length && Crc32(there.first(region.new_length)) == region.new_crc) return true;
  return there.size() >= region.old.size() && std::equal(region.old.begin(), region.old.end(), there.begin());
}

// The check of an undo: every region of every batch as the run left it, and where the file
// reached past its old end, the length too.
std::optional<JournalPutBack> CheckAsLeft(const Journal& journal, const JournaledFile& file, os::UpdateStream& stream,
                                          const os::FileState& now) {
  if (now.length != file.kept->length && now.length != file.begun.before.length) {
    return LeftAlone("changed since the run (its length is not the one the run left); left alone");
  }
  for (const LogSpan& span : file.batches) {
    Result<journal::RegionsWritten> batch = journal.ReadRegions(span);
    if (!batch) return Failed(batch.error());
    for (const journal::Region& region : batch->regions) {
      if (!RegionAsLeft(stream, region)) {
        return LeftAlone("changed since the run (the bytes at " + std::to_string(region.offset) +
                         " are not the ones it wrote); left alone");
      }
    }
  }
  return std::nullopt;
}

// The check of a recovery: no write of the run took the file past its last region.
std::optional<JournalPutBack> CheckReach(const Journal& journal, const JournaledFile& file, const os::FileState& now) {
  std::int64_t reach = file.begun.before.length;
  for (const LogSpan& span : file.batches) {
    Result<journal::RegionsWritten> batch = journal.ReadRegions(span);
    if (!batch) return Failed(batch.error());
    for (const journal::Region& region : batch->regions) reach = std::max(reach, region.offset + region.new_length);
  }
  if (now.length < file.begun.before.length || now.length > reach) {
    return LeftAlone("changed since the run (its length is not one the run could leave); left alone");
  }
  return std::nullopt;
}

Result<void> WriteOldBytes(const Journal& journal, const JournaledFile& file, os::UpdateStream& stream) {
  for (auto span = file.batches.rbegin(); span != file.batches.rend(); ++span) {
    Result<journal::RegionsWritten> batch = journal.ReadRegions(*span);
    if (!batch) return batch.error();
    for (auto region = batch->regions.rbegin(); region != batch->regions.rend(); ++region) {
      if (region->old.empty()) continue;
      if (Result<void> put = stream.WriteAt(region->offset, region->old); !put) return put;
    }
  }
  return {};
}

}  // namespace

JournalPutBack PutBackJournaled(const Journal& journal, const JournaledFile& file, PutBackPurpose purpose) {
  // No batch reached the journal, so no byte of the file was written.
  if (file.batches.empty()) return {};
  const std::filesystem::path path = journal::PathOf(file.begun.path);
  Result<os::UpdateFile> opened = os::UpdateFile::OpenNoLink(path);
  if (!opened) {
    if (opened.error().code == ENOENT) return LeftAlone("no longer there; nothing put back");
    return Failed(opened.error());
  }
  os::UpdateFile& stream = *opened;
  Result<os::FileState> now = stream.State();
  if (!now) return Failed(now.error());
  if (now->id != file.begun.before.id) return LeftAlone("no longer the file the run wrote; left alone");
  const std::optional<JournalPutBack> refused =
      purpose == PutBackPurpose::kUndo ? CheckAsLeft(journal, file, stream, *now) : CheckReach(journal, file, *now);
  if (refused) return *refused;
  Result<void> done = WriteOldBytes(journal, file, stream);
  if (done && now->length != file.begun.before.length) done = stream.Truncate(file.begun.before.length);
  if (done) done = stream.SetModificationTime(file.begun.before.time);
  if (done) done = stream.Sync();
  if (done) done = stream.Close();
  if (!done) return Failed(done.error());
  return {};
}

}  // namespace vantrel
