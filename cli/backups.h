// The --backup copies of a run: one per file, made before the first write to it, whole and
// flushed under its final name before the original changes (or absent), and never over an
// existing file.
#pragma once

#include <filesystem>
#include <mutex>
#include <optional>
#include <set>
#include <functional>

#include "runs/journal_format.h"

#include "platform/file_copy.h"
#include "platform/result.h"

namespace vantrel::cli {

class Backups {
 public:
  // No suffix: no backups are made.
  // Puts a record of a backup made in the run's journal, flushed.
  using Recorder = std::function<Result<void>(const journal::BackupMade&)>;

  // give_up: asked during a copy; an interrupted copy leaves no backup and its file unwritten.
  // record: where each backup is recorded once it is whole under its name; a backup that
  // cannot be recorded is removed again and its file not written (--restore would not take it).
  Backups(std::optional<std::filesystem::path> suffix, os::GiveUp give_up, Recorder record)
      : suffix_(std::move(suffix)), give_up_(std::move(give_up)), record_(std::move(record)) {}
  explicit Backups(std::optional<std::filesystem::path> suffix) : suffix_(std::move(suffix)) {}

  // Copies path to path+suffix unless this run did so already. With a walk's tree, the file
  // is opened below it with no link followed, as its write will be, so a link put in its
  // place is refused rather than copied. An error reads as the reason why the file is not
  // written ("not written: the backup ... exists already").
  Result<void> Before(const std::filesystem::path& path, const vantrel::os::TreeRoot* tree = nullptr);

 private:
  std::optional<std::filesystem::path> suffix_;
  os::GiveUp give_up_;
  Recorder record_;
  std::mutex mutex_;  // a walk with several threads backs up several files at once
  std::set<std::filesystem::path> made_;
};

}  // namespace vantrel::cli
