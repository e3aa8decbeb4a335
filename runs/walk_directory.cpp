#include "runs/walk_directory.h"

#include <unordered_set>

#include "engine/os/directory.h"

namespace vantrel {
namespace {

class Walk {
 public:
  Walk(RunMode mode, const RunJob& job, RunHost& host, WalkOptions options)
      : mode_(mode), job_(job), host_(host), options_(options) {}

  void Enter(const std::filesystem::path& dir) {
    // Only followed links can lead back into a directory already being walked.
    if (options_.follow_links) {
      Result<os::FileId> id = os::IdentifyDirectory(dir);
      if (id && !directories_.insert(*id).second) return;
    }
    Result<std::vector<os::DirectoryEntry>> entries = os::ListDirectory(dir);
    if (!entries) {
      host_.Unlistable(dir, entries.error());
      return;
    }
    for (const os::DirectoryEntry& entry : *entries) {
      if (host_.Stopped()) return;
      switch (KindOf(entry)) {
        case os::EntryKind::kDirectory: Enter(entry.path); break;
        case os::EntryKind::kFile: RunOnFile(mode_, entry.path, /*quiet=*/true, job_, host_, &files_); break;
        case os::EntryKind::kLink:
        case os::EntryKind::kOther: break;
      }
    }
  }

 private:
  // What the walk treats the entry as: a link is what it leads to when links are followed
  // (a link that leads nowhere is a file that cannot be opened, and is reported as such).
  os::EntryKind KindOf(const os::DirectoryEntry& entry) const {
    if (entry.kind != os::EntryKind::kLink || !options_.follow_links) return entry.kind;
    Result<os::EntryKind> target = os::TargetKind(entry.path);
    return target ? *target : os::EntryKind::kFile;
  }

  RunMode mode_;
  const RunJob& job_;
  RunHost& host_;
  WalkOptions options_;
  std::unordered_set<os::FileId, os::FileIdHash> directories_;
  FilesMet files_;
};

}  // namespace

void WalkDirectory(const std::filesystem::path& dir, RunMode mode, const RunJob& job, RunHost& host,
                   WalkOptions options) {
  Walk(mode, job, host, options).Enter(dir);
}

}  // namespace vantrel
