// Links to folders for the tests of the walk, on each platform as far as it can make them.
#pragma once

#include <filesystem>
#include <string>

namespace vantrel::testing {

// Makes link, a symbolic link to the folder target. An empty text on success, else why no
// link can be made here (for GTEST_SKIP). On Windows a directory symbolic link where the
// process may make one; under Wine, whose CreateSymbolicLinkW reports success and makes
// nothing, a link of the Unix file system, which Wine lists as a reparse point.
std::string MakeFolderLink(const std::filesystem::path& target, const std::filesystem::path& link);

}  // namespace vantrel::testing
