#include "engine/find_in_file.h"

#include "engine/os/mapped_file.h"

namespace vantrel {

FindResult FindInFile(const std::filesystem::path& path, std::span<const std::uint8_t> pattern,
                      SearchOptions options) {
  return FindInFile(path, PatternFinder(pattern), options);
}

FindResult FindInFile(const std::filesystem::path& path, const PatternFinder& finder, SearchOptions options) {
  SystemError ignored;
  return FindInFile(path, finder, options, ignored);
}

FindResult FindInFile(const std::filesystem::path& path, const PatternFinder& finder, SearchOptions options,
                      SystemError& why) {
  Result<os::MappedFile> file = os::MappedFile::Open(path);
  if (!file) {
    why = file.error();
    return FIND_OPEN_FAILED;
  }
  FileSearch search(*file, finder, options);
  Result<std::int64_t> found = search.FindFrom(0);
  if (!found) {
    why = found.error();
    return FIND_OPEN_FAILED;
  }
  return *found >= 0 ? *found : FIND_NOT_FOUND;
}

std::int64_t GetFileLength(const std::filesystem::path& path) {
  Result<os::MappedFile> file = os::MappedFile::Open(path);
  return file ? file->length() : -1;
}

}  // namespace vantrel
