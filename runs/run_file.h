// The runs on one file (the walk of a tree, walk_directory.h, drives any of them):
//   ask          find the first occurrence, tell the user, write when the user agrees, offer
//                to go on, and search again from the start of the file (the dialog's run)
//   replace all  one forward pass that replaces every occurrence, going on behind the longer
//                of pattern and replacement, so it ends even when the replacement holds the
//                pattern; every write is careful and the file's close is checked
//   list         every occurrence that does not overlap the one before; nothing is written
//   restore      the file is a backup: put back in place of its file (backup_restorer.h)
#pragma once

#include <filesystem>

#include "runs/file_outcome.h"
#include "runs/files_met.h"
#include "runs/run_host.h"
#include "runs/run_job.h"

namespace vantrel {

enum class RunMode { kAsk, kReplaceAll, kList, kRestore };

// quiet silences the two messages of the ask run that end it without a find ("打开文件失败！"
// and "没有找到你要搜索的内容。"); every other message is shown in any case. context: what
// the run borrows from the walk it is part of; a file that ReplaceAllInFile hands to the
// context's finisher is told of (its writes, its FileDone) when the finisher is done with it,
// and the outcome returned is only what was known when it was handed over.
FileOutcome ReplaceInFile(const std::filesystem::path& path, bool quiet, const RunJob& job, RunHost& host,
                          const FileRunContext& context = {});
FileOutcome ReplaceAllInFile(const std::filesystem::path& path, const RunJob& job, RunHost& host,
                             const FileRunContext& context = {});
FileOutcome ListInFile(const std::filesystem::path& path, const RunJob& job, RunHost& host, const FileRunContext& context = {});

// The run of the mode on one file; the ask run quiet or not.
FileOutcome RunOnFile(RunMode mode, const std::filesystem::path& path, bool quiet, const RunJob& job, RunHost& host,
                      const FileRunContext& context = {});

}  // namespace vantrel
