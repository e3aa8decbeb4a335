// The walk of a directory tree: depth first, in the order the file system lists each
// directory, a subdirectory entered as soon as it is met, and the run of the mode on every
// regular file. Links (symbolic links, junctions and other reparse points) are passed over
// unless the walk is asked to follow them, so a walk of an unpacked image never writes
// through a link into files outside the tree; pipes, devices and sockets are passed over.
// Followed links cannot make a walk endless: a directory reached again is not walked again.
// A file reached again under another name (a second hard link, a followed link) is not run
// on twice.
//
// The batch runs (replace all, list) may use several threads: the tree is listed in one, the
// files are read and searched in the others, and the host hears of every file in walk order,
// on the calling thread, exactly as from one thread. The asking run is one-threaded: a person
// answers in order.
#pragma once

#include <filesystem>

#include "runs/run_file.h"
#include "runs/walk_options.h"

namespace vantrel {

// The run of mode on every file below dir; the ask run is quiet.
void WalkDirectory(const std::filesystem::path& dir, RunMode mode, const RunJob& job, RunHost& host,
                   WalkOptions options = {});

}  // namespace vantrel
