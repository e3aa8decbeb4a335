// An open file as the search reads it: a small file is read into memory at once; a large one
// is read through read-only views of a bounded size, mapped one after another, so memory stays
// flat for any length and offsets go beyond 4 GiB in a 32-bit process too. When a view
// cannot be mapped (a 32-bit process short of address space), smaller views are tried.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <vector>

#include "text/hex_text.h"
#include "platform/mapped_file.h"
#include "platform/result.h"

namespace vantrel {

// 32 MiB: large enough that the cost of mapping is lost in the search, small enough to map
// in a fragmented 32-bit address space and to keep the resident set small (the pages of a
// view count as resident while it is mapped).
inline constexpr std::size_t kDefaultSearchWindow = std::size_t{32} << 20;
// Files up to this length are read into memory: for them a read costs less than a mapping.
inline constexpr std::int64_t kDefaultReadLimit = std::int64_t{1} << 20;

// Maps a view of a file: the platform's mapping, or in tests one that refuses large views.
using MapView = std::function<Result<os::MappedView>(const os::MappedFile& file, std::int64_t offset, std::size_t size)>;

struct SearchOptions {
  std::size_t window = kDefaultSearchWindow;     // bytes per view, before the overlap
  std::int64_t read_limit = kDefaultReadLimit;  // longer files are mapped
  MapView map_view;                             // empty: the platform's mapping
};

// The options for one of `readers` threads searching at once, so that together they hold
// no more file data in memory than one reader with the defaults does.
SearchOptions ShareAmong(SearchOptions options, unsigned readers);

// A run of the file's bytes: bytes[0] is the byte at offset `start`.
struct Stretch {
  std::int64_t start = 0;
  std::span<const std::uint8_t> bytes;
  std::int64_t end() const { return start + static_cast<std::int64_t>(bytes.size()); }
};

// Memory a caller keeps from file to file, so that reading small files allocates nothing.
using ReadBuffer = std::vector<std::uint8_t>;

class FileSource {
 public:
  // Opens a regular file for reading; directories, devices and pipes are refused. A file of
  // up to options.read_limit bytes is read into buffer (or memory of its own) with one open
  // and reads to its end, nothing else: the bytes are valid while buffer is not reused. A
  // file that holds more than its size says is read into memory of its own until a read
  // gives nothing, and searched whole.
  // With a root, path is opened below it with no link followed (see os::TreeRoot).
  static Result<FileSource> Open(const std::filesystem::path& path, SearchOptions options = {},
                                 ReadBuffer* buffer = nullptr, const os::TreeRoot* root = nullptr);

  // The length of the file when it was opened (or as far as it could be read into memory);
  // the search never reads beyond it.
  std::int64_t length() const { return length_; }

  // The bytes from `offset` on: at least `need` of them where the file has them (the
  // overlap a search needs to see a whole pattern), and as many more as one view holds.
  // An error when a view of that part of the file cannot be mapped at any size.
  Result<Stretch> From(std::int64_t offset, std::size_t need);

  // A copy of the bytes [offset, offset + size) that lie within the file; read from the file
  // itself where it is mapped, so no view moves.
  Result<Bytes> Read(std::int64_t offset, std::size_t size) const;

  // Whether the bytes come from a mapped view: reading them must then be guarded (see
  // os::ReadGuarded), since the file may shrink under the view.
  bool mapped() const { return !read_ && length_ > 0; }

  // The identity of the open file and its number of names.
  Result<os::FileIdentity> Identify() const { return file_.Identify(); }

 private:
  FileSource(os::MappedFile file, SearchOptions options);
  // Reads the whole file when it is small, or when it holds more than its size says (proc
  // and sys files say 0); false when it is longer than the limit.
  Result<bool> ReadSmall(std::int64_t limit, ReadBuffer& buffer);
  // Reads on from `have` into buffer, grown as needed, until a read gives nothing: the length.
  Result<std::size_t> ReadToEnd(ReadBuffer& buffer, std::size_t have) const;
  Result<void> MapViewAt(std::int64_t offset, std::size_t need);

  os::MappedFile file_;
  std::int64_t length_ = 0;
  std::size_t window_;
  MapView map_view_;
  bool read_ = false;                   // the file was read into memory: bytes_ holds it
  std::span<const std::uint8_t> bytes_;
  ReadBuffer own_;                      // the memory it was read into, when the caller gave none
  os::MappedView view_;
  std::int64_t view_start_ = 0;
};

}  // namespace vantrel
