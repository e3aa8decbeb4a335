#include "platform/path_text.h"

namespace vantrel::os {

std::string PathText(const std::filesystem::path& path) { return path.native(); }

}  // namespace vantrel::os
