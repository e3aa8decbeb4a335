#include "runs/replace_in_file.h"

#include "engine/find_in_file.h"
#include "engine/hex_text.h"
#include "engine/os/path_text.h"
#include "runs/careful_write.h"
#include "runs/messages.h"

namespace vantrel {
namespace {

// The first occurrence of the find pattern, with the reason when the file cannot be read.
// A pattern of zero bytes (a lone digit in the box) is nothing to find: searching for it would
// "find" offset 0 of every file and write the replacement there.
FindResult Find(const std::filesystem::path& path, const Bytes& pattern, SystemError& why) {
  if (pattern.empty()) return FIND_NOT_FOUND;
  return FindInFile(path, PatternFinder(pattern), SearchOptions{}, why);
}

}  // namespace

FileRunOutcome ReplaceInFile(const std::filesystem::path& path, bool quiet, RunHost& host) {
  FileRunOutcome outcome;
  const std::string path_text = os::PathText(path);
  Bytes pattern = HexTextToBytes(host.FindHexText());
  FindResult r = Find(path, pattern, outcome.error);
  for (;;) {
    if (r == FIND_OPEN_FAILED) {
      if (!quiet) host.Prompt(messages::kOpenFailed, PromptKind::kWarning);
      outcome.failure = FileRunOutcome::Failure::kOpen;
      return outcome;
    }
    if (r == FIND_NOT_FOUND) {
      if (!quiet) host.Prompt(messages::kNotFound, PromptKind::kInformation);
      return outcome;
    }
    outcome.found = true;
    if (host.ReplaceHexLength() == 0) {
      host.Prompt(messages::Found(path_text, r, false), PromptKind::kOkQuestion);
      return outcome;
    }
    if (host.AskBeforeReplace() && !host.Prompt(messages::Found(path_text, r, true), PromptKind::kYesNo)) {
      return outcome;
    }
    const Bytes replacement = HexTextToBytes(host.ReplaceHexText());
    if (Result<void> ready = host.BeforeWrite(path); !ready) {
      host.Prompt(messages::kWriteFailed, PromptKind::kWarning);
      outcome.failure = FileRunOutcome::Failure::kWrite;
      outcome.error = ready.error();
      return outcome;
    }
    const WriteReport write = WriteIfUnchanged(path, r, pattern, replacement);
    if (write.outcome == WriteOutcome::kFailed) {
      host.Prompt(messages::kWriteFailed, PromptKind::kWarning);
      outcome.failure = FileRunOutcome::Failure::kWrite;
      outcome.error = write.error;
      return outcome;
    }
    if (write.outcome == WriteOutcome::kChanged) {
      host.Prompt(messages::kFileChanged, PromptKind::kWarning);
      outcome.failure = FileRunOutcome::Failure::kChanged;
      return outcome;
    }
    ++outcome.replaced;
    if (!host.Prompt(messages::kReplacedGoOn, PromptKind::kYesNo)) return outcome;
    pattern = HexTextToBytes(host.FindHexText());
    r = Find(path, pattern, outcome.error);
  }
}

}  // namespace vantrel
