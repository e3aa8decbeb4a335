// vantrel: the command line on POSIX. Arguments arrive in the locale's character set.
#include <string>
#include <vector>

#include "cli/os/interrupts.h"
#include "cli/os/std_streams.h"
#include "cli/program.h"
#include "engine/os/codepage.h"

int main(int argc, char** argv) {
  vantrel::cli::os::OpenClosedStdStreams();
  vantrel::cli::os::CatchInterrupts();
  vantrel::cli::os::ReportBrokenPipesAsErrors();
  const std::vector<std::string> args(argv + 1, argv + argc);
  const vantrel::os::CodePage locale = vantrel::os::SystemAnsiCodePage();
  vantrel::cli::SystemConsole console;
  return vantrel::cli::RunProgram(args, {locale, locale}, console);
}
