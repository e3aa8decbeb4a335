#include "files/find_in_file.h"

#include "files/occurrence_search.h"

namespace vantrel {
namespace {

// Keeps the first occurrence and stops there.
class FirstOccurrence : public OccurrenceSink {
 public:
  std::optional<std::int64_t> Found(PatternHit hit) override {
    first = hit.offset;
    return std::nullopt;
  }
  std::int64_t first = FIND_NOT_FOUND;
};

}  // namespace

FindResult FindInFile(const std::filesystem::path& path, std::span<const std::uint8_t> pattern,
                      SearchOptions options) {
  return FindInFile(path, PatternFinder(pattern), std::move(options));
}

FindResult FindInFile(const std::filesystem::path& path, const PatternFinder& finder, SearchOptions options) {
  SystemError ignored;
  return FindInFile(path, finder, std::move(options), ignored);
}

FindResult FindInFile(const std::filesystem::path& path, const PatternFinder& finder, SearchOptions options,
                      SystemError& why) {
  Result<FileSource> source = FileSource::Open(path, std::move(options));
  if (!source) {
    why = source.error();
    return FIND_OPEN_FAILED;
  }
  FirstOccurrence first;
  if (Result<void> searched = SearchOccurrences(*source, finder, first); !searched) {
    why = searched.error();
    return FIND_OPEN_FAILED;
  }
  return first.first;
}

std::int64_t GetFileLength(const std::filesystem::path& path) {
  Result<os::MappedFile> file = os::MappedFile::Open(path);
  return file ? file->length() : -1;
}

}  // namespace vantrel
