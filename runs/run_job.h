// What a run is asked to do, in bytes: prepared once at each edge (the dialog's Start, the
// command line's arguments) and shared by every file of a walk.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "files/file_source.h"
#include "text/hex_text.h"
#include "text/masked_pattern.h"
#include "search/pattern_set_finder.h"
#include "runs/restore_job.h"
#include "runs/write_ahead_log.h"

namespace vantrel {

struct RunJob {
  // One plain pattern and its replacement: the dialog's job. A pattern of no bytes (a lone
  // digit in the box) finds nothing.
  RunJob(const Bytes& find, const std::optional<Bytes>& replace, bool ask_first = true);
  // Patterns with unknown bits, each with its replacement, whose unknown bits keep the
  // file's (a patch list, or -f/-r with wildcards).
  RunJob(std::vector<MaskedPattern> finds, std::optional<std::vector<MaskedPattern>> replaces, bool ask_first = true);

  // The patterns to find, set up once; nothing when there is nothing to find.
  std::optional<PatternSetFinder> finder;
  // By pattern, the bytes to write over each occurrence; nothing when there is nothing to
  // write (the dialog's replace box is empty). A replacement of no bytes writes nothing.
  std::optional<std::vector<MaskedPattern>> replacements;
  bool ask = true;            // ask before each replacement ("替换时询问")
  SearchOptions search;       // how files are read
  std::size_t context = 0;    // bytes to report before and after each occurrence
  bool found_bytes = false;   // report the bytes found at each occurrence
  bool keep_mtime = false;    // give a written file back its modification time
  WriteAheadLog* journal = nullptr;  // where each write's old bytes go first; nothing: memory
  // The walk's root, when its files are opened below it with no link followed; nothing for a
  // file named by the user and for a walk that follows links.
  const os::TreeRoot* tree = nullptr;
  // What a restore puts back (RunMode::kRestore): the finder and replacements are unused.
  const RestoreJob* restore = nullptr;

  const MaskedPattern& pattern(std::size_t index) const { return finder->patterns()[index]; }
};

// An occurrence as a run reports it.
struct Match {
  std::int64_t offset = 0;
  std::size_t pattern = 0;  // which of the job's patterns
  Bytes found;              // the bytes there (before a write), when the job asks for them
  Bytes before;             // up to job.context bytes before the occurrence
  Bytes after;              // and after it
};

}  // namespace vantrel
