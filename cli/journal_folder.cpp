#include "cli/journal_folder.h"

#include <algorithm>
#include <cstdio>

#include "platform/journal_file.h"
#include "runs/journal.h"

namespace vantrel::cli {

namespace fs = std::filesystem;

std::string JournalName(std::chrono::system_clock::time_point start) {
  using namespace std::chrono;
  const auto nanoseconds = duration_cast<std::chrono::nanoseconds>(start.time_since_epoch());
  const auto day = floor<days>(sys_time<std::chrono::nanoseconds>(nanoseconds));
  const year_month_day date(day);
  const hh_mm_ss time(sys_time<std::chrono::nanoseconds>(nanoseconds) - day);
  char name[64];
  std::snprintf(name, sizeof name, "%04d-%02u-%02u_%02ld-%02ld-%02ld.%09ld.journal", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<long>(time.hours().count()), static_cast<long>(time.minutes().count()),
                static_cast<long>(time.seconds().count()), static_cast<long>(time.subseconds().count()));
  return name;
}

std::vector<fs::path> ListJournals(const fs::path& folder) {
  std::vector<fs::path> journals;
  std::error_code error;
  for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
    if (entry->path().extension() == ".journal" && entry->is_regular_file(error)) journals.push_back(entry->path());
  }
  std::sort(journals.begin(), journals.end());
  return journals;
}

namespace {

std::optional<journal::State> HeaderState(const vantrel::os::JournalFile& file) {
  Bytes header(journal::kHeaderSize);
  Result<std::size_t> got = file.ReadAt(0, header);
  if (!got) return std::nullopt;
  return journal::DecodeHeader(std::span<const std::uint8_t>(header).first(*got));
}

}  // namespace

std::optional<UnfinishedRun> Unfinished(const fs::path& path) {
  // The header first, without the lock: a run takes its journal's lock before it writes the
  // header, so a journal being made is passed over, and its run never finds its lock taken.
  Result<vantrel::os::JournalFile> peek = vantrel::os::JournalFile::Open(path, /*lock=*/false);
  if (!peek) return std::nullopt;
  const std::optional<journal::State> state = HeaderState(*peek);
  if (!state || *state == journal::State::kFinished) return std::nullopt;
  // A live run holds its journal's lock: only a journal whose lock is free can be unfinished.
  Result<vantrel::os::JournalFile> file = vantrel::os::JournalFile::Open(path, /*lock=*/true);
  if (!file) return std::nullopt;
  Result<JournalIndex> index = Journal::Scan(*file);
  if (!index || index->ended()) return std::nullopt;
  UnfinishedRun run{path, {}};
  for (const JournaledFile& entry : index->files()) {
    if (entry.caught()) run.caught.push_back(entry.begun.before.id);
  }
  return run;
}

std::vector<UnfinishedRun> FindUnfinished(const fs::path& folder) {
  std::vector<UnfinishedRun> runs;
  for (const fs::path& journal : ListJournals(folder)) {
    if (std::optional<UnfinishedRun> run = Unfinished(journal)) runs.push_back(std::move(*run));
  }
  return runs;
}

}  // namespace vantrel::cli
