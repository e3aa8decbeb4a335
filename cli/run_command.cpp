#include "cli/run_command.h"

#include <cerrno>
#include <chrono>
#include <memory>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <optional>
#include <string>
#include <thread>
#include <variant>

#include "cli/backup_records.h"
#include "cli/backups.h"
#include "cli/help_text.h"
#include "cli/journal_folder.h"
#include "cli/journal_commands.h"
#include "platform/directory.h"
#include "platform/interrupts.h"
#include "cli/output.h"
#include "cli/patch_list.h"
#include "cli/progress.h"
#include "cli/quoted.h"
#include "cli/report.h"
#include "cli/restore.h"
#include "cli/run_journal.h"
#include "cli/terminal_host.h"
#include "platform/path_text.h"
#include "platform/state_folder.h"
#include "glob/glob_set.h"
#include "runs/journal.h"
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
    case Mode::kInteractive:
    case Mode::kRestore:
    case Mode::kUndo:
    case Mode::kRecover: break;
  }
  return RunMode::kAsk;
}

// The threads of a walk: as asked, or one per core.
unsigned Threads(const RunDescription& run) {
  if (run.threads != 0) return run.threads;
  return std::max(1u, std::thread::hardware_concurrency());
}

// The whole of a patch list, read before anything is searched.
Result<std::string> ReadPatchList(const fs::path& path) {
  std::error_code error;
  if (fs::is_directory(path, error)) return SystemError{EISDIR, "it is a directory"};
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  if (in) text << in.rdbuf();
  if (!in || in.bad()) return SystemError{errno, errno != 0 ? std::strerror(errno) : "it cannot be read"};
  return text.str();
}

// The job the description asks for, with a patch list's line of each pattern; a usage error
// when the patch list cannot be read or holds a bad line.
std::variant<RunJob, std::string> MakeJob(const RunDescription& run, std::vector<std::size_t>& lines) {
  if (!run.patch_file) {
    std::optional<std::vector<MaskedPattern>> replacements;
    if (run.replacement) replacements.emplace(1, *run.replacement);
    return RunJob({run.find}, std::move(replacements), run.ask);
  }
  Result<std::string> text = ReadPatchList(*run.patch_file);
  if (!text) return "cannot read the patch list " + Quoted(*run.patch_file) + ": " + text.error().message;
  auto pairs = ParsePatchList(*text, PathText(*run.patch_file), run.ansi);
  if (auto* problem = std::get_if<std::string>(&pairs)) return *problem;
  std::vector<MaskedPattern> finds;
  std::vector<MaskedPattern> replacements;
  for (PatchPair& pair : std::get<std::vector<PatchPair>>(pairs)) {
    finds.push_back(std::move(pair.find));
    replacements.push_back(std::move(pair.replacement));
    lines.push_back(pair.line);
  }
  return RunJob(std::move(finds), std::move(replacements), run.ask);
}

// A glob that matches names ending with text, its glob characters escaped.
std::string EndsWithGlob(const std::string& text) {
  std::string glob = "!*";
  for (const char ch : text) {
    if (std::string_view("*?[]{}\\!").find(ch) != std::string_view::npos) glob += '\\';
    glob += ch;
  }
  return glob;
}

// The entry a walk must pass over for the file or folder at path, when its folder is there.
void PassOver(const fs::path& path, std::vector<PassedOver>& passed_over) {
  std::error_code error;
  const fs::path whole = fs::absolute(path, error);
  if (error || !whole.has_filename()) return;
  if (Result<vantrel::os::FileId> folder = vantrel::os::IdentifyPath(whole.parent_path())) {
    passed_over.push_back(PassedOver{*folder, whole.filename().native()});
  }
}

// The journals a walk never takes, whatever tree it walks: those of the state folder and the
// one named by --journal. They hold old bytes, the very pattern a run replaces, so a run over
// a home folder would patch its earlier runs' undo data, and its own.
std::vector<PassedOver> JournalsPassedOver(const RunDescription& run) {
  std::vector<PassedOver> passed_over;
  if (Result<fs::path> folder = vantrel::os::StateFolder()) PassOver(*folder, passed_over);
  if (run.journal_file) PassOver(*run.journal_file, passed_over);
  return passed_over;
}

WalkOptions WalkOptionsOf(const RunDescription& run) {
  WalkOptions options;
  options.follow_links = run.follow_links;
  options.threads = Threads(run);
  std::vector<std::string> globs = run.globs;
  // A walk that makes backups never takes one: a second run would patch the first run's
  // backups, and --restore would then put the patched bytes back. Last, so that it wins.
  if (run.backup_suffix) globs.push_back(EndsWithGlob(PathText(*run.backup_suffix)));
  auto built = GlobSet::Build(globs);
  if (auto* set = std::get_if<GlobSet>(&built)) options.choice.globs = std::move(*set);
  else options.choice.globs = std::get<GlobSet>(GlobSet::Build(run.globs));  // checked by the parser
  options.choice.max_depth = run.max_depth;
  options.choice.passed_over = JournalsPassedOver(run);
  return options;
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

bool GiveUp() { return os::InterruptStatus() != 0; }

// The records of the backups made, in the journals of the state folder.
BackupRecords RecordedBackups() {
  Result<fs::path> folder = vantrel::os::StateFolder();
  return folder ? BackupRecords::Read(*folder) : BackupRecords();
}

// The journal of a run's backups alone, made in the state folder at the first record.
Result<std::unique_ptr<Journal>> BackupJournal(const RunDescription& run) {
  Result<fs::path> folder = vantrel::os::StateFolder();
  if (!folder) return folder.error();
  if (Result<void> made = vantrel::os::MakeStateFolder(*folder); !made) return made.error();
  // A moment later than the run's own journal's name, should the run keep one too.
  const auto start = std::chrono::system_clock::now() + std::chrono::microseconds(1);
  return std::make_unique<Journal>(*folder / JournalName(start), run.command);
}

int UsageFailure(Output& output, Console& console, const std::string& problem) {
  output.Flush();
  (void)console.Write(Channel::kError, UsageErrorText(problem));
  return kExitTrouble;
}

}  // namespace

int RunCommand(const RunDescription& run, Console& console) {
  Output output(console, run.mode == Mode::kInteractive ? Channel::kOutput : Channel::kError);
  for (const std::string& warning : run.warnings) output.Error(std::string(ProgramName()) + ": warning: " + warning);
  if (run.mode == Mode::kUndo || run.mode == Mode::kRecover) {
    const int status = run.mode == Mode::kUndo ? UndoRun(run, output) : RecoverRun(run, output);
    output.Flush();
    return status;
  }
  bool walk = false;
  if (const std::optional<std::string> problem = CheckPath(run, walk)) return UsageFailure(output, console, *problem);
  if (run.mode == Mode::kRestore) {
    // A restore writes as a run does: under a journal, so that it can be undone too.
    RunJournal journal = MakeRunJournal(run, output);
    if (journal.refused) {
      output.Flush();
      return *journal.refused;
    }
    const BackupRecords records = RecordedBackups();
    const int status = RestoreBackups(run, walk, output, RestoreSetting{records, journal.journal.get(), GiveUp});
    const bool journal_kept = FinishJournal(journal, output);
    output.Flush();
    if (const int interrupted = os::InterruptStatus(); interrupted != 0) return interrupted;
    return journal_kept ? status : kExitTrouble;
  }
  std::vector<std::size_t> lines;
  auto made = MakeJob(run, lines);
  if (auto* problem = std::get_if<std::string>(&made)) return UsageFailure(output, console, *problem);
  RunJob& job = std::get<RunJob>(made);
  job.context = run.context;
  job.found_bytes = run.json || run.context > 0;
  job.keep_mtime = run.keep_mtime;
  // Only a run that may write keeps a journal: one that only lists has nothing to put back.
  RunJournal journal;
  if (run.mode != Mode::kDryRun && job.replacements) {
    journal = MakeRunJournal(run, output);
    if (journal.refused) {
      output.Flush();
      return *journal.refused;
    }
    job.journal = journal.journal.get();
  }

  // Each backup is recorded where --restore looks: in the run's journal, or, when that is
  // elsewhere (--journal FILE) or none (--no-journal), in a journal of the backups alone.
  const bool own_backup_journal = run.backup_suffix && (!journal.journal || run.journal_file);
  Result<std::unique_ptr<Journal>> backup_journal =
      own_backup_journal ? BackupJournal(run) : Result<std::unique_ptr<Journal>>(std::unique_ptr<Journal>());
  Journal* const backups_in = !own_backup_journal ? journal.journal.get() : backup_journal ? backup_journal->get() : nullptr;
  Backups backups(run.backup_suffix, GiveUp, [&backup_journal, backups_in](const journal::BackupMade& backup) -> Result<void> {
    if (backups_in == nullptr) return backup_journal ? SystemError{0, "there is no journal"} : backup_journal.error();
    return backups_in->Record(backup, /*flush=*/true);
  });
  Progress progress(output);
  Report report(output, ReportFormat{run.json, run.stats, run.null, run.context, lines});
  TerminalHost host(run.mode, console, output, backups, progress, report);
  const RunMode mode = RunModeOf(run.mode);
  // The batch runs are quiet as grep is: the exit status says whether anything was found,
  // and only failures are reported. The asking run says what the dialog says.
  if (walk) {
    WalkDirectory(run.path, mode, job, host, WalkOptionsOf(run));
    progress.Finish();
    if (run.mode == Mode::kInteractive) output.Message(std::string(messages::kSearchFinished) + "\n");
  } else {
    RunOnFile(mode, run.path, /*quiet=*/run.mode != Mode::kInteractive, job, host);
  }
  progress.Finish();
  if (backup_journal && *backup_journal) (void)(*backup_journal)->Finish();
  const bool journal_kept = FinishJournal(journal, output);
  if (run.stats || run.json) report.Summary(host.counts(), MadeJournal(journal));
  if (const int interrupted = os::InterruptStatus(); interrupted != 0) {
    (void)ExitStatus(host, output, progress);
    std::string line = std::string(ProgramName()) + ": interrupted: " + std::to_string(host.files_written()) +
                       " files written, " + std::to_string(host.files_put_back()) + " put back as they were";
    if (const auto kept_in = MadeJournal(journal); kept_in && host.files_written() > 0) {
      line += "; " + std::string(ProgramName()) + " --undo " + Quoted(*kept_in) + " undoes the run";
    }
    output.Error(line);
    output.Flush();
    return interrupted;
  }
  const int status = ExitStatus(host, output, progress);
  return journal_kept ? status : kExitTrouble;
}

}  // namespace vantrel::cli
