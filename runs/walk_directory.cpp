#include "runs/walk_directory.h"

#include <optional>

#include "platform/tree_root.h"
#include "runs/parallel_walk.h"
#include "runs/tree_listing.h"

namespace vantrel {
namespace {

// One thread: each file is run on as the listing meets it.
class SerialWalk : public TreeVisitor {
 public:
  SerialWalk(RunMode mode, const RunJob& job, RunHost& host, bool follow_links)
      : mode_(mode), job_(job), host_(host), files_(follow_links) {}

  void File(const std::filesystem::path& path) override {
    RunOnFile(mode_, path, /*quiet=*/true, job_, host_, {&files_, &buffer_});
  }
  void Unlistable(const std::filesystem::path& dir, const SystemError& error) override { host_.Unlistable(dir, error); }
  bool Stopped() override { return host_.Stopped(); }

 private:
  RunMode mode_;
  const RunJob& job_;
  RunHost& host_;
  FilesMet files_;
  ReadBuffer buffer_;
};

}  // namespace

void WalkDirectory(const std::filesystem::path& dir, RunMode mode, const RunJob& job, RunHost& host,
                   WalkOptions options) {
  // Without -L every folder and file is opened below the root with no link followed, so what
  // is read and written is what was listed, whatever happens to the names meanwhile.
  std::optional<os::TreeRoot> root;
  RunJob walk_job = job;
  if (!options.follow_links) {
    Result<os::TreeRoot> opened = os::TreeRoot::Open(dir);
    if (!opened) {
      host.Unlistable(dir, opened.error());
      return;
    }
    root.emplace(std::move(*opened));
    walk_job.tree = &*root;
  }
  if (options.threads > 1 && mode != RunMode::kAsk && WalkInParallel(dir, mode, walk_job, host, options)) return;
  SerialWalk walk(mode, walk_job, host, options.follow_links);
  ListTree(dir, options.follow_links, options.choice, walk, walk_job.tree);
}

}  // namespace vantrel
