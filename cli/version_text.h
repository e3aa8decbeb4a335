// What --version says: the version, the platform the program was built for, and the search
// kernels this processor will run, which is what a bug report needs to tell two runs apart.
#pragma once

#include <string>

namespace vantrel::cli {

std::string VersionText();

}  // namespace vantrel::cli
