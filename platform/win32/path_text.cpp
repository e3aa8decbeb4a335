#include "platform/path_text.h"

#include "platform/wide_text.h"

namespace vantrel::os {

std::string PathText(const std::filesystem::path& path) { return win32::WideToUtf8(path.native()); }

}  // namespace vantrel::os
