// The one occurrence loop: a file is searched from an offset, each occurrence goes to the
// caller, and the caller says where to search on, or to stop. Every run (ask, replace all,
// list) and FindInFile use it, so a faster file source or a new kind of pattern arrives in
// one place for all of them.
#pragma once

#include <cstdint>
#include <optional>

#include "files/file_source.h"
#include "search/pattern_finder.h"
#include "search/pattern_hit.h"
#include "search/pattern_set_finder.h"
#include "platform/result.h"

namespace vantrel {

class OccurrenceSink {
 public:
  virtual ~OccurrenceSink() = default;
  // An occurrence of pattern hit.index starts at hit.offset: the offset to search on from,
  // or nothing to stop.
  virtual std::optional<std::int64_t> Found(PatternHit hit) = 0;
  // Every start before offset has been tried (for a progress display).
  virtual void Reached(std::int64_t /*offset*/) {}
};

// Searches source from `from` on: at each offset the earliest occurrence of any of the
// patterns, the one listed first among those that start there. An error when a part of the
// file cannot be mapped, or when the file became shorter while it was read.
Result<void> SearchOccurrences(FileSource& source, const PatternSetFinder& finder, OccurrenceSink& sink,
                               std::int64_t from = 0);
// The same for one plain pattern. An empty pattern is found at every offset that has a byte.
Result<void> SearchOccurrences(FileSource& source, const PatternFinder& finder, OccurrenceSink& sink,
                               std::int64_t from = 0);

}  // namespace vantrel
