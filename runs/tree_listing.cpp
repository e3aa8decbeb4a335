#include "runs/tree_listing.h"

#include <optional>
#include <string>
#include <unordered_set>

#include "platform/directory.h"
#include "platform/file_id.h"
#include "platform/path_text.h"

namespace vantrel {
namespace {

class Listing {
 public:
  Listing(bool follow_links, const FileChoice& choice, TreeVisitor& visitor, const os::TreeRoot* root)
      : follow_links_(follow_links), choice_(choice), choosing_(!choice.TakesAll()), visitor_(visitor), root_(root) {}

  // relative: the directory's path below the root, '/' between components ("" for the root).
  void Enter(const std::filesystem::path& dir, const std::string& relative) {
    // Only followed links can lead back into a directory already being walked.
    if (follow_links_) {
      Result<os::FileId> id = os::IdentifyPath(dir);
      if (id && !directories_.insert(*id).second) return;
    }
    Result<std::vector<os::DirectoryEntry>> entries = os::ListDirectory(dir, root_);
    if (!entries) {
      visitor_.Unlistable(dir, entries.error());
      return;
    }
    std::optional<Result<os::FileId>> folder;  // asked only when a name is one passed over
    for (const os::DirectoryEntry& entry : *entries) {
      if (visitor_.Stopped()) return;
      if (PassesOver(dir, entry.path, folder)) continue;
      const os::EntryKind kind = KindOf(entry);
      if (kind != os::EntryKind::kDirectory && kind != os::EntryKind::kFile) continue;
      // The path below the root is made only when globs or a depth limit need it.
      const std::string below = choosing_ ? Below(relative, entry.path) : std::string();
      if (kind == os::EntryKind::kDirectory) {
        if (!choosing_ || choice_.EntersDirectory(below)) Enter(entry.path, below);
      } else if (!choosing_ || choice_.TakesFile(below)) {
        visitor_.File(entry.path);
      }
    }
  }

 private:
  // Whether the entry is one the choice passes over: its name first, its folder only then.
  bool PassesOver(const std::filesystem::path& dir, const std::filesystem::path& path,
                  std::optional<Result<os::FileId>>& folder) const {
    for (const PassedOver& over : choice_.passed_over) {
      if (!EndsWithName(path.native(), over.name)) continue;
      if (!folder) folder = os::IdentifyPath(dir);
      if (*folder && **folder == over.folder) return true;
    }
    return false;
  }

  static bool EndsWithName(const std::filesystem::path::string_type& path,
                           const std::filesystem::path::string_type& name) {
    if (name.empty() || path.size() <= name.size()) return false;
    if (path.compare(path.size() - name.size(), name.size(), name) != 0) return false;
    const auto before = path[path.size() - name.size() - 1];
    return before == '/' || before == std::filesystem::path::preferred_separator;
  }

  static std::string Below(const std::string& relative, const std::filesystem::path& path) {
    const std::string name = os::PathText(path.filename());
    return relative.empty() ? name : relative + "/" + name;
  }

  // What the walk treats the entry as: a link is what it leads to when links are followed
  // (a link that leads nowhere is a file that cannot be opened, and is reported as such).
  os::EntryKind KindOf(const os::DirectoryEntry& entry) const {
    if (entry.kind != os::EntryKind::kLink || !follow_links_) return entry.kind;
    Result<os::EntryKind> target = os::TargetKind(entry.path);
    return target ? *target : os::EntryKind::kFile;
  }

  bool follow_links_;
  const FileChoice& choice_;
  bool choosing_;
  TreeVisitor& visitor_;
  const os::TreeRoot* root_;
  std::unordered_set<os::FileId, os::FileIdHash> directories_;
};

}  // namespace

void ListTree(const std::filesystem::path& dir, bool follow_links, const FileChoice& choice, TreeVisitor& visitor,
              const os::TreeRoot* root) {
  if (!choice.EntersDirectory("")) return;  // --max-depth 0: only the root itself
  Listing(follow_links, choice, visitor, root).Enter(dir, "");
}

}  // namespace vantrel
