#include "cli/os/argument_path.h"

#include "engine/os/win32/wide_text.h"

namespace vantrel::cli::os {

std::filesystem::path PathFromArgument(std::string_view argument) {
  return vantrel::os::win32::Utf8ToWide(argument);
}

}  // namespace vantrel::cli::os
