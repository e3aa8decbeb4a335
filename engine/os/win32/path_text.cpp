#include "engine/os/path_text.h"

#include "engine/os/win32/wide_text.h"

namespace vantrel::os {

std::string PathText(const std::filesystem::path& path) { return win32::WideToUtf8(path.native()); }

}  // namespace vantrel::os
