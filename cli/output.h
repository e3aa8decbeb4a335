// Everything the command line writes goes through Output: result lines on standard output
// (buffered unless it is a terminal), the run's messages and questions on the channel the
// mode gives them, error lines on standard error, and the progress line, which is erased
// before anything else is written. It remembers when the reader of standard output went
// away (not an error) and when writing to it failed (an error).
#pragma once

#include <string>
#include <string_view>

#include "cli/console.h"
#include "platform/result.h"

namespace vantrel::cli {

class Output {
 public:
  // messages: standard output in the interactive mode, standard error with --yes and --dry-run.
  Output(Console& console, Channel messages);
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  // One line of results ("PATH:0x00001A2B"); the line end is added.
  void Result(std::string_view line);
  // A message or a question of the run, written at once; no line end is added.
  void Message(std::string_view text);
  // One line on standard error; the line end is added.
  void Error(std::string_view line);

  // Whether a progress line can be shown at all: only on a terminal's standard error.
  bool CanShowProgress() const { return progress_allowed_; }
  // Draws the progress line in place of the one before.
  void ShowProgress(std::string_view line);
  void EraseProgress();

  // Writes what is buffered.
  void Flush();

  // The reader of standard output went away; nothing more is written there.
  bool OutputClosed() const { return closed_; }
  // Writing to standard output failed for another reason.
  bool OutputFailed() const { return failed_; }
  const SystemError& OutputError() const { return error_; }

 private:
  void Send(Channel channel, std::string_view text);

  Console& console_;
  Channel messages_;
  bool output_is_terminal_;
  bool progress_allowed_;
  std::string buffer_;           // result lines not yet written
  std::size_t progress_width_ = 0;  // columns of the progress line on the screen, 0 when none
  bool closed_ = false;
  bool failed_ = false;
  SystemError error_;
};

}  // namespace vantrel::cli
