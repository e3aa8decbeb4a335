// The command line as a pure function from the arguments to what they ask for: a run, the
// manual, the version, or a usage error. No I/O and no exit, so it can be tested and fuzzed.
#pragma once

#include <span>
#include <string>
#include <variant>

#include "cli/run_description.h"
#include "platform/codepage.h"

namespace vantrel::cli {

struct UsageError {
  std::string message;  // one line naming the problem, without the program's name
  friend bool operator==(const UsageError&, const UsageError&) = default;
};
struct ShowHelp {};
struct ShowVersion {};

using Command = std::variant<RunDescription, ShowHelp, ShowVersion, UsageError>;

// What the parser needs to know of the system it runs on.
struct CommandLineSetting {
  vantrel::os::CodePage terminal;      // the character set the arguments are in
  vantrel::os::CodePage default_ansi;  // the code page of the ASCII forms without --codepage
};

// args are the arguments after the program's name.
Command ParseCommandLine(std::span<const std::string> args, const CommandLineSetting& setting);

}  // namespace vantrel::cli
