// Puts one file a journal recorded back as it was before its run: the old bytes of every
// region, newest first, then the old length and the old modification time, flushed. A
// recovery does it for a file a crash caught in the middle of its writes, whatever each
// region holds (old bytes, new bytes, or a write torn half-way); an undo does it for a kept
// file, and only when the file is still the one the run left: the same file, every region
// holding what the run wrote there (or, after an undo cut short, what was there before).
#pragma once

#include <string>

#include "runs/journal.h"
#include "runs/journal_index.h"

namespace vantrel {

enum class PutBackPurpose { kRecover, kUndo };

struct JournalPutBack {
  enum class Status {
    kPutBack,    // the file is as it was before the run
    kLeftAlone,  // the file is not what the run left (another file, other bytes, gone): untouched
    kFailed,     // reading or writing it failed; it may be tried again
  };
  Status status = Status::kPutBack;
  std::string reason;  // for kLeftAlone and kFailed
};

JournalPutBack PutBackJournaled(const Journal& journal, const JournaledFile& file, PutBackPurpose purpose);

}  // namespace vantrel
