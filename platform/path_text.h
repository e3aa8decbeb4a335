// A path as text for messages: UTF-8 on Windows (from the wide path), the path's own bytes
// on POSIX, where a name need not be valid UTF-8 and is shown unchanged.
#pragma once

#include <filesystem>
#include <string>

namespace vantrel::os {

std::string PathText(const std::filesystem::path& path);

}  // namespace vantrel::os
