#include "cli/terminal_host.h"

#include <algorithm>
#include <cctype>

#include "engine/os/path_text.h"
#include "runs/messages.h"

namespace vantrel::cli {

using vantrel::os::PathText;

TerminalHost::TerminalHost(Mode mode, Console& console, Output& output, Backups& backups, Progress& progress)
    : mode_(mode), console_(console), output_(output), backups_(backups), progress_(progress) {}

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

void TerminalHost::FileStarted(const std::filesystem::path&) { progress_.FileStarted(); }

void TerminalHost::ResultLine(const std::filesystem::path& path, std::int64_t offset) {
  output_.Result(PathText(path) + ":" + messages::FormatOffset(offset));
}

void TerminalHost::FileDone(const std::filesystem::path& path, const FileOutcome& outcome) {
  progress_.FileDone(outcome.searched);
  found_ = found_ || outcome.found > 0;
  if (!outcome.failed()) return;
  failed_ = true;
  output_.Error(PathText(path) + ": " + Reason(outcome));
}

std::string TerminalHost::Reason(const FileOutcome& outcome) const {
  if (outcome.failure != FileOutcome::Failure::kChanged) return outcome.error.message;
  if (mode_ == Mode::kInteractive) return "changed while the question was open; not written";
  return "the bytes at " + messages::FormatOffset(outcome.changed_at) +
         " changed while the file was being patched; stopped there";
}

void TerminalHost::Unlistable(const std::filesystem::path& dir, const SystemError& error) {
  failed_ = true;
  output_.Error(PathText(dir) + ": " + error.message);
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
