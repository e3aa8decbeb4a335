// FindInFile: the offset of the first occurrence of a byte pattern in a file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "files/file_source.h"
#include "search/pattern_finder.h"

namespace vantrel {

// A find result: zero or more is the offset of the first occurrence.
using FindResult = std::int64_t;
inline constexpr FindResult FIND_NOT_FOUND = -1;
// The file could not be opened for reading, a part of it could not be mapped, or it became
// shorter while it was read.
inline constexpr FindResult FIND_OPEN_FAILED = -2;

// The first occurrence of pattern in the file at path. The length searched is the length of
// the open file, so a file that grows meanwhile is never read past what was measured.
FindResult FindInFile(const std::filesystem::path& path, std::span<const std::uint8_t> pattern,
                      SearchOptions options = {});
FindResult FindInFile(const std::filesystem::path& path, const PatternFinder& finder, SearchOptions options = {});
// The same, with the platform's reason in `why` when the result is FIND_OPEN_FAILED.
FindResult FindInFile(const std::filesystem::path& path, const PatternFinder& finder, SearchOptions options,
                      SystemError& why);

// The length of the file at path, measured on a fresh open; -1 when it cannot be opened.
std::int64_t GetFileLength(const std::filesystem::path& path);

}  // namespace vantrel
