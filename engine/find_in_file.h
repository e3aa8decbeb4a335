// FindInFile: the offset of the first occurrence of a byte pattern in a file, searched
// through read-only views of the open file (see FileSearch).
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "engine/file_search.h"
#include "engine/pattern_finder.h"

namespace vantrel {

// A find result: zero or more is the offset of the first occurrence.
using FindResult = std::int64_t;
inline constexpr FindResult FIND_NOT_FOUND = -1;
// The file could not be opened for reading, or a part of it could not be mapped.
inline constexpr FindResult FIND_OPEN_FAILED = -2;

// The first occurrence of pattern in the file at path. The length searched is the length of
// the handle that is mapped, so a file that changes size meanwhile is never read past
// what was mapped.
FindResult FindInFile(const std::filesystem::path& path, std::span<const std::uint8_t> pattern,
                      SearchOptions options = {});
FindResult FindInFile(const std::filesystem::path& path, const PatternFinder& finder, SearchOptions options = {});
// The same, with the platform's reason in `why` when the result is FIND_OPEN_FAILED.
FindResult FindInFile(const std::filesystem::path& path, const PatternFinder& finder, SearchOptions options,
                      SystemError& why);

// The length of the file at path, measured on a fresh open; -1 when it cannot be opened.
std::int64_t GetFileLength(const std::filesystem::path& path);

}  // namespace vantrel
