#include "runs/walk_directory.h"

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
  if (options.threads > 1 && mode != RunMode::kAsk && WalkInParallel(dir, mode, job, host, options)) return;
  SerialWalk walk(mode, job, host, options.follow_links);
  ListTree(dir, options.follow_links, options.choice, walk);
}

}  // namespace vantrel
