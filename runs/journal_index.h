// What a journal says of its run, gathered record by record: each file the run began, where
// its batches of old bytes lie in the journal, and what became of it (kept, put back, undone),
// and whether the run ended or was undone. A recovery and an undo work from it; the old bytes
// themselves stay in the journal and are read batch by batch, so that putting back a run that
// changed a GiB needs no GiB of memory.
#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "runs/journal_format.h"
#include "runs/write_ahead_log.h"

namespace vantrel {

struct JournaledFile {
  journal::FileBegun begun;
  std::vector<LogSpan> batches;        // the RegionsWritten records, oldest first
  std::optional<os::FileState> kept;  // the file as its last write left it
  bool put_back = false;               // the run (or a recovery) put it back
  bool undone = false;                 // an undo put it back

  // Begun, and neither kept nor put back: a crash caught it in the middle of its writes.
  bool caught() const { return !kept && !put_back; }
};

class JournalIndex {
 public:
  void Add(const journal::Decoded& decoded);

  const std::optional<journal::RunStarted>& started() const { return started_; }
  // In the order the run began them.
  const std::vector<JournaledFile>& files() const { return files_; }
  bool ended() const { return ended_; }
  bool undone() const { return undone_; }

 private:
  JournaledFile* Find(std::uint64_t file);

  std::optional<journal::RunStarted> started_;
  std::vector<JournaledFile> files_;
  std::unordered_map<std::uint64_t, std::size_t> by_number_;
  bool ended_ = false;
  bool undone_ = false;
};

}  // namespace vantrel
