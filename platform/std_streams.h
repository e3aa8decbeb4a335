// The process's standard streams at the platform level: whether one is a terminal, and
// writing text to one so that a closed pipe can be told apart from a real failure.
#pragma once

#include <string_view>

#include "platform/result.h"

namespace vantrel::os {

enum class StdStream { kInput, kOutput, kError };

// True when the stream is an interactive terminal (a console on Windows).
bool IsTerminal(StdStream stream);

enum class WriteStatus {
  kDone,
  kBrokenPipe,  // the reader went away: not an error, there is just no one left to tell
  kFailed,      // anything else (a full disk behind a redirection, ...)
};

struct WriteResult {
  WriteStatus status = WriteStatus::kDone;
  SystemError error;  // why, when kFailed
};

// Writes all of text (UTF-8) to the output or error stream. A Windows console gets it as
// UTF-16, so the Chinese texts show whatever its code page; pipes and files get the bytes.
WriteResult WriteText(StdStream stream, std::string_view text);

// Puts an empty device in place of each of descriptors 0, 1 and 2 that the process was
// started without, before anything else is opened: otherwise the first file the program
// opens takes the number, and results meant for the output are written into it. Nothing to
// do on Windows, where a file never takes the place of a standard handle.
void OpenClosedStdStreams();

// Makes a write to a closed pipe fail with an error instead of ending the process (POSIX's
// SIGPIPE); nothing to do on Windows.
void ReportBrokenPipesAsErrors();

}  // namespace vantrel::os
