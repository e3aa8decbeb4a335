// The reader of the backups a journal records, on any bytes in a journal's place: never a
// crash, and exactly the BackupMade records that the journal's own reader finds before the
// first torn or broken record (one per backup path), no more and no fewer.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <set>
#include <span>
#include <string>

#include "cli/backup_records.h"
#include "fuzz/check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantrel;
  static const std::filesystem::path folder = [] {
    std::filesystem::path made = std::filesystem::temp_directory_path() / ("backup_records_fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(made);
    return made;
  }();
  {
    std::ofstream out(folder / "run.journal", std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  const cli::BackupRecords records = cli::BackupRecords::Read(folder);
  const std::span<const std::uint8_t> bytes(data, size);
  std::set<std::string> expected;
  if (journal::DecodeHeader(bytes)) {
    for (const journal::Decoded& decoded : journal::DecodeRecords(bytes.subspan(journal::kHeaderSize))) {
      if (const auto* made = std::get_if<journal::BackupMade>(&decoded.record)) expected.insert(made->backup);
    }
  }
  FUZZ_CHECK(records.size() == expected.size());
  return 0;
}
