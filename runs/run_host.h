// What a run needs from the program that hosts it: the two hex texts, the ask switch, and a
// way to show a message and get an answer. The dialog and the command line are two hosts.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "engine/result.h"

namespace vantrel {

// The kinds of message a run shows (message box kinds in the dialog).
enum class PromptKind {
  kYesNo,        // a question with Yes and No
  kOkQuestion,   // an OK box with a question-mark icon
  kInformation,  // an OK box with an information icon
  kWarning,      // an OK box with an exclamation icon
  kPlain,        // an OK box without an icon
};

class RunHost {
 public:
  virtual ~RunHost() = default;

  virtual std::string FindHexText() = 0;       // the first 259 characters of the find "HEX" box
  virtual std::string ReplaceHexText() = 0;    // the first 259 characters of the replace "HEX" box
  virtual std::size_t ReplaceHexLength() = 0;  // the full length of the replace "HEX" box's text
  virtual bool AskBeforeReplace() = 0;         // the state of "替换时询问"

  // Shows text (UTF-8) and waits for the user. True only when the answer was Yes.
  virtual bool Prompt(std::string_view text, PromptKind kind) = 0;

  // Called before every write to path, while the file is still as it was found. An error
  // (the command line's backup copy could not be made) means the file is not written. The
  // dialog has nothing to prepare.
  virtual Result<void> BeforeWrite(const std::filesystem::path& /*path*/) { return {}; }
};

}  // namespace vantrel
