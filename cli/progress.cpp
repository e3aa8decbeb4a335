#include "cli/progress.h"

#include <cstdio>

namespace vantrel::cli {
namespace {

constexpr auto kQuietTime = std::chrono::milliseconds(500);
constexpr auto kRedrawTime = std::chrono::milliseconds(100);

}  // namespace

Progress::Progress(Output& output, Clock clock) : output_(output), clock_(std::move(clock)), start_(clock_()) {}

void Progress::FileStarted() {
  ++files_;
  reached_ = 0;
  Tick();
}

void Progress::Reached(std::int64_t offset) {
  reached_ = offset;
  Tick();
}

void Progress::FileDone(std::int64_t length) {
  bytes_done_ += length;
  reached_ = 0;
  Tick();
}

void Progress::Finish() { output_.EraseProgress(); }

std::string Progress::Line() const {
  return std::to_string(files_) + (files_ == 1 ? " file, " : " files, ") + FormatBytes(bytes_done_ + reached_) +
         " searched";
}

void Progress::Tick() {
  if (!output_.CanShowProgress()) return;
  const auto now = clock_();
  if (now - start_ < kQuietTime) return;
  if (drawn_ && now - last_drawn_ < kRedrawTime) return;
  output_.ShowProgress(Line());
  drawn_ = true;
  last_drawn_ = now;
}

std::string FormatBytes(std::int64_t bytes) {
  if (bytes < 1024) return std::to_string(bytes) + " B";
  static constexpr const char* kUnits[] = {"KiB", "MiB", "GiB", "TiB", "PiB"};
  double value = static_cast<double>(bytes) / 1024;
  std::size_t unit = 0;
  while (value >= 1024 && unit + 1 < std::size(kUnits)) {
    value /= 1024;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
  return text;
}

}  // namespace vantrel::cli
