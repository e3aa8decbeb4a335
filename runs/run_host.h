// What a run needs from the program that hosts it: a way to show a message and get an
// answer, a chance to prepare each write, and news of what happens as it happens. The dialog
// and the command line are two hosts.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

#include "platform/result.h"
#include "runs/file_outcome.h"
#include "runs/run_job.h"

namespace vantrel {

// The kinds of message a run shows (message box kinds in the dialog).
enum class PromptKind {
  kYesNo,        // a question with Yes and No
  kOkQuestion,   // an OK box with a question-mark icon
  kInformation,  // an OK box with an information icon
  kWarning,      // an OK box with an exclamation icon
  kPlain,        // an OK box without an icon
};

// Why the asking run stopped asking for a file.
enum class AskStop {
  kPatternKept,  // the replacement holds the pattern where it wrote it
  kFileGrows,    // the write grew the file and the pattern is found again in it
};

class RunHost {
 public:
  virtual ~RunHost() = default;

  // Shows text (UTF-8) and waits for the user. True only when the answer was Yes.
  virtual bool Prompt(std::string_view text, PromptKind kind) = 0;

  // Called before the first write to path (before every write when asking), while the file
  // is still as it was found. tree: the walk's root when the file is to be opened below it
  // with no link followed (the job's tree). An error (the command line's backup copy could
  // not be made) means the file is not written.
  virtual Result<void> BeforeWrite(const std::filesystem::path& /*path*/, const os::TreeRoot* /*tree*/) { return {}; }

  // True when the answers come from someone who reads each question (the dialog, a terminal)
  // and so sees the same question come back; false for answers from a pipe or a script.
  virtual bool AnswersAreSeen() { return true; }
  // The asking run stopped asking for path, with answers that are not seen, after a write that
  // would only bring the question back: the replacement left the pattern at the offset it
  // wrote, or it grew the file and the pattern is found again in what it wrote.
  virtual void StoppedAsking(const std::filesystem::path& /*path*/, AskStop /*why*/, std::int64_t /*offset*/) {}

  // News, for output and progress. A file's news come between FileStarted and FileDone.
  virtual void FileStarted(const std::filesystem::path& /*path*/) {}
  virtual void Reached(std::int64_t /*offset*/) {}  // the search of the current file got this far
  virtual void Listed(const std::filesystem::path& /*path*/, const Match& /*match*/) {}   // an occurrence, listed
  virtual void Written(const std::filesystem::path& /*path*/, const Match& /*match*/) {}  // a replacement reached the file
  virtual void FileDone(const std::filesystem::path& /*path*/, const FileOutcome& /*outcome*/) {}
  // A directory of a walk that could not be listed; the walk goes on with its siblings.
  virtual void Unlistable(const std::filesystem::path& /*dir*/, const SystemError& /*error*/) {}

  // True when nothing more is wanted (no one reads the results any more): the run stops.
  virtual bool Stopped() { return false; }
  // True when the user interrupted the run: no file is started, and the file being written
  // is put back as it was. May be asked from any thread.
  virtual bool Interrupted() { return false; }
};

}  // namespace vantrel
