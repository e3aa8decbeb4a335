// The run on one file: find the first occurrence, tell the user, write the replacement over
// it when the user agrees, and offer to go on, searching again from the start of the file.
#pragma once

#include <filesystem>

#include "engine/result.h"
#include "runs/run_host.h"

namespace vantrel {

// How a run on one file ended. The dialog shows everything through prompts and ignores
// this; the command line turns it into its exit status and its error lines.
struct FileRunOutcome {
  enum class Failure { kNone, kOpen, kWrite, kChanged };
  bool found = false;  // the pattern was found at least once
  int replaced = 0;    // writes that reached the file
  Failure failure = Failure::kNone;
  SystemError error;  // the platform's reason, for kOpen and kWrite
};

// quiet silences only the two messages that end a run without a find ("打开文件失败！" and
// "没有找到你要搜索的内容。"); every other message is shown in any case.
FileRunOutcome ReplaceInFile(const std::filesystem::path& path, bool quiet, RunHost& host);

}  // namespace vantrel
