#include "cli/restore.h"

#include <vector>

#include "cli/help_text.h"
#include "cli/put_back.h"
#include "cli/quoted.h"
#include "platform/path_text.h"
#include "glob/glob_set.h"
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

enum class Outcome { kPutBack, kNotOurs, kFailed };

// One backup: taken only when a journal records it as made for its file and it is whole.
Outcome RestoreOne(const std::filesystem::path& backup, const std::filesystem::path& file, Output& output,
                   const RestoreSetting& setting) {
  const std::string name = PathText(backup);
  const journal::BackupMade* made = setting.records.Find(backup);
  if (made == nullptr || made->path != RecordedPath(file)) {
    output.Error(name + ": left alone: no journal of " + std::string(ProgramName()) + " records it as a backup of " +
                 Quoted(PathText(file)));
    return Outcome::kNotOurs;
  }
  Result<os::CopySource> source = os::CopySource::Open(backup, /*follow_links=*/false);
  if (!source) {
    output.Error(name + ": left alone: " +
                 (os::IsLinkRefused(source.error()) ? "it is a link, and no backup is read through one" : source.error().message));
    return Outcome::kFailed;
  }
  if (Result<void> whole = CheckWhole(*source, *made, setting.give_up); !whole) {
    output.Error(name + ": left alone: " + whole.error().message);
    return Outcome::kFailed;
  }
  if (Result<void> put = PutBackFromCopy(*source, *made, file, setting.log, setting.give_up); !put) {
    output.Error(PathText(file) + ": not put back from " + Quoted(name) + ": " +
                 (os::IsLinkRefused(put.error()) ? "it is a link, and nothing is written through one" : put.error().message));
    return Outcome::kFailed;
  }
  if (Result<void> removed = os::RemoveCopy(backup); !removed) {
    output.Error(name + ": put back, but not removed: " + removed.error().message);
  }
  output.Result(PathText(file));
  return Outcome::kPutBack;
}

}  // namespace

int RestoreBackups(const RunDescription& run, bool walk, Output& output, const RestoreSetting& setting) {
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
    if (std::filesystem::symlink_status(backup, error).type() == std::filesystem::file_type::not_found) {
      output.Error(PathText(run.path) + ": no backup " + Quoted(PathText(backup)) + " to put back; the file is left alone");
      return 2;
    }
    backups.push_back(backup);
  }
  // Put back after the walk, so that no directory changes while it is listed.
  bool put_back = false;
  for (const std::filesystem::path& backup : backups) {
    if (setting.give_up && setting.give_up()) break;
    const Outcome outcome = RestoreOne(backup, FileOf(backup, run.restore_suffix), output, setting);
    put_back = put_back || outcome == Outcome::kPutBack;
    // A user's own file with the suffix is not this program's to take; named alone, though,
    // it was the one thing asked for.
    failed = failed || outcome == Outcome::kFailed || (!walk && outcome == Outcome::kNotOurs);
  }
  if (failed) return 2;
  return put_back ? 0 : 1;
}

}  // namespace vantrel::cli
