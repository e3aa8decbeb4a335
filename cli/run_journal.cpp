#include "cli/run_journal.h"

#include <chrono>

#include "cli/help_text.h"
#include "cli/journal_folder.h"
#include "cli/quoted.h"
#include "cli/run_command.h"
#include "platform/path_text.h"
#include "platform/state_folder.h"

namespace vantrel::cli {
namespace {

namespace fs = std::filesystem;

std::string Program() { return std::string(ProgramName()); }

std::string RecoverCommand(const fs::path& journal) {
  return Program() + " --recover " + Quoted(vantrel::os::PathText(journal));
}

// The unfinished runs of the folder, each said in one line; their caught files are held.
std::vector<vantrel::os::FileId> AnnounceUnfinished(const fs::path& folder, Output& output) {
  std::vector<vantrel::os::FileId> held;
  for (const UnfinishedRun& unfinished : FindUnfinished(folder)) {
    output.Error(Program() + ": an unfinished run was found: " + Quoted(vantrel::os::PathText(unfinished.journal)) +
                 "; the files it was writing are not written until " + RecoverCommand(unfinished.journal) +
                 " puts them back");
    held.insert(held.end(), unfinished.caught.begin(), unfinished.caught.end());
  }
  return held;
}

}  // namespace

RunJournal MakeRunJournal(const RunDescription& run, Output& output) {
  RunJournal made;
  Result<fs::path> folder = vantrel::os::StateFolder();
  if (!folder) {
    if (run.no_journal || run.journal_file) return made;
    output.Error(Program() + ": error: no state folder for the journal (" + folder.error().message +
                 "); name one with --journal FILE, or run with --no-journal");
    made.refused = kExitTrouble;
    return made;
  }
  const std::vector<UnfinishedRun> unfinished = FindUnfinished(*folder);
  if (run.no_journal) {
    if (!unfinished.empty()) {
      (void)AnnounceUnfinished(*folder, output);
      output.Error(Program() + ": error: --no-journal cannot tell the files of an unfinished run; recover it first");
      made.refused = kExitTrouble;
    }
    return made;
  }
  fs::path path;
  if (run.journal_file) {
    std::error_code error;
    path = fs::absolute(*run.journal_file, error);
    if (error) path = *run.journal_file;
  } else {
    if (Result<void> ready = vantrel::os::MakeStateFolder(*folder); !ready) {
      output.Error(Program() + ": error: cannot make the journal's folder " + Quoted(vantrel::os::PathText(*folder)) + ": " +
                   ready.error().message + " (--journal FILE puts the journal elsewhere)");
      made.refused = kExitTrouble;
      return made;
    }
    path = *folder / JournalName(std::chrono::system_clock::now());
  }
  made.journal = std::make_unique<Journal>(path, run.command);
  std::vector<vantrel::os::FileId> held = AnnounceUnfinished(*folder, output);
  if (!held.empty()) {
    made.journal->Hold(std::move(held),
                       "an unfinished run was writing it; not written until " + Program() + " --recover puts it back");
  }
  return made;
}

bool FinishJournal(RunJournal& journal, Output& output) {
  if (!journal.journal) return true;
  Result<void> finished = journal.journal->Finish();
  if (finished) return true;
  output.Error(Program() + ": the journal could not be finished: " + finished.error().message);
  return false;
}

std::optional<fs::path> MadeJournal(const RunJournal& journal) {
  if (!journal.journal || !journal.journal->made()) return std::nullopt;
  return journal.journal->path();
}

}  // namespace vantrel::cli
