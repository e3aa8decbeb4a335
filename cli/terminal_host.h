// The interactive mode's host for ReplaceInFile: the dialog's questions and messages, with
// the same texts, on the terminal. A question is answered with y, yes, n or no on a line;
// any other line asks again, and the end of the input counts as No. When standard input is
// not a terminal the answers come from it line by line (yes | vantrel ...), and each answer
// is echoed so the transcript reads like the session it was.
#pragma once

#include <string>

#include "cli/backups.h"
#include "cli/console.h"
#include "cli/output.h"
#include "cli/run_description.h"
#include "runs/run_host.h"

namespace vantrel::cli {

class TerminalHost : public RunHost {
 public:
  TerminalHost(const RunDescription& run, Console& console, Output& output, Backups& backups);

  // The command line has no boxes and no box limit: the whole pattern, as hex text.
  std::string FindHexText() override { return find_hex_; }
  std::string ReplaceHexText() override { return replace_hex_; }
  std::size_t ReplaceHexLength() override { return replace_hex_.size(); }
  bool AskBeforeReplace() override { return ask_; }
  bool Prompt(std::string_view text, PromptKind kind) override;
  Result<void> BeforeWrite(const std::filesystem::path& path) override { return backups_.Before(path); }

 private:
  Console& console_;
  Output& output_;
  Backups& backups_;
  std::string find_hex_;
  std::string replace_hex_;
  bool ask_;
};

enum class Answer { kYes, kNo, kUnclear };

// y, yes, n, no, in any case and with blanks around them; anything else is unclear.
Answer ReadAnswer(std::string_view line);

}  // namespace vantrel::cli
