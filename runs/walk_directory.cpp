#include "runs/walk_directory.h"

#include <unordered_set>

#include "engine/os/directory.h"
#include "runs/replace_in_file.h"

namespace vantrel {
namespace {

class Walk {
 public:
  explicit Walk(const WalkVisitor& visitor) : visitor_(visitor) {}

  void Enter(const std::filesystem::path& dir) {
    Result<os::FileId> id = os::IdentifyDirectory(dir);
    if (id && !visited_.insert(*id).second) return;  // reached again through a link
    Result<std::vector<os::DirectoryEntry>> entries = os::ListDirectory(dir);
    if (!entries) {
      if (visitor_.on_unlistable) visitor_.on_unlistable(dir, entries.error());
      return;
    }
    for (const os::DirectoryEntry& entry : *entries) {
      if (entry.is_directory) {
        Enter(entry.path);
      } else if (visitor_.on_file && (!entry.id || visited_.insert(*entry.id).second)) {
        visitor_.on_file(entry.path);
      }
    }
  }

 private:
  const WalkVisitor& visitor_;
  std::unordered_set<os::FileId, os::FileIdHash> visited_;  // directories and files met so far
};

}  // namespace

void WalkDirectory(const std::filesystem::path& dir, const WalkVisitor& visitor) { Walk(visitor).Enter(dir); }

void WalkDirectory(const std::filesystem::path& dir, RunHost& host) {
  WalkVisitor visitor;
  visitor.on_file = [&host](const std::filesystem::path& file) { ReplaceInFile(file, true, host); };
  WalkDirectory(dir, visitor);
}

}  // namespace vantrel
