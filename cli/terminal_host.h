// The command line as the host of a run. It asks the dialog's questions with the same texts
// on the terminal: a question is answered with y, yes, n or no on a line, any other line asks
// again, and the end of the input counts as No; when standard input is not a terminal the
// answers come from it line by line (yes | vantrel ...) and are echoed, so the transcript reads
// like the session it was. It makes the backups before writes, and turns the news of the run
// into result lines, error lines and progress, keeping count of what was found and what failed;
// of a restore, what was put back and what was left alone.
#pragma once

#include <string>

#include "cli/backups.h"
#include "cli/console.h"
#include "platform/interrupts.h"
#include "cli/output.h"
#include "cli/progress.h"
#include "cli/report.h"
#include "cli/run_description.h"
#include "runs/run_host.h"

namespace vantrel::cli {

class TerminalHost : public RunHost {
 public:
  TerminalHost(Mode mode, Console& console, Output& output, Backups& backups, Progress& progress, Report& report);

  bool Prompt(std::string_view text, PromptKind kind) override;
  Result<void> BeforeWrite(const std::filesystem::path& path, const os::TreeRoot* tree) override {
    return backups_.Before(path, tree);
  }
  bool AnswersAreSeen() override { return console_.InputIsTerminal(); }
  void StoppedAsking(const std::filesystem::path& path, AskStop why, std::int64_t offset) override;

  void FileStarted(const std::filesystem::path& path) override;
  void Reached(std::int64_t offset) override { progress_.Reached(offset); }
  void Listed(const std::filesystem::path& path, const Match& match) override { report_.Match(path, match, false); }
  void Written(const std::filesystem::path& path, const Match& match) override {
    if (mode_ == Mode::kYes) report_.Match(path, match, true);  // the asking mode shows its questions instead
  }
  void FileDone(const std::filesystem::path& path, const FileOutcome& outcome) override;
  void Unlistable(const std::filesystem::path& dir, const SystemError& error) override;
  bool Stopped() override { return Interrupted() || (mode_ == Mode::kDryRun && output_.OutputClosed()); }
  bool Interrupted() override { return os::InterruptStatus() != 0; }

  // The pattern was found in some file; for a restore, some backup was put back.
  bool found() const { return mode_ == Mode::kRestore ? restore_counts_.put_back > 0 : counts_.occurrences > 0; }
  bool failed() const { return counts_.failed > 0; }       // some file or directory could not be read or written
  const RunCounts& counts() const { return counts_; }
  const RestoreCounts& restore_counts() const { return restore_counts_; }
  std::int64_t files_written() const { return files_written_; }
  std::int64_t files_put_back() const { return files_put_back_; }

 private:
  std::string Reason(const FileOutcome& outcome) const;
  void BackupDone(const std::filesystem::path& backup, const FileOutcome& outcome);

  Mode mode_;
  Console& console_;
  Output& output_;
  Backups& backups_;
  Progress& progress_;
  Report& report_;
  RunCounts counts_;
  RestoreCounts restore_counts_;
  std::int64_t files_written_ = 0;   // files kept with a write of this run
  std::int64_t files_put_back_ = 0;  // files that were written, then put back as they were
};

enum class Answer { kYes, kNo, kUnclear };

// y, yes, n, no, in any case and with blanks around them; anything else is unclear.
Answer ReadAnswer(std::string_view line);

}  // namespace vantrel::cli
