#include "cli/terminal_host.h"

#include <algorithm>
#include <cctype>

namespace vantrel::cli {

TerminalHost::TerminalHost(const RunDescription& run, Console& console, Output& output, Backups& backups)
    : console_(console),
      output_(output),
      backups_(backups),
      find_hex_(BytesToHexText(run.find)),
      replace_hex_(run.replacement ? BytesToHexText(*run.replacement) : std::string()),
      ask_(run.ask) {}

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
