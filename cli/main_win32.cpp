// vantrel-cli.exe: the command line on Windows. The wide command line is taken as UTF-8, so
// paths and text outside the ANSI code page arrive intact.
#include <string>
#include <vector>

#include "platform/interrupts.h"
#include "cli/program.h"
#include "platform/codepage.h"
#include "platform/wide_text.h"

int wmain(int argc, wchar_t** argv) {
  vantrel::os::CatchInterrupts();
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(vantrel::os::win32::WideToUtf8(argv[i]));
  vantrel::cli::SystemConsole console;
  return vantrel::cli::RunProgram(args, {vantrel::os::kUtf8, vantrel::os::SystemAnsiCodePage()}, console);
}
