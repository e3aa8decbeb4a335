#include "platform/argument_path.h"

#include "platform/wide_text.h"

namespace vantrel::os {

std::filesystem::path PathFromArgument(std::string_view argument) {
  return vantrel::os::win32::Utf8ToWide(argument);
}

}  // namespace vantrel::os
