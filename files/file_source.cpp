#include "files/file_source.h"

#include <algorithm>
#include <new>

#include "platform/fault_guard.h"

namespace vantrel {

namespace {

// A file whose size cannot be trusted is read into memory whole, up to this much.
constexpr std::size_t kWholeReadLimit = sizeof(void*) >= 8 ? std::size_t{1} << 30 : std::size_t{256} << 20;

SystemError FileTooLongToReadError() {
  return SystemError{0, "the file holds more than its size says, and more than can be read into memory"};
}

}  // namespace

SearchOptions ShareAmong(SearchOptions options, unsigned readers) {
  if (readers <= 1) return options;
  // Views never below 256 KiB, where mapping would cost more than searching; reads of small
  // files never below 64 KiB, which most files of a tree are within.
  options.window = std::max(options.window / readers, std::size_t{256} << 10);
  options.read_limit = std::max(options.read_limit / readers, std::int64_t{64} << 10);
  return options;
}

Result<FileSource> FileSource::Open(const std::filesystem::path& path, SearchOptions options, ReadBuffer* buffer,
                                    const os::TreeRoot* root) {
  Result<os::MappedFile> file = os::MappedFile::OpenUnmeasured(path, root);
  if (!file) return file.error();
  const std::int64_t limit = options.read_limit;
  FileSource source(std::move(*file), std::move(options));
  if (limit > 0) {
    Result<bool> read = source.ReadSmall(limit, buffer != nullptr ? *buffer : source.own_);
    if (!read) return read.error();
    if (*read) return source;
  } else if (Result<void> measured = source.file_.Measure(); !measured) {
    return measured.error();
  }
  source.length_ = source.file_.length();
  return source;
}

FileSource::FileSource(os::MappedFile file, SearchOptions options)
    // A window never smaller than the mapping granularity, so a view always reaches past
    // the aligned-down start it is mapped from.
    : file_(std::move(file)), window_(std::max(options.window, os::MapGranularity())),
      map_view_(std::move(options.map_view)) {}

Result<bool> FileSource::ReadSmall(std::int64_t limit, ReadBuffer& buffer) {
  // One byte more than the limit tells a small file from a large one without measuring it.
  const auto want = static_cast<std::size_t>(limit) + 1;
  if (buffer.size() < want) buffer.resize(want);
  Result<std::size_t> got = file_.ReadAt(0, std::span<std::uint8_t>(buffer.data(), want));
  // Nothing read, or a refusal to read, may come from a pipe or a device: only a regular
  // file is searched.
  if (!got || *got == 0) {
    if (Result<void> measured = file_.Measure(); !measured) return measured.error();
    if (!got) return got.error();
  }
  if (*got == want) {
    if (Result<void> measured = file_.Measure(); !measured) return measured.error();
    // A size smaller than what was just read is not the file's (proc and sys files say 0,
    // some FUSE and network files say less): only reading to the end tells its length.
    if (file_.length() >= static_cast<std::int64_t>(want)) return false;
    // The whole file stays with this source, so the caller's memory stays as small as before.
    if (&buffer != &own_) own_.assign(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(want));
    Result<std::size_t> total = ReadToEnd(own_, want);
    if (!total) return total.error();
    got = total;
    bytes_ = std::span<const std::uint8_t>(own_.data(), *got);
  } else {
    bytes_ = std::span<const std::uint8_t>(buffer.data(), *got);
  }
  read_ = true;
  length_ = static_cast<std::int64_t>(*got);
  return true;
}

Result<std::size_t> FileSource::ReadToEnd(ReadBuffer& buffer, std::size_t have) const {
  for (;;) {
    if (buffer.size() - have < (std::size_t{64} << 10)) {
      if (buffer.size() >= kWholeReadLimit) return FileTooLongToReadError();
      try {
        buffer.resize(std::min(std::max(buffer.size() * 2, std::size_t{1} << 20), kWholeReadLimit));
      } catch (const std::bad_alloc&) {
        return FileTooLongToReadError();
      }
    }
    Result<std::size_t> got = file_.ReadAt(static_cast<std::int64_t>(have), std::span<std::uint8_t>(buffer).subspan(have));
    if (!got) return got.error();
    if (*got == 0) return have;
    have += *got;
  }
}

Result<Stretch> FileSource::From(std::int64_t offset, std::size_t need) {
  if (read_ || length_ == 0) {
    const auto start = static_cast<std::size_t>(std::clamp<std::int64_t>(offset, 0, length_));
    return Stretch{static_cast<std::int64_t>(start), bytes_.subspan(start)};
  }
  const std::int64_t view_end = view_start_ + static_cast<std::int64_t>(view_.bytes().size());
  const std::int64_t wanted_end = std::min(length(), offset + static_cast<std::int64_t>(need));
  if (view_.bytes().empty() || offset < view_start_ || wanted_end > view_end) {
    if (Result<void> mapped = MapViewAt(offset, need); !mapped) return mapped.error();
  }
  const std::int64_t start = std::min(offset, length());
  return Stretch{start, view_.bytes().subspan(static_cast<std::size_t>(start - view_start_))};
}

Result<Bytes> FileSource::Read(std::int64_t offset, std::size_t size) const {
  const std::int64_t start = std::clamp<std::int64_t>(offset, 0, length_);
  const std::int64_t end = std::clamp<std::int64_t>(offset + static_cast<std::int64_t>(size), start, length_);
  Bytes bytes(static_cast<std::size_t>(end - start));
  if (read_) {
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(start), bytes.size(), bytes.begin());
    return bytes;
  }
  Result<std::size_t> got = file_.ReadAt(start, bytes);
  if (!got) return got.error();
  if (*got != bytes.size()) return os::FileShrankError();
  return bytes;
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
