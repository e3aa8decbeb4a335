#include "runs/backup_put_back.h"

#include <algorithm>
#include <memory>
#include <string>
#include <system_error>

#include "runs/careful_write.h"
#include "platform/crc32.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kPiece = std::size_t{1} << 20;
// Equal bytes between two that differ, up to this many, go into one write: fewer, longer
// regions for about the same bytes.
constexpr std::size_t kJoinGap = 16;

SystemError Interrupted() { return SystemError{0, "interrupted"}; }
SystemError ChangedUnderUs() { return SystemError{0, "the file changed while it was put back"}; }

std::string Sizes(std::int64_t size, std::int64_t made) {
  return "it is not whole: " + std::to_string(size) + " bytes, and the backup made was " + std::to_string(made);
}

// The writes that turn have into want inside one piece at offset: each run of differing
// bytes, and the part of want past the file's end.
Result<void> ReplaceDiffering(CarefulWriter& writer, std::int64_t offset, std::span<const std::uint8_t> want,
                              std::span<const std::uint8_t> have) {
  const std::size_t common = std::min(want.size(), have.size());
  std::size_t i = 0;
  while (i < common) {
    if (want[i] == have[i]) {
      ++i;
      continue;
    }
    std::size_t end = i + 1;  // one past the last differing byte
    for (std::size_t j = end; j < common && j < end + kJoinGap; ++j) {
      if (want[j] != have[j]) end = j + 1;
    }
    Result<WriteOutcome> put = writer.Replace(offset + static_cast<std::int64_t>(i), have.subspan(i, end - i), want.subspan(i, end - i));
    if (!put) return put.error();
    if (*put == WriteOutcome::kChanged) return ChangedUnderUs();
    i = end;
  }
  if (want.size() > have.size()) {
    Result<WriteOutcome> put = writer.Replace(offset + static_cast<std::int64_t>(common), {}, want.subspan(common));
    if (!put) return put.error();
    if (*put == WriteOutcome::kChanged) return ChangedUnderUs();
  }
  return {};
}

// Every piece of the backup over the file, then the file cut to the backup's length; what was
// read of the backup is checked against its record once more at the end.
Result<void> PutBackInPlace(const os::CopySource& backup, const journal::BackupMade& made, CarefulWriter& writer,
                            const os::GiveUp& give_up) {
  Bytes want(kPiece);
  Bytes have(kPiece);
  std::uint32_t crc = 0;
  std::int64_t at = 0;
  for (;;) {
    if (give_up && give_up()) return Interrupted();
    Result<std::size_t> wanted = backup.ReadAt(at, want);
    if (!wanted) return wanted.error();
    if (*wanted == 0) break;
    Result<std::size_t> had = writer.ReadAt(at, std::span<std::uint8_t>(have).first(*wanted));
    if (!had) return had.error();
    const auto piece = std::span<const std::uint8_t>(want).first(*wanted);
    crc = Crc32(piece, crc);
    if (Result<void> put = ReplaceDiffering(writer, at, piece, std::span<const std::uint8_t>(have).first(*had)); !put) return put;
    at += static_cast<std::int64_t>(*wanted);
  }
  if (at != made.size || crc != made.crc) return SystemError{0, "the backup changed while it was put back"};
  std::uint8_t beyond = 0;
  Result<std::size_t> longer = writer.ReadAt(at, std::span<std::uint8_t>(&beyond, 1));
  if (!longer) return longer.error();
  if (*longer != 0) return writer.Cut(at);
  return {};
}

// The file made again under its name from the backup, whole or not at all. Below a tree it is
// made inside its folder opened below the root with no link followed, so that a folder
// swapped for a link since the listing is refused rather than a file made at the link's end.
Result<void> MakeAgain(const os::CopySource& backup, const journal::BackupMade& made, const fs::path& file,
                       const os::GiveUp& give_up, const os::TreeRoot* tree) {
  Result<os::CopyPrint> copied = os::CopyToNewFile(backup, file, give_up, tree);
  if (!copied) return copied.error();
  if (copied->size != made.size || copied->crc != made.crc) {
    (void)os::RemoveCopy(file, tree);
    return SystemError{0, "the backup changed while it was put back"};
  }
  return {};
}

}  // namespace

Result<void> CheckWhole(const os::CopySource& backup, const journal::BackupMade& made, const os::GiveUp& give_up) {
  if (backup.size() != made.size) return SystemError{0, Sizes(backup.size(), made.size)};
  Bytes piece(kPiece);
  std::uint32_t crc = 0;
  std::int64_t at = 0;
  for (;;) {
    if (give_up && give_up()) return Interrupted();
    Result<std::size_t> got = backup.ReadAt(at, piece);
    if (!got) return got.error();
    if (*got == 0) break;
    crc = Crc32(std::span<const std::uint8_t>(piece).first(*got), crc);
    at += static_cast<std::int64_t>(*got);
  }
  if (at != made.size) return SystemError{0, Sizes(at, made.size)};
  if (crc != made.crc) return SystemError{0, "its bytes are not the ones backed up (their CRC-32 differs)"};
  return {};
}

Result<void> PutBackFromCopy(const os::CopySource& backup, const journal::BackupMade& made, const fs::path& file,
                             WriteAheadLog* log, const os::GiveUp& give_up, const os::TreeRoot* tree) {
  std::error_code error;
  if (fs::symlink_status(file, error).type() == fs::file_type::not_found) return MakeAgain(backup, made, file, give_up, tree);
  WriteOptions options;
  options.log = log;
  // In place: the file keeps its other names and its permissions. A link in its place (or,
  // below a tree, on its way) is refused when it is opened, so the open file is the file of
  // that name.
  Result<CarefulWriter> writer = CarefulWriter::Open(
      [file, tree]() -> Result<std::unique_ptr<vantrel::os::UpdateStream>> {
        Result<vantrel::os::UpdateFile> opened =
            tree != nullptr ? vantrel::os::UpdateFile::Open(file, tree) : vantrel::os::UpdateFile::OpenNoLink(file);
        if (!opened) return opened.error();
        return std::unique_ptr<vantrel::os::UpdateStream>(std::make_unique<vantrel::os::UpdateFile>(std::move(*opened)));
      },
      options, file);
  if (!writer) return writer.error();
  writer->SetTimeAtClose(backup.time());
  if (Result<void> put = PutBackInPlace(backup, made, *writer, give_up); !put) {
    writer->PutBack();
    return put;
  }
  return writer->Close();
}

}  // namespace vantrel
