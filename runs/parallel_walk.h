// The walk of a batch run with several threads, private to the walk: only walk_directory.cpp
// calls it. One thread lists the tree and numbers the
// files in walk order; the workers run on the files; the calling thread hands the host what
// each file's run reported, file after file in that order, as the one-thread walk would.
//
// A file's news are kept until it is its turn, and are handed on as they come once it is. A
// worker whose file has kept much news (in bytes, for all files together too) waits for its
// turn, and the worker of the file whose turn it is waits while the hand-on has not taken
// its news, so a slow reader of the output makes the workers wait and memory stays bounded. A file
// that may have another name is met, once open, only after every file before it has been
// opened, so which of its names is run on does not depend on the threads. Writes to a file happen in its
// worker, in offset order, after the host has prepared them (the backups): the host's
// BeforeWrite must allow calls from several threads; every other call comes on the calling
// thread.
#pragma once

#include <filesystem>

#include "runs/run_file.h"
#include "runs/walk_options.h"

namespace vantrel {

// False when the threads could not be started; nothing was run then.
bool WalkInParallel(const std::filesystem::path& dir, RunMode mode, const RunJob& job, RunHost& host,
                    const WalkOptions& options);

}  // namespace vantrel
