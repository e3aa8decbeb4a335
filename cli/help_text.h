// The texts the command line says about itself: the manual, the version, and the hint that
// follows a usage error.
#pragma once

#include <string>
#include <string_view>

namespace vantrel::cli {

// "vantrel", or "vantrel-cli" on Windows, where Vantrel.exe is the dialog.
std::string_view ProgramName();

// The project's version, "1.1.0".
std::string_view Version();

// The complete manual, for --help.
std::string HelpText();

// "vantrel: error: MESSAGE" and the line that points to --help.
std::string UsageErrorText(std::string_view message);

}  // namespace vantrel::cli
