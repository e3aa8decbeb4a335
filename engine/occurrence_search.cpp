#include "engine/occurrence_search.h"

#include <algorithm>

#include "engine/os/fault_guard.h"

namespace vantrel {
namespace {

// How far one call of the finder goes at most: short enough that progress moves during a
// long file, long enough that starting a call costs nothing.
constexpr std::int64_t kStep = std::int64_t{16} << 20;

// The first occurrence in text, or -1; a fault of a mapped view (the file shrank) is an error.
Result<std::int64_t> FindIn(const FileSource& source, const PatternFinder& finder, std::span<const std::uint8_t> text) {
  if (!source.mapped()) return finder.Find(text);
  return os::ReadGuarded([&] { return finder.Find(text); });
}

}  // namespace

Result<void> SearchOccurrences(FileSource& source, const PatternFinder& finder, OccurrenceSink& sink,
                               std::int64_t from) {
  // An empty pattern still needs one byte to be found at.
  const auto n = static_cast<std::int64_t>(std::max<std::size_t>(finder.size(), 1));
  const std::int64_t starts_end = source.length() - n + 1;  // every start lies before this
  from = std::max<std::int64_t>(from, 0);
  while (from < starts_end) {
    Result<Stretch> stretch = source.From(from, static_cast<std::size_t>(n));
    if (!stretch) return stretch.error();
    // The starts this call tries: those whose whole pattern the stretch holds, a step at most.
    const std::int64_t until = std::min({starts_end, from + kStep, stretch->end() - n + 1});
    if (until <= from) return os::FileShrankError();  // the file held fewer bytes than its length
    const auto text = stretch->bytes.subspan(static_cast<std::size_t>(from - stretch->start),
                                             static_cast<std::size_t>(until - from + n - 1));
    Result<std::int64_t> hit = FindIn(source, finder, text);
    if (!hit) return hit.error();
    if (*hit < 0) {
      from = until;
      sink.Reached(from);
      continue;
    }
    const std::optional<std::int64_t> next = sink.Found(from + *hit);
    if (!next) return {};
    from = *next;
  }
  return {};
}

}  // namespace vantrel
