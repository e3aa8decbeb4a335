// The whole program between its arguments and its exit status: parse, then show the manual
// or the version, report a usage error, or run. main only gathers the arguments and the
// system's character sets.
#pragma once

#include <span>
#include <string>

#include "cli/command_line.h"
#include "cli/console.h"

namespace vantrel::cli {

int RunProgram(std::span<const std::string> args, const CommandLineSetting& setting, Console& console);

}  // namespace vantrel::cli
