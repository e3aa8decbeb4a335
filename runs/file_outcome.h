// How a run on one file ended: the one outcome every run (ask, replace all, list, restore) gives.
// The dialog shows everything through prompts and ignores it; the command line turns it into
// its error lines, its counts and its exit status.
#pragma once

#include <cstdint>
#include <filesystem>

#include "platform/result.h"

namespace vantrel {

struct FileOutcome {
  enum class Failure {
    kNone,
    kRead,     // the file could not be opened or read ("打开文件失败！"); a restore's backup is left alone
    kWrite,    // a write could not be made; the file is as it was before the run
    kChanged,  // the bytes to overwrite were no longer the pattern; the file is as it was
    kInterrupted,  // the run was interrupted while the file was written; it is as it was
  };
  std::int64_t found = 0;     // occurrences found
  std::int64_t written = 0;   // replacements that reached the file
  std::int64_t searched = 0;  // bytes of the file searched
  bool put_back = false;      // writes reported before were put back with the rest
  bool met_before = false;    // reached before in this walk under another name: passed over
  Failure failure = Failure::kNone;
  SystemError error;             // the platform's reason, for kRead and kWrite
  std::int64_t changed_at = -1;  // for kChanged: the offset whose bytes had changed

  // What a restore did with the backup (the run's file), and the file it is the backup of.
  enum class Restore {
    kNone,        // not a restore
    kPutBack,     // put back in place of its file (written is 1), and removed
    kNotRemoved,  // put back, but the backup could not be removed (error says why)
    kNotOurs,     // no journal records it as made for its file: left alone (a failure when named)
    kLeftAlone,   // it could not be opened, or is not whole (kRead; error says why)
    kNotPutBack,  // its file could not be written (kWrite, kInterrupted); the file is as it was
  };
  Restore restore = Restore::kNone;
  std::filesystem::path restored_file;

  bool failed() const { return failure != Failure::kNone; }
};

}  // namespace vantrel
