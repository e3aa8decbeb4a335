#include "cli/os/argument_path.h"

#include <string>

namespace vantrel::cli::os {

std::filesystem::path PathFromArgument(std::string_view argument) { return std::string(argument); }

}  // namespace vantrel::cli::os
