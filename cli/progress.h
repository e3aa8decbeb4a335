// The progress line of a long run: how many files and bytes have been searched, on one line
// of a terminal's standard error. It shows once the run has taken about half a second, is
// redrawn a few times a second, and is erased at the end; in a pipe it never shows.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "cli/output.h"

namespace vantrel::cli {

class Progress {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;

  explicit Progress(Output& output, Clock clock = std::chrono::steady_clock::now);

  void FileStarted();
  // The search of the current file has reached this offset.
  void Reached(std::int64_t offset);
  // The current file is done; it was this long.
  void FileDone(std::int64_t length);
  // Erases the line for good.
  void Finish();

  // "3 files, 1.2 GiB searched"
  std::string Line() const;

 private:
  void Tick();

  Output& output_;
  Clock clock_;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point last_drawn_;
  bool drawn_ = false;
  std::int64_t files_ = 0;
  std::int64_t bytes_done_ = 0;  // of the files done
  std::int64_t reached_ = 0;     // in the current file
};

// A byte count for people: "512 B", "1.5 KiB", "3.2 GiB".
std::string FormatBytes(std::int64_t bytes);

}  // namespace vantrel::cli
