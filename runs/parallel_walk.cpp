#include "runs/parallel_walk.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "runs/tree_listing.h"

namespace vantrel {
namespace {

// Files listed but not yet handed on: bounds the memory the listing runs ahead with.
constexpr std::uint64_t kMaxInFlight = 1024;
// News a file may keep before its worker waits for the file's turn.
constexpr std::size_t kMaxKeptNews = 16384;

// One thing the host hears of, kept until the file's turn.
struct News {
  enum class Kind { kStarted, kReached, kListed, kWritten, kDone, kUnlistable };
  Kind kind;
  Match match;  // for kListed and kWritten; kReached keeps its offset here
};

// One item of the walk, in walk order: a file to run on, or a directory that could not be listed.
struct Slot {
  std::filesystem::path path;
  std::vector<News> news;  // not yet handed on
  FileOutcome outcome;     // with kDone
  SystemError error;       // with kUnlistable
};

class ParallelWalk : public TreeVisitor {
 public:
  ParallelWalk(RunMode mode, const RunJob& job, RunHost& host, const WalkOptions& options)
      : mode_(mode), job_(job), host_(host), options_(options), met_(options.follow_links) {
    job_.search = ShareAmong(job.search, options.threads);
  }

  bool Run(const std::filesystem::path& dir);

  // The listing thread's part.
  void File(const std::filesystem::path& path) override;
  void Unlistable(const std::filesystem::path& dir, const SystemError& error) override;
  bool Stopped() override;

  // A worker's part: keeps news of the file numbered seq, waiting for its turn when it keeps
  // too much; and waits for the file's turn.
  void Keep(std::uint64_t seq, Slot& slot, News news);
  void WaitForTurn(std::uint64_t seq);
  bool stopped() {
    std::lock_guard lock(mutex_);
    return stopped_;
  }
  FilesMet& met() { return met_; }
  RunMode mode() const { return mode_; }
  const RunJob& job() const { return job_; }
  RunHost& host() { return host_; }

 private:
  // Numbers the next item of the walk; a directory that could not be listed comes with why.
  void Add(std::filesystem::path path, std::optional<SystemError> unlistable);
  void Work();
  void HandOn();
  void Replay(const Slot& slot, const std::vector<News>& news);

  RunMode mode_;
  RunJob job_;  // with each thread's share of the memory for file data
  RunHost& host_;
  WalkOptions options_;
  FilesMet met_;  // used by one file at a time: the one whose turn it is

  std::mutex mutex_;
  std::condition_variable work_ready_;   // a file to run on, or the listing's end
  std::condition_variable news_ready_;   // news for the hand-on, or a new slot
  std::condition_variable turn_moved_;   // the turn went on to the next file
  std::deque<std::unique_ptr<Slot>> slots_;  // from the file whose turn it is on
  std::uint64_t turn_ = 0;                   // the number of slots_.front()
  std::deque<std::pair<std::uint64_t, Slot*>> work_;
  bool listed_ = false;
  bool stopped_ = false;
};

// A file's run as the walk sees it: its news kept for its turn.
class SlotHost : public RunHost {
 public:
  SlotHost(ParallelWalk& walk, std::uint64_t seq, Slot& slot) : walk_(walk), seq_(seq), slot_(slot) {}
  bool Prompt(std::string_view, PromptKind) override { return false; }  // batch runs ask nothing
  Result<void> BeforeWrite(const std::filesystem::path& path) override { return walk_.host().BeforeWrite(path); }
  void FileStarted(const std::filesystem::path&) override { walk_.Keep(seq_, slot_, {News::Kind::kStarted, {}}); }
  void Reached(std::int64_t offset) override { walk_.Keep(seq_, slot_, {News::Kind::kReached, Match{offset, 0, {}, {}, {}}}); }
  void Listed(const std::filesystem::path&, const Match& match) override {
    walk_.Keep(seq_, slot_, {News::Kind::kListed, match});
  }
  void Written(const std::filesystem::path&, const Match& match) override {
    walk_.Keep(seq_, slot_, {News::Kind::kWritten, match});
  }
  void FileDone(const std::filesystem::path&, const FileOutcome& outcome) override {
    slot_.outcome = outcome;  // read by the hand-on only after the kDone below
    walk_.Keep(seq_, slot_, {News::Kind::kDone, {}});
  }
  bool Stopped() override { return walk_.stopped(); }

 private:
  ParallelWalk& walk_;
  std::uint64_t seq_;
  Slot& slot_;
};

// The files met, asked in walk order: a file that may have another name waits for its turn.
class FilesMetInTurn : public FilesMet {
 public:
  FilesMetInTurn(ParallelWalk& walk, std::uint64_t seq) : walk_(walk), seq_(seq) {}
  bool Meet(const FileSource& file) override {
    const std::optional<os::FileId> id = walk_.met().IdentityToCheck(file);
    if (!id) return true;
    walk_.WaitForTurn(seq_);
    return walk_.met().Record(*id);
  }

 private:
  ParallelWalk& walk_;
  std::uint64_t seq_;
};

bool ParallelWalk::Run(const std::filesystem::path& dir) {
  std::vector<std::thread> workers;
  try {
    for (unsigned i = 0; i < options_.threads; ++i) workers.emplace_back([this] { Work(); });
  } catch (const std::system_error&) {
    // Fewer workers than asked for: the walk goes on with those that started.
  }
  if (workers.empty()) return false;
  std::thread listing;
  try {
    listing = std::thread([this, dir] {
      ListTree(dir, options_.follow_links, options_.choice, *this);
      std::lock_guard lock(mutex_);
      listed_ = true;
      work_ready_.notify_all();
      news_ready_.notify_all();
    });
  } catch (const std::system_error&) {
    {
      std::lock_guard lock(mutex_);
      listed_ = true;  // nothing was listed: the workers end at once
      work_ready_.notify_all();
    }
    for (std::thread& worker : workers) worker.join();
    return false;
  }
  HandOn();
  listing.join();
  for (std::thread& worker : workers) worker.join();
  return true;
}

void ParallelWalk::Add(std::filesystem::path path, std::optional<SystemError> unlistable) {
  std::unique_lock lock(mutex_);
  turn_moved_.wait(lock, [&] { return slots_.size() < kMaxInFlight || stopped_; });
  const std::uint64_t seq = turn_ + slots_.size();
  slots_.push_back(std::make_unique<Slot>());
  Slot& slot = *slots_.back();
  slot.path = std::move(path);
  if (unlistable) {
    slot.error = *unlistable;
    slot.news.push_back({News::Kind::kUnlistable, {}});
  } else {
    work_.emplace_back(seq, &slot);
    work_ready_.notify_one();
  }
  news_ready_.notify_all();
}

void ParallelWalk::File(const std::filesystem::path& path) { Add(path, std::nullopt); }

void ParallelWalk::Unlistable(const std::filesystem::path& dir, const SystemError& error) { Add(dir, error); }

bool ParallelWalk::Stopped() { return stopped(); }

void ParallelWalk::Work() {
  ReadBuffer buffer;
  for (;;) {
    std::uint64_t seq = 0;
    Slot* slot = nullptr;
    {
      std::unique_lock lock(mutex_);
      work_ready_.wait(lock, [&] { return !work_.empty() || listed_; });
      if (work_.empty()) return;
      std::tie(seq, slot) = work_.front();
      work_.pop_front();
    }
    SlotHost host(*this, seq, *slot);
    if (stopped()) {
      host.FileDone(slot->path, FileOutcome{});
      continue;
    }
    FilesMetInTurn met(*this, seq);
    RunOnFile(mode_, slot->path, /*quiet=*/true, job_, host, {&met, &buffer});
  }
}

void ParallelWalk::Keep(std::uint64_t seq, Slot& slot, News news) {
  std::unique_lock lock(mutex_);
  if (seq != turn_ && slot.news.size() >= kMaxKeptNews) {
    turn_moved_.wait(lock, [&] { return seq == turn_; });
  }
  slot.news.push_back(news);
  if (seq == turn_) news_ready_.notify_all();
}

void ParallelWalk::WaitForTurn(std::uint64_t seq) {
  std::unique_lock lock(mutex_);
  turn_moved_.wait(lock, [&] { return seq == turn_; });
}

void ParallelWalk::HandOn() {
  std::unique_lock lock(mutex_);
  for (;;) {
    news_ready_.wait(lock, [&] { return !slots_.empty() || listed_; });
    if (slots_.empty()) return;
    Slot& slot = *slots_.front();
    for (bool done = false; !done;) {
      news_ready_.wait(lock, [&] { return !slot.news.empty(); });
      std::vector<News> news;
      news.swap(slot.news);
      const News::Kind last = news.back().kind;
      done = last == News::Kind::kDone || last == News::Kind::kUnlistable;
      lock.unlock();
      Replay(slot, news);
      const bool stop = host_.Stopped();
      lock.lock();
      if (stop) stopped_ = true;
    }
    slots_.pop_front();
    ++turn_;
    turn_moved_.notify_all();
  }
}

void ParallelWalk::Replay(const Slot& slot, const std::vector<News>& news) {
  for (const News& item : news) {
    switch (item.kind) {
      case News::Kind::kStarted: host_.FileStarted(slot.path); break;
      case News::Kind::kReached: host_.Reached(item.match.offset); break;
      case News::Kind::kListed: host_.Listed(slot.path, item.match); break;
      case News::Kind::kWritten: host_.Written(slot.path, item.match); break;
      case News::Kind::kDone: host_.FileDone(slot.path, slot.outcome); break;
      case News::Kind::kUnlistable: host_.Unlistable(slot.path, slot.error); break;
    }
  }
}

}  // namespace

bool WalkInParallel(const std::filesystem::path& dir, RunMode mode, const RunJob& job, RunHost& host,
                    const WalkOptions& options) {
  return ParallelWalk(mode, job, host, options).Run(dir);
}

}  // namespace vantrel
