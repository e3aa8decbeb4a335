#include "engine/file_source.h"

#include <algorithm>

namespace vantrel {

Result<FileSource> FileSource::Open(const std::filesystem::path& path, SearchOptions options) {
  Result<os::MappedFile> file = os::MappedFile::Open(path);
  if (!file) return file.error();
  FileSource source(std::move(*file), options);
  if (source.length() > 0 && source.length() <= options.read_limit) {
    if (Result<void> read = source.ReadWhole(); !read) return read.error();
  }
  return source;
}

FileSource::FileSource(os::MappedFile file, SearchOptions options)
    // A window never smaller than the mapping granularity, so a view always reaches past
    // the aligned-down start it is mapped from.
    : file_(std::move(file)), length_(file_.length()),
      window_(std::max(options.window, os::MapGranularity())), map_view_(std::move(options.map_view)) {}

Result<void> FileSource::ReadWhole() {
  buffer_.resize(static_cast<std::size_t>(length()));
  Result<std::size_t> got = file_.ReadAt(0, buffer_);
  if (!got) return got.error();
  // A file cut short meanwhile is searched as far as it was read.
  buffer_.resize(*got);
  length_ = static_cast<std::int64_t>(*got);
  return {};
}

Result<Stretch> FileSource::From(std::int64_t offset, std::size_t need) {
  if (!buffer_.empty() || length() == 0) {
    const auto start = static_cast<std::size_t>(std::clamp<std::int64_t>(offset, 0, static_cast<std::int64_t>(buffer_.size())));
    return Stretch{static_cast<std::int64_t>(start), std::span<const std::uint8_t>(buffer_).subspan(start)};
  }
  const std::int64_t view_end = view_start_ + static_cast<std::int64_t>(view_.bytes().size());
  const std::int64_t wanted_end = std::min(length(), offset + static_cast<std::int64_t>(need));
  if (view_.bytes().empty() || offset < view_start_ || wanted_end > view_end) {
    if (Result<void> mapped = MapViewAt(offset, need); !mapped) return mapped.error();
  }
  const std::int64_t start = std::min(offset, length());
  return Stretch{start, view_.bytes().subspan(static_cast<std::size_t>(start - view_start_))};
}

Result<void> FileSource::MapViewAt(std::int64_t offset, std::size_t need) {
  const auto granularity = static_cast<std::int64_t>(os::MapGranularity());
  const std::int64_t start = offset - offset % granularity;
  view_ = os::MappedView();  // release the old view before asking for address space
  for (;;) {
    const std::int64_t end = std::min(length(), offset + static_cast<std::int64_t>(std::max(window_, need)));
    const auto size = static_cast<std::size_t>(end - start);
    Result<os::MappedView> view = map_view_ ? map_view_(file_, start, size) : file_.Map(start, size);
    if (view) {
      view_ = std::move(*view);
      view_start_ = start;
      file_.AdviseSequential(view_);
      return {};
    }
    if (static_cast<std::int64_t>(window_) <= granularity) return view.error();
    window_ = std::max<std::size_t>(window_ / 2, static_cast<std::size_t>(granularity));
  }
}

}  // namespace vantrel
