#include "cli/run_command.h"

#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "cli/backups.h"
#include "cli/help_text.h"
#include "cli/output.h"
#include "cli/progress.h"
#include "cli/quoted.h"
#include "cli/terminal_host.h"
#include "engine/os/path_text.h"
#include "runs/messages.h"
#include "runs/walk_directory.h"

namespace vantrel::cli {
namespace {

namespace fs = std::filesystem;
using vantrel::os::PathText;

std::string Quoted(const fs::path& path) { return cli::Quoted(PathText(path)); }

// The usage error for a path that cannot be the target, or nothing. Whether to walk comes
// back in `walk`.
std::optional<std::string> CheckPath(const RunDescription& run, bool& walk) {
  std::error_code error;
  const fs::file_status status = fs::status(run.path, error);
  if (status.type() == fs::file_type::not_found) return "no such file or directory: " + Quoted(run.path);
  if (error) return "cannot reach " + Quoted(run.path) + ": " + error.message();
  walk = fs::is_directory(status);
  if (run.directory && !walk) return Quoted(run.path) + " is not a directory (drop -d to patch one file)";
  return std::nullopt;
}

RunMode RunModeOf(Mode mode) {
  switch (mode) {
    case Mode::kYes: return RunMode::kReplaceAll;
    case Mode::kDryRun: return RunMode::kList;
    case Mode::kInteractive: break;
  }
  return RunMode::kAsk;
}

// The threads of a walk: as asked, or one per core.
unsigned Threads(const RunDescription& run) {
  if (run.threads != 0) return run.threads;
  return std::max(1u, std::thread::hardware_concurrency());
}

int ExitStatus(const TerminalHost& host, Output& output, Progress& progress) {
  progress.Finish();
  output.Flush();
  bool failed = host.failed();
  if (output.OutputFailed()) {
    output.Error(std::string(ProgramName()) + ": error: cannot write standard output: " + output.OutputError().message);
    failed = true;
  }
  if (failed) return kExitTrouble;
  return host.found() ? kExitFound : kExitNotFound;
}

}  // namespace

int RunCommand(const RunDescription& run, Console& console) {
  Output output(console, run.mode == Mode::kInteractive ? Channel::kOutput : Channel::kError);
  for (const std::string& warning : run.warnings) output.Error(std::string(ProgramName()) + ": warning: " + warning);
  bool walk = false;
  if (const std::optional<std::string> problem = CheckPath(run, walk)) {
    output.Flush();
    (void)console.Write(Channel::kError, UsageErrorText(*problem));
    return kExitTrouble;
  }
  Backups backups(run.backup_suffix);
  Progress progress(output);
  TerminalHost host(run.mode, console, output, backups, progress);
  const RunJob job(run.find, run.replacement, run.ask);
  const RunMode mode = RunModeOf(run.mode);
  // The batch runs are quiet as grep is: the exit status says whether anything was found,
  // and only failures are reported. The asking run says what the dialog says.
  if (walk) {
    WalkDirectory(run.path, mode, job, host, WalkOptions{run.follow_links, Threads(run)});
    progress.Finish();
    if (run.mode == Mode::kInteractive) output.Message(std::string(messages::kSearchFinished) + "\n");
  } else {
    RunOnFile(mode, run.path, /*quiet=*/run.mode != Mode::kInteractive, job, host);
  }
  return ExitStatus(host, output, progress);
}

}  // namespace vantrel::cli
