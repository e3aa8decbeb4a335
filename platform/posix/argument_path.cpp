#include "platform/argument_path.h"

#include <string>

namespace vantrel::os {

std::filesystem::path PathFromArgument(std::string_view argument) { return std::string(argument); }

}  // namespace vantrel::os
