#include "cli/program.h"

#include "cli/help_text.h"
#include "cli/run_command.h"
#include "cli/version_text.h"

namespace vantrel::cli {
namespace {

// Standard output for the manual and the version; a reader that went away is no failure.
int Show(Console& console, std::string_view text) {
  const os::WriteResult written = console.Write(Channel::kOutput, text);
  if (written.status != os::WriteStatus::kFailed) return kExitFound;
  (void)console.Write(Channel::kError, std::string(ProgramName()) + ": error: cannot write standard output: " +
                                           written.error.message + "\n");
  return kExitTrouble;
}

}  // namespace

int RunProgram(std::span<const std::string> args, const CommandLineSetting& setting, Console& console) {
  const Command command = ParseCommandLine(args, setting);
  if (std::holds_alternative<ShowHelp>(command)) return Show(console, HelpText());
  if (std::holds_alternative<ShowVersion>(command)) return Show(console, VersionText());
  if (const auto* error = std::get_if<UsageError>(&command)) {
    (void)console.Write(Channel::kError, UsageErrorText(error->message));
    return kExitTrouble;
  }
  return RunCommand(std::get<RunDescription>(command), console);
}

}  // namespace vantrel::cli
