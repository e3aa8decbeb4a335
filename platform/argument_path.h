// A path given on the command line. The arguments reach the parser as narrow text: the
// bytes the terminal gave on POSIX, where a file name is bytes too, and UTF-8 made from the
// wide command line on Windows, so names outside the ANSI code page work.
#pragma once

#include <filesystem>
#include <string_view>

namespace vantrel::os {

std::filesystem::path PathFromArgument(std::string_view argument);

}  // namespace vantrel::os
