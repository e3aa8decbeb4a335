// The --backup copies of a run: one per file, made before the first write to it, complete
// and flushed before the original changes, and never over an existing file.
#pragma once

#include <filesystem>
#include <mutex>
#include <optional>
#include <set>

#include "engine/result.h"

namespace vantrel::cli {

class Backups {
 public:
  // No suffix: no backups are made.
  explicit Backups(std::optional<std::filesystem::path> suffix) : suffix_(std::move(suffix)) {}

  // Copies path to path+suffix unless this run did so already. An error reads as the
  // reason why the file is not written ("not written: the backup ... exists already").
  Result<void> Before(const std::filesystem::path& path);

 private:
  std::optional<std::filesystem::path> suffix_;
  std::mutex mutex_;  // a walk with several threads backs up several files at once
  std::set<std::filesystem::path> made_;
};

}  // namespace vantrel::cli
