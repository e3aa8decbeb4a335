// The search of one open file, through read-only views of a bounded size. Views overlap by
// the pattern length minus one, so an occurrence across a view boundary is found, and the
// result is always the one a single view of the whole file would give. When a view cannot
// be mapped (a 32-bit process short of address space), smaller views are tried.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/os/mapped_file.h"
#include "engine/pattern_finder.h"
#include "engine/result.h"

namespace vantrel {

// 64 MiB: large enough that the cost of mapping is lost in the search, small enough to
// map in a fragmented 32-bit address space and to keep the resident set small.
inline constexpr std::size_t kDefaultSearchWindow = std::size_t{64} << 20;

struct SearchOptions {
  std::size_t window = kDefaultSearchWindow;  // bytes per view, before the overlap
};

class FileSearch {
 public:
  FileSearch(const os::MappedFile& file, const PatternFinder& finder, SearchOptions options = {});

  // The first occurrence that starts at or after `from`, or -1; an error when a view of a
  // part of the file that must be read cannot be mapped.
  Result<std::int64_t> FindFrom(std::int64_t from);

  // The same, for occurrences that start before `until` only. A caller that searches a long
  // file in steps reads no byte twice and can report its progress between the steps.
  Result<std::int64_t> FindFrom(std::int64_t from, std::int64_t until);

 private:
  bool ViewHolds(std::int64_t from) const;
  Result<void> MapViewAt(std::int64_t from);

  const os::MappedFile& file_;
  const PatternFinder& finder_;
  std::size_t window_;
  os::MappedView view_;
  std::int64_t view_start_ = 0;
  std::int64_t view_end_ = 0;
};

}  // namespace vantrel
