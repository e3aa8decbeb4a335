#include "cli/occurrence_scan.h"

#include <algorithm>

#include "engine/file_search.h"

namespace vantrel::cli {
namespace {

// Long enough that a step costs nothing to start, short enough to redraw often.
constexpr std::int64_t kStep = std::int64_t{16} << 20;

}  // namespace

Result<void> ScanOccurrences(const vantrel::os::MappedFile& file, const PatternFinder& finder, Progress& progress,
                             const OccurrenceSink& sink) {
  FileSearch search(file, finder);
  std::int64_t from = 0;
  while (from < file.length()) {
    const std::int64_t until = std::min(file.length(), from + kStep);
    const Result<std::int64_t> hit = search.FindFrom(from, until);
    if (!hit) return hit.error();
    if (*hit < 0) {
      from = until;
      progress.Reached(from);
      continue;
    }
    progress.Reached(*hit);
    const std::optional<std::int64_t> next = sink(*hit);
    if (!next) break;
    from = *next;
  }
  return {};
}

}  // namespace vantrel::cli
