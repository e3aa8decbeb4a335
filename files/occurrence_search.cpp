#include "files/occurrence_search.h"

#include <algorithm>

#include "platform/fault_guard.h"

namespace vantrel {
namespace {

// How far one call of the finder goes at most: short enough that progress moves during a
// long file, long enough that starting a call costs nothing.
constexpr std::int64_t kStep = std::int64_t{16} << 20;

// Both finders as the loop sees them: the earliest hit in a text, and how long the patterns are.
struct SetSearch {
  const PatternSetFinder& finder;
  PatternHit Find(std::span<const std::uint8_t> text) const { return finder.Find(text); }
  std::int64_t shortest() const { return static_cast<std::int64_t>(finder.min_length()); }
  std::int64_t longest() const { return static_cast<std::int64_t>(finder.max_length()); }
};

struct PlainSearch {
  const PatternFinder& finder;
  PatternHit Find(std::span<const std::uint8_t> text) const { return {finder.Find(text), 0}; }
  // An empty pattern still needs one byte to be found at.
  std::int64_t shortest() const { return static_cast<std::int64_t>(std::max<std::size_t>(finder.size(), 1)); }
  std::int64_t longest() const { return shortest(); }
};

// The first hit in text; a fault of a mapped view (the file shrank) is an error.
template <class Search>
Result<PatternHit> FindIn(const FileSource& source, const Search& search, std::span<const std::uint8_t> text) {
  if (!source.mapped()) return search.Find(text);
  return os::ReadGuarded([&] { return search.Find(text); });
}

template <class Search>
Result<void> Loop(FileSource& source, const Search& search, OccurrenceSink& sink, std::int64_t from) {
  const std::int64_t shortest = search.shortest();
  const std::int64_t longest = search.longest();
  const std::int64_t length = source.length();
  const std::int64_t starts_end = length - shortest + 1;  // every start lies before this
  from = std::max<std::int64_t>(from, 0);
  while (from < starts_end) {
    Result<Stretch> stretch = source.From(from, static_cast<std::size_t>(longest));
    if (!stretch) return stretch.error();
    // The starts this call decides: those at which even the longest pattern lies within the
    // stretch (or the file ends there), a step at most. A later start could be part of an
    // occurrence that reaches past the stretch.
    const std::int64_t decided = stretch->end() == length ? starts_end : stretch->end() - longest + 1;
    const std::int64_t until = std::min({starts_end, from + kStep, decided});
    if (until <= from) return os::FileShrankError();  // the file held fewer bytes than its length
    const std::int64_t text_end = std::min(stretch->end(), until - 1 + longest);
    const auto text = stretch->bytes.subspan(static_cast<std::size_t>(from - stretch->start),
                                             static_cast<std::size_t>(text_end - from));
    Result<PatternHit> hit = FindIn(source, search, text);
    if (!hit) return hit.error();
    if (!hit->found() || from + hit->offset >= until) {
      from = until;
      sink.Reached(from);
      continue;
    }
    const std::optional<std::int64_t> next = sink.Found({from + hit->offset, hit->index});
    if (!next) return {};
    from = *next;
  }
  return {};
}

}  // namespace

Result<void> SearchOccurrences(FileSource& source, const PatternSetFinder& finder, OccurrenceSink& sink,
                               std::int64_t from) {
  return Loop(source, SetSearch{finder}, sink, from);
}

Result<void> SearchOccurrences(FileSource& source, const PatternFinder& finder, OccurrenceSink& sink,
                               std::int64_t from) {
  return Loop(source, PlainSearch{finder}, sink, from);
}

}  // namespace vantrel
