#include "engine/file_search.h"

#include <algorithm>

namespace vantrel {

FileSearch::FileSearch(const os::MappedFile& file, const PatternFinder& finder, SearchOptions options)
    // A window never smaller than the mapping granularity, so a view always reaches past
    // the aligned-down start it is mapped from.
    : file_(file), finder_(finder), window_(std::max(options.window, os::MapGranularity())) {}

Result<std::int64_t> FileSearch::FindFrom(std::int64_t from) { return FindFrom(from, file_.length()); }

Result<std::int64_t> FileSearch::FindFrom(std::int64_t from, std::int64_t until) {
  const auto n = static_cast<std::int64_t>(finder_.size());
  const std::int64_t length = file_.length();
  // Starts before `stop` leave room for the whole pattern and lie before `until`.
  const std::int64_t stop = std::min(until, length - n + 1);
  // The text that holds every such start; an empty pattern still needs one byte to match.
  const std::int64_t text_stop = stop - 1 + std::max<std::int64_t>(n, 1);
  from = std::max<std::int64_t>(from, 0);
  while (from < length && from < stop) {
    if (!ViewHolds(from)) {
      if (Result<void> mapped = MapViewAt(from); !mapped) return mapped.error();
    }
    const std::int64_t text_end = std::min(view_end_, text_stop);
    const auto text = view_.bytes().subspan(static_cast<std::size_t>(from - view_start_),
                                            static_cast<std::size_t>(text_end - from));
    const std::int64_t hit = finder_.Find(text);
    if (hit >= 0) return from + hit;
    if (text_end < view_end_ || view_end_ >= length) break;
    from = view_end_ - n + 1;  // the next start not yet tried
  }
  return std::int64_t{-1};
}

bool FileSearch::ViewHolds(std::int64_t from) const {
  return view_end_ > view_start_ && from >= view_start_ &&
         from + static_cast<std::int64_t>(finder_.size()) <= view_end_;
}

Result<void> FileSearch::MapViewAt(std::int64_t from) {
  const auto granularity = static_cast<std::int64_t>(os::MapGranularity());
  const std::int64_t start = from - from % granularity;
  const auto overlap = static_cast<std::int64_t>(finder_.size() > 0 ? finder_.size() - 1 : 0);
  view_ = os::MappedView();  // release the old view before asking for address space
  for (;;) {
    const std::int64_t end = std::min(file_.length(), start + static_cast<std::int64_t>(window_) + overlap);
    Result<os::MappedView> view = file_.Map(start, static_cast<std::size_t>(end - start));
    if (view) {
      view_ = std::move(*view);
      view_start_ = start;
      view_end_ = end;
      file_.AdviseSequential(view_);
      return {};
    }
    if (static_cast<std::int64_t>(window_) <= granularity) return view.error();
    window_ = std::max<std::size_t>(window_ / 2, static_cast<std::size_t>(granularity));
  }
}

}  // namespace vantrel
