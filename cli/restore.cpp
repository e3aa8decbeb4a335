#include "cli/restore.h"

#include <vector>

#include "cli/os/file_copy.h"
#include "cli/quoted.h"
#include "engine/os/path_text.h"
#include "runs/glob_set.h"
#include "runs/tree_listing.h"

namespace vantrel::cli {
namespace {

using vantrel::os::PathText;

// The backups of a tree, in walk order: files whose name ends with the suffix, after more.
class BackupsBelow : public TreeVisitor {
 public:
  BackupsBelow(std::filesystem::path suffix, Output& output) : suffix_(std::move(suffix)), output_(output) {}

  void File(const std::filesystem::path& path) override {
    const auto name = path.filename().native();
    const auto& suffix = suffix_.native();
    if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
      found.push_back(path);
    }
  }
  void Unlistable(const std::filesystem::path& dir, const SystemError& error) override {
    output_.Error(PathText(dir) + ": " + error.message);
    failed = true;
  }
  bool Stopped() override { return false; }

  std::vector<std::filesystem::path> found;
  bool failed = false;

 private:
  std::filesystem::path suffix_;
  Output& output_;
};

// The file a backup belongs to: its path without the suffix.
std::filesystem::path FileOf(const std::filesystem::path& backup, const std::filesystem::path& suffix) {
  auto native = backup.native();
  native.resize(native.size() - suffix.native().size());
  return native;
}

}  // namespace

int RestoreBackups(const RunDescription& run, bool walk, Output& output) {
  std::vector<std::filesystem::path> backups;
  bool failed = false;
  if (walk) {
    FileChoice choice;
    choice.globs = std::get<GlobSet>(GlobSet::Build(run.globs));
    choice.max_depth = run.max_depth;
    BackupsBelow below(run.restore_suffix, output);
    ListTree(run.path, run.follow_links, choice, below);
    backups = std::move(below.found);
    failed = below.failed;
  } else {
    std::filesystem::path backup = run.path;
    backup += run.restore_suffix;
    std::error_code error;
    if (!std::filesystem::is_regular_file(backup, error)) {
      output.Error(PathText(run.path) + ": no backup " + Quoted(PathText(backup)) + " to put back; the file is left alone");
      return 2;
    }
    backups.push_back(backup);
  }
  // Put back after the walk, so that no directory changes while it is listed.
  for (const std::filesystem::path& backup : backups) {
    const std::filesystem::path file = FileOf(backup, run.restore_suffix);
    if (Result<void> put = os::PutBack(backup, file); !put) {
      output.Error(PathText(file) + ": not put back from " + Quoted(PathText(backup)) + ": " + put.error().message);
      failed = true;
      continue;
    }
    output.Result(PathText(file));
  }
  if (failed) return 2;
  return backups.empty() ? 1 : 0;
}

}  // namespace vantrel::cli
