#include "runs/tree_listing.h"

#include "engine/os/directory.h"

namespace vantrel {
namespace {

class Listing {
 public:
  Listing(bool follow_links, TreeVisitor& visitor) : follow_links_(follow_links), visitor_(visitor) {}

  void Enter(const std::filesystem::path& dir) {
    // Only followed links can lead back into a directory already being walked.
    if (follow_links_) {
      Result<os::FileId> id = os::IdentifyDirectory(dir);
      if (id && !directories_.insert(*id).second) return;
    }
    Result<std::vector<os::DirectoryEntry>> entries = os::ListDirectory(dir);
    if (!entries) {
      visitor_.Unlistable(dir, entries.error());
      return;
    }
    for (const os::DirectoryEntry& entry : *entries) {
      if (visitor_.Stopped()) return;
      switch (KindOf(entry)) {
        case os::EntryKind::kDirectory: Enter(entry.path); break;
        case os::EntryKind::kFile: visitor_.File(entry.path); break;
        case os::EntryKind::kLink:
        case os::EntryKind::kOther: break;
      }
    }
  }

 private:
  // What the walk treats the entry as: a link is what it leads to when links are followed
  // (a link that leads nowhere is a file that cannot be opened, and is reported as such).
  os::EntryKind KindOf(const os::DirectoryEntry& entry) const {
    if (entry.kind != os::EntryKind::kLink || !follow_links_) return entry.kind;
    Result<os::EntryKind> target = os::TargetKind(entry.path);
    return target ? *target : os::EntryKind::kFile;
  }

  bool follow_links_;
  TreeVisitor& visitor_;
  std::unordered_set<os::FileId, os::FileIdHash> directories_;
};

}  // namespace

void ListTree(const std::filesystem::path& dir, bool follow_links, TreeVisitor& visitor) {
  Listing(follow_links, visitor).Enter(dir);
}

}  // namespace vantrel
