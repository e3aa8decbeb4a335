#include "cli/terminal_host.h"

#include <algorithm>
#include <cctype>
#include <system_error>

#include "cli/help_text.h"
#include "cli/quoted.h"
#include "platform/file_copy.h"
#include "platform/path_text.h"
#include "runs/messages.h"

namespace vantrel::cli {

TerminalHost::TerminalHost(Mode mode, Console& console, Output& output, Backups& backups, Progress& progress,
                           Report& report)
    : mode_(mode), console_(console), output_(output), backups_(backups), progress_(progress), report_(report) {}

bool TerminalHost::Prompt(std::string_view text, PromptKind kind) {
  if (kind != PromptKind::kYesNo) {
    output_.Message(std::string(text) + "\n");
    return false;
  }
  for (;;) {
    output_.Message(std::string(text) + " [y/n] ");
    const std::optional<std::string> line = console_.ReadLine();
    if (!line) {
      output_.Message("\n");
      return false;
    }
    if (!console_.InputIsTerminal()) output_.Message(*line + "\n");
    const Answer answer = ReadAnswer(*line);
    if (answer != Answer::kUnclear) return answer == Answer::kYes;
  }
}

void TerminalHost::StoppedAsking(const std::filesystem::path& path, AskStop why, std::int64_t offset) {
  const std::string at = messages::FormatOffset(offset);
  output_.Message(vantrel::os::PathText(path) + ": stopped asking: " +
                  (why == AskStop::kPatternKept
                       ? "the replacement keeps the pattern at " + at + ", so the same question would come back for ever\n"
                       : "each write grows the file and the pattern is found again at " + at +
                             ", so the questions would not end\n"));
}

void TerminalHost::FileStarted(const std::filesystem::path&) { progress_.FileStarted(); }

namespace {

// Why a backup or its file was refused: "it is a link" when the name itself is one, else what
// the platform said (a link that took the place of a folder on the way says so).
std::string Refusal(const std::filesystem::path& path, const SystemError& error, std::string_view link_said) {
  std::error_code ignored;
  if (os::IsLinkRefused(error) && std::filesystem::is_symlink(std::filesystem::symlink_status(path, ignored))) {
    return std::string(link_said);
  }
  return error.message;
}

}  // namespace

void TerminalHost::BackupDone(const std::filesystem::path& backup, const FileOutcome& outcome) {
  using Restore = FileOutcome::Restore;
  ++restore_counts_.backups;
  const std::filesystem::path& file = outcome.restored_file;
  const std::string backup_name = vantrel::os::PathText(backup);
  switch (outcome.restore) {
    case Restore::kPutBack:
    case Restore::kNotRemoved:
      ++restore_counts_.put_back;
      ++files_written_;
      report_.Restored(file, backup);
      if (outcome.restore == Restore::kNotRemoved) report_.Warning(backup, "put back, but not removed: " + outcome.error.message);
      return;
    case Restore::kNotOurs: {
      const std::string reason = "left alone: no journal of " + std::string(ProgramName()) + " records it as a backup of " +
                                 Quoted(vantrel::os::PathText(file));
      // Passed over in a walk; named alone, though, it was the one thing asked for.
      if (!outcome.failed()) {
        ++restore_counts_.left_alone;
        report_.Warning(backup, reason);
        return;
      }
      ++restore_counts_.failed;
      ++counts_.failed;
      report_.Failure(backup, reason);
      return;
    }
    case Restore::kLeftAlone:
      ++restore_counts_.failed;
      ++counts_.failed;
      report_.Failure(backup, "left alone: " + Refusal(backup, outcome.error, "it is a link, and no backup is read through one"));
      return;
    case Restore::kNotPutBack:
      ++restore_counts_.failed;
      ++counts_.failed;
      if (outcome.failure == FileOutcome::Failure::kInterrupted) ++files_put_back_;
      report_.Failure(file, "not put back from " + Quoted(backup_name) + ": " +
                                Refusal(file, outcome.error, "it is a link, and nothing is written through one"));
      return;
    case Restore::kNone: break;
  }
}

void TerminalHost::FileDone(const std::filesystem::path& path, const FileOutcome& outcome) {
  progress_.FileDone(outcome.searched);
  if (outcome.restore != FileOutcome::Restore::kNone) return BackupDone(path, outcome);
  if (outcome.met_before) return;  // the same file under another name: counted once
  if (outcome.failure != FileOutcome::Failure::kRead) ++counts_.files_searched;
  counts_.bytes_searched += outcome.searched;
  counts_.occurrences += outcome.found;
  counts_.writes += outcome.written;
  if (outcome.found > 0) ++counts_.files_with_pattern;
  if (outcome.written > 0) ++files_written_;
  if (outcome.put_back || outcome.failure == FileOutcome::Failure::kInterrupted) ++files_put_back_;
  if (!outcome.failed()) return;
  ++counts_.failed;
  report_.Failure(path, Reason(outcome));
}

std::string TerminalHost::Reason(const FileOutcome& outcome) const {
  if (outcome.failure == FileOutcome::Failure::kInterrupted) return "interrupted: put back as it was";
  if (outcome.failure != FileOutcome::Failure::kChanged) return outcome.error.message;
  if (mode_ == Mode::kInteractive) return "changed while the question was open; not written";
  return "the bytes at " + messages::FormatOffset(outcome.changed_at) +
         " changed while the file was being patched; stopped there, and the file is as it was";
}

void TerminalHost::Unlistable(const std::filesystem::path& dir, const SystemError& error) {
  ++counts_.failed;
  if (mode_ == Mode::kRestore) ++restore_counts_.failed;
  report_.Failure(dir, error.message);
}

Answer ReadAnswer(std::string_view line) {
  const auto blank = [](char ch) { return std::isspace(static_cast<unsigned char>(ch)) != 0; };
  while (!line.empty() && blank(line.front())) line.remove_prefix(1);
  while (!line.empty() && blank(line.back())) line.remove_suffix(1);
  std::string word(line);
  std::transform(word.begin(), word.end(), word.begin(),
                 [](char ch) { return static_cast<char>(std::tolower(static_cast<unsigned char>(ch))); });
  if (word == "y" || word == "yes") return Answer::kYes;
  if (word == "n" || word == "no") return Answer::kNo;
  return Answer::kUnclear;
}

}  // namespace vantrel::cli
