#include "cli/run_command.h"
#include "cli/quoted.h"

#include <filesystem>
#include <optional>
#include <string>

#include "cli/backups.h"
#include "cli/batch_file.h"
#include "cli/help_text.h"
#include "cli/list_occurrences.h"
#include "cli/output.h"
#include "cli/progress.h"
#include "cli/replace_all.h"
#include "cli/terminal_host.h"
#include "engine/os/path_text.h"
#include "engine/pattern_finder.h"
#include "runs/messages.h"
#include "runs/replace_in_file.h"
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

// One run: the mode's work on each file, and the tally of what happened.
class Run {
 public:
  Run(const RunDescription& run, Console& console, Output& output)
      : run_(run),
        output_(output),
        finder_(run.find),
        backups_(run.backup_suffix),
        progress_(output),
        host_(run, console, output, backups_),
        context_{finder_, run.replacement ? std::span<const std::uint8_t>(*run.replacement)
                                          : std::span<const std::uint8_t>(),
                 backups_, output, progress_} {}

  void File(const fs::path& path) {
    const FileResult result = Process(path, /*quiet=*/false);
    if (run_.mode != Mode::kInteractive) {
      // The dialog's closing messages of a file run; the interactive host shows its own.
      if (result.unreadable) output_.Message(std::string(messages::kOpenFailed) + "\n");
      if (!result.found && !result.failed) output_.Message(std::string(messages::kNotFound) + "\n");
    }
  }

  void Walk(const fs::path& dir) {
    WalkVisitor visitor;
    visitor.on_file = [this](const fs::path& path) {
      if (run_.mode == Mode::kDryRun && output_.OutputClosed()) return;  // nothing left to do
      Process(path, /*quiet=*/true);
    };
    visitor.on_unlistable = [this](const fs::path& path, const SystemError& error) {
      output_.Error(PathText(path) + ": " + error.message);
      failed_ = true;
    };
    WalkDirectory(dir, visitor);
    progress_.Finish();
    output_.Message(std::string(messages::kSearchFinished) + "\n");
  }

  int ExitStatus() {
    progress_.Finish();
    output_.Flush();
    if (output_.OutputFailed()) {
      output_.Error(std::string(ProgramName()) + ": error: cannot write standard output: " +
                    output_.OutputError().message);
      failed_ = true;
    }
    if (failed_) return kExitTrouble;
    return found_ ? kExitFound : kExitNotFound;
  }

 private:
  FileResult Process(const fs::path& path, bool quiet) {
    FileResult result;
    switch (run_.mode) {
      case Mode::kInteractive: result = Ask(path, quiet); break;
      case Mode::kYes: result = ReplaceAllInFile(path, context_); break;
      case Mode::kDryRun: result = ListOccurrencesInFile(path, context_); break;
    }
    found_ = found_ || result.found;
    failed_ = failed_ || result.failed;
    return result;
  }

  FileResult Ask(const fs::path& path, bool quiet) {
    progress_.FileStarted();
    const FileRunOutcome outcome = ReplaceInFile(path, quiet, host_);
    FileResult result{outcome.found, outcome.failure != FileRunOutcome::Failure::kNone,
                      outcome.failure == FileRunOutcome::Failure::kOpen};
    if (outcome.failure == FileRunOutcome::Failure::kChanged) {
      output_.Error(PathText(path) + ": changed while the question was open; not written");
    } else if (result.failed) {
      output_.Error(PathText(path) + ": " + outcome.error.message);
    }
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    progress_.FileDone(error ? 0 : static_cast<std::int64_t>(size));
    return result;
  }

  const RunDescription& run_;
  Output& output_;
  const PatternFinder finder_;
  Backups backups_;
  Progress progress_;
  TerminalHost host_;
  const BatchContext context_;
  bool found_ = false;
  bool failed_ = false;
};

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
  Run state(run, console, output);
  if (walk) {
    state.Walk(run.path);
  } else {
    state.File(run.path);
  }
  return state.ExitStatus();
}

}  // namespace vantrel::cli
