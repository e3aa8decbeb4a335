#include "cli/journal_commands.h"

#include <optional>
#include <string>
#include <unordered_set>

#include "cli/help_text.h"
#include "cli/journal_folder.h"
#include "cli/quoted.h"
#include "cli/run_command.h"
#include "platform/journal_file.h"
#include "platform/path_text.h"
#include "platform/state_folder.h"
#include "runs/journal_put_back.h"

namespace vantrel::cli {
namespace {

namespace fs = std::filesystem;
using Status = JournalPutBack::Status;

std::string Program() { return std::string(ProgramName()); }
std::string Named(const fs::path& path) { return Quoted(vantrel::os::PathText(path)); }

// The journal named, or the default one chosen from the state folder; a line said and the
// exit status when there is none.
std::optional<fs::path> ChooseJournal(const RunDescription& run, Output& output, int& status, bool unfinished) {
  if (!run.path.empty()) return run.path;
  Result<fs::path> folder = vantrel::os::StateFolder();
  if (!folder) {
    output.Error(Program() + ": error: no state folder (" + folder.error().message + "); name the journal");
    status = kExitTrouble;
    return std::nullopt;
  }
  if (unfinished) {
    const std::vector<UnfinishedRun> runs = FindUnfinished(*folder);
    if (!runs.empty()) return runs.back().journal;
    output.Error(Program() + ": no unfinished run in " + Named(*folder) + ": nothing to recover");
  } else {
    const std::vector<fs::path> journals = ListJournals(*folder);
    if (!journals.empty()) return journals.back();
    output.Error(Program() + ": no journal in " + Named(*folder) + ": no run has written a file yet");
  }
  status = kExitNotFound;
  return std::nullopt;
}

std::unique_ptr<Journal> OpenJournal(const fs::path& path, Output& output) {
  Result<std::unique_ptr<Journal>> journal = Journal::Reopen(path);
  if (journal) return std::move(*journal);
  if (vantrel::os::IsBusy(journal.error())) {
    output.Error(Program() + ": " + Named(path) + ": a run that is still going holds this journal");
  } else {
    output.Error(Program() + ": cannot open the journal " + Named(path) + ": " + journal.error().message);
  }
  return nullptr;
}

// What the command says of the files it took: each put back listed once, though an asking
// run records each of its writes to a file as one more entry.
class Listing {
 public:
  explicit Listing(Output& output) : output_(output) {}
  void Say(const JournaledFile& file, const JournalPutBack& done) {
    const std::string path = vantrel::os::PathText(journal::PathOf(file.begun.path));
    if (done.status != Status::kPutBack) output_.Error(path + ": " + done.reason);
    else if (listed_.insert(path).second) output_.Result(path);
  }

 private:
  Output& output_;
  std::unordered_set<std::string> listed_;
};

}  // namespace

int UndoRun(const RunDescription& run, Output& output) {
  int status = kExitTrouble;
  const std::optional<fs::path> path = ChooseJournal(run, output, status, /*unfinished=*/false);
  if (!path) return status;
  std::unique_ptr<Journal> journal = OpenJournal(*path, output);
  if (!journal) return kExitTrouble;
  const JournalIndex& index = journal->index();
  if (index.undone()) {
    output.Error(Program() + ": " + Named(*path) + ": this run was undone already; nothing was put back");
    return kExitTrouble;
  }
  if (!index.ended()) {
    output.Error(Program() + ": " + Named(*path) + ": this run did not finish; put its files back first with " +
                 Program() + " --recover " + Named(*path));
    return kExitTrouble;
  }
  Listing listing(output);
  bool any = false;
  bool retry = false;  // a file failed, not for being changed: a later undo may try it again
  bool trouble = false;
  for (auto file = index.files().rbegin(); file != index.files().rend(); ++file) {
    if (!file->kept || file->undone || file->batches.empty()) continue;
    const JournalPutBack done = PutBackJournaled(*journal, *file, PutBackPurpose::kUndo);
    listing.Say(*file, done);
    any = true;
    if (done.status == Status::kPutBack) {
      (void)journal->Record(journal::FileUndone{file->begun.file}, true);
    } else {
      trouble = true;
      retry = retry || done.status == Status::kFailed;
    }
  }
  // A file left alone stays as it is whatever is tried later; one that failed may be tried again.
  Result<void> recorded = retry ? Result<void>() : journal->Record(journal::RunUndone{}, true);
  if (!recorded) {
    output.Error(Program() + ": cannot write the journal " + Named(*path) + ": " + recorded.error().message);
    trouble = true;
  }
  if (trouble) return kExitTrouble;
  return any ? kExitFound : kExitNotFound;
}

int RecoverRun(const RunDescription& run, Output& output) {
  int status = kExitTrouble;
  const std::optional<fs::path> path = ChooseJournal(run, output, status, /*unfinished=*/true);
  if (!path) return status;
  std::unique_ptr<Journal> journal = OpenJournal(*path, output);
  if (!journal) return kExitTrouble;
  const JournalIndex& index = journal->index();
  if (index.ended()) {
    output.Error(Program() + ": " + Named(*path) + ": this run finished; nothing to recover (--undo puts its files back)");
    return kExitNotFound;
  }
  Listing listing(output);
  bool any = false;
  bool trouble = false;
  bool retry = false;  // a file failed, not for being changed: a later recovery may try it again
  for (auto file = index.files().rbegin(); file != index.files().rend(); ++file) {
    if (!file->caught()) continue;
    const JournalPutBack done = PutBackJournaled(*journal, *file, PutBackPurpose::kRecover);
    if (done.status == Status::kPutBack) {
      // A file whose first batch never reached the journal was not written: nothing to list.
      if (!file->batches.empty()) listing.Say(*file, done), any = true;
      (void)journal->Record(journal::FilePutBack{file->begun.file}, false);
    } else {
      listing.Say(*file, done);
      trouble = true;
      retry = retry || done.status == Status::kFailed;
    }
  }
  // The run ends here, so that no later start calls it unfinished; a file that failed keeps
  // it open for another try.
  if (!retry) {
    if (Result<void> finished = journal->Finish(); !finished) {
      output.Error(Program() + ": cannot write the journal " + Named(*path) + ": " + finished.error().message);
      trouble = true;
    }
  }
  if (trouble) return kExitTrouble;
  if (!any) output.Error(Program() + ": " + Named(*path) + ": no file was in the middle of its writes; nothing to recover");
  return any ? kExitFound : kExitNotFound;
}

}  // namespace vantrel::cli
