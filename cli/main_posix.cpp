// vantrel: the command line on POSIX. Arguments arrive in the locale's character set.
#include <string>
#include <vector>

#include "platform/interrupts.h"
#include "platform/std_streams.h"
#include "cli/program.h"
#include "platform/codepage.h"

int main(int argc, char** argv) {
  vantrel::os::OpenClosedStdStreams();
  vantrel::os::CatchInterrupts();
  vantrel::os::ReportBrokenPipesAsErrors();
  const std::vector<std::string> args(argv + 1, argv + argc);
  const vantrel::os::CodePage locale = vantrel::os::SystemAnsiCodePage();
  vantrel::cli::SystemConsole console;
  return vantrel::cli::RunProgram(args, {locale, locale}, console);
}
