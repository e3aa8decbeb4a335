// How a walk goes: whether it follows links, on how many threads, and which files it takes.
#pragma once

#include "runs/file_choice.h"

namespace vantrel {

struct WalkOptions {
  bool follow_links = false;  // follow symbolic links, junctions and reparse points
  unsigned threads = 1;       // threads that read and search files (batch runs only)
  FileChoice choice;          // the files taken and the directories entered (globs, depth)
};

}  // namespace vantrel
