// The journal reader on any bytes, as a journal left on disk by a crash, a full disk or a
// stranger may hold them:
//   decoding never crashes; the records it takes lie one after the other from the start, and
//   each encodes again to exactly its own bytes (so a record is read one way only); reading
//   the same bytes from a file, record by record as a recovery and an undo do, takes the
//   same records.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/journal_file.h"
#include "fuzz/check.h"
#include "runs/journal.h"
#include "runs/journal_format.h"
#include "runs/journal_index.h"

namespace {

// The file the bytes are read back from, removed when the fuzzer ends.
struct Scratch {
  std::filesystem::path path = std::filesystem::temp_directory_path() / ("journal_fuzz." + std::to_string(getpid()));
  ~Scratch() {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
  }
};

const std::filesystem::path& ScratchFile() {
  static const Scratch scratch;
  return scratch.path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantrel;
  const std::span<const std::uint8_t> bytes(data, size);
  (void)journal::DecodeHeader(bytes);
  const auto records = journal::DecodeRecords(bytes);
  JournalIndex from_bytes;
  std::int64_t at = 0;
  for (const journal::Decoded& decoded : records) {
    FUZZ_CHECK(decoded.offset == at);
    FUZZ_CHECK(decoded.size > 8 && at + decoded.size <= static_cast<std::int64_t>(size));
    const Bytes again = journal::Encode(decoded.record);
    FUZZ_CHECK(static_cast<std::int64_t>(again.size()) == decoded.size);
    FUZZ_CHECK(std::equal(again.begin(), again.end(), data + at));
    from_bytes.Add(decoded);
    at += decoded.size;
  }

  // The same records behind a header, in a file.
  {
    std::ofstream out(ScratchFile(), std::ios::binary | std::ios::trunc);
    const Bytes header = journal::EncodeHeader(journal::State::kOpen);
    out.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  Result<os::JournalFile> file = os::JournalFile::Open(ScratchFile(), /*lock=*/false);
  FUZZ_CHECK(file.ok());
  std::int64_t end = 0;
  Result<JournalIndex> from_file = Journal::Scan(*file, &end);
  FUZZ_CHECK(from_file.ok());
  FUZZ_CHECK(end == static_cast<std::int64_t>(journal::kHeaderSize) + at);
  FUZZ_CHECK(from_file->files().size() == from_bytes.files().size());
  FUZZ_CHECK(from_file->ended() == from_bytes.ended() && from_file->undone() == from_bytes.undone());
  for (std::size_t i = 0; i < from_bytes.files().size(); ++i) {
    FUZZ_CHECK(from_file->files()[i].batches.size() == from_bytes.files()[i].batches.size());
  }
  return 0;
}
