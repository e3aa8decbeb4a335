#include "runs/parallel_walk.h"

#include <atomic>
#include <chrono>
#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "runs/file_finisher.h"
#include "runs/tree_listing.h"

namespace vantrel {
namespace {

// Files listed but not yet handed on: bounds the memory the listing runs ahead with.
constexpr std::uint64_t kMaxInFlight = 1024;
// Bytes of news a worker gathers on its own before it shares them (or, before its file's turn,
// waits for that turn).
constexpr std::size_t kMaxPendingBytes = std::size_t{256} << 10;
// Bytes of news all files may keep, not yet handed on, before a worker whose file's turn has
// not come waits for it: what waits for its turn is bounded in bytes, not only in count.
constexpr std::size_t kMaxKeptBytes = std::size_t{8} << 20;
// Bytes of news the file whose turn it is may have waiting for the hand-on: beyond them its
// worker waits until the hand-on took them, so a slow reader of the output makes it wait
// instead of the news growing.
constexpr std::size_t kMaxTurnBytes = std::size_t{1} << 20;
// Files the listing numbers together, under one lock, while the workers have work in hand.
constexpr std::size_t kListedTogether = 32;
// Files a worker takes at once, at most, when many are waiting.
constexpr std::size_t kTakenTogether = 8;

// One thing the host hears of, kept until the file's turn.
struct News {
  enum class Kind { kStarted, kReached, kListed, kWritten, kDone, kUnlistable };
  Kind kind;
  Match match;  // for kListed and kWritten; kReached keeps its offset here
};

// What one item of news holds in memory.
std::size_t BytesOf(const News& news) {
  return sizeof(News) + news.match.found.size() + news.match.before.size() + news.match.after.size();
}

// One item of the walk, in walk order: a file to run on, or a directory that could not be listed.
struct Slot {
  std::filesystem::path path;
  std::vector<News> news;     // not yet handed on
  std::size_t news_bytes = 0;  // what news holds (under the mutex)
  std::vector<News> pending;  // the worker's own, not yet shared with the hand-on
  std::size_t pending_bytes = 0;
  FileOutcome outcome;     // with kDone
  SystemError error;       // with kUnlistable
  // The file has been opened (and met, when it had to be), or will not be: what a file with
  // another name waits for in every file before it.
  std::atomic<bool> opened = false;
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
  // too much. own: the worker's finisher, whose files it finishes before it waits.
  void Keep(std::uint64_t seq, Slot& slot, News news, FileFinisher* own);
  void WaitForTurn(std::uint64_t seq, std::unique_lock<std::mutex>& lock);
  void WaitForHandOn(Slot& slot, std::unique_lock<std::mutex>& lock);
  // The file numbered seq is open, and is not to be met (or could not be opened).
  void Opened(Slot& slot);
  // Meets the open file numbered seq once every file before it is open: false when it was
  // met before.
  bool MeetInOrder(std::uint64_t seq, Slot& slot, const os::FileId& id);
  // An interrupt stops the walk at once, from any thread: no file is started after it.
  bool stopped() const { return stopped_.load(std::memory_order_relaxed) || host_.Interrupted(); }
  const FilesMet& met() const { return met_; }
  RunMode mode() const { return mode_; }
  const RunJob& job() const { return job_; }
  RunHost& host() { return host_; }

 private:
  // Numbers the items listed so far, in walk order.
  void AddListed();
  void Work();
  void HandOn();
  void Replay(const Slot& slot, const std::vector<News>& news);
  bool OpenedBefore(std::uint64_t seq);

  RunMode mode_;
  RunJob job_;  // with each thread's share of the memory for file data
  RunHost& host_;
  WalkOptions options_;
  FilesMet met_;  // under the mutex, in walk order (see MeetInOrder)

  std::mutex mutex_;
  std::condition_variable work_ready_;   // a file to run on, or the listing's end
  std::condition_variable listing_ended_;  // the hand-on looks for news on its own (see HandOn)
  std::condition_variable turn_moved_;   // the turn went on to the next file
  std::condition_variable open_moved_;   // a file was opened
  std::condition_variable news_taken_;   // the hand-on took the news of the file whose turn it is
  int news_waiters_ = 0;                 // workers that wait for it (under the mutex)
  // Bytes of news kept by every file, not yet handed on; read without the mutex.
  std::atomic<std::size_t> kept_bytes_ = 0;
  std::deque<std::unique_ptr<Slot>> slots_;  // from the file whose turn it is on
  // The number of slots_.front(); changed under the mutex, read without it by a worker that
  // wants to know whether to share its news now.
  std::atomic<std::uint64_t> turn_ = 0;
  std::deque<std::pair<std::uint64_t, Slot*>> work_;
  std::atomic<std::size_t> waiting_work_ = 0;  // work_.size(), for the listing to read unlocked
  bool listed_ = false;
  std::atomic<bool> stopped_ = false;
  // Who waits for the turn to move: the listing, for room in slots_, and workers, for their
  // file's turn. The hand-on wakes them only then, not at every file.
  bool listing_waits_ = false;
  int turn_waiters_ = 0;
  // Files that wait for every file before them to be opened; a file's open wakes them only
  // then. Changed under the mutex, read without it by the file that was opened.
  std::atomic<int> open_waiters_ = 0;
  std::uint64_t opened_until_ = 0;  // every file before this number has been opened

  // The listing thread's own: items listed, not yet numbered (a file, or a directory that
  // could not be listed with why).
  std::vector<std::unique_ptr<Slot>> listed_batch_;
};

// A file's run as the walk sees it: its news kept for its turn.
class SlotHost : public RunHost {
 public:
  SlotHost(ParallelWalk& walk, std::uint64_t seq, Slot& slot, FileFinisher* finisher)
      : walk_(walk), seq_(seq), slot_(slot), finisher_(finisher) {}
  bool Prompt(std::string_view, PromptKind) override { return false; }  // batch runs ask nothing
  Result<void> BeforeWrite(const std::filesystem::path& path, const os::TreeRoot* tree) override {
    return walk_.host().BeforeWrite(path, tree);
  }
  void FileStarted(const std::filesystem::path&) override { walk_.Keep(seq_, slot_, {News::Kind::kStarted, {}}, finisher_); }
  void Reached(std::int64_t offset) override { walk_.Keep(seq_, slot_, {News::Kind::kReached, Match{offset, 0, {}, {}, {}}}, finisher_); }
  void Listed(const std::filesystem::path&, const Match& match) override {
    walk_.Keep(seq_, slot_, {News::Kind::kListed, match}, finisher_);
  }
  void Written(const std::filesystem::path&, const Match& match) override {
    walk_.Keep(seq_, slot_, {News::Kind::kWritten, match}, finisher_);
  }
  void FileDone(const std::filesystem::path&, const FileOutcome& outcome) override {
    walk_.Opened(slot_);  // a file that could not be opened
    slot_.outcome = outcome;  // read by the hand-on only after the kDone below
    walk_.Keep(seq_, slot_, {News::Kind::kDone, {}}, finisher_);
  }
  bool Stopped() override { return walk_.stopped(); }
  bool Interrupted() override { return walk_.host().Interrupted(); }

 private:
  ParallelWalk& walk_;
  std::uint64_t seq_;
  Slot& slot_;
  FileFinisher* finisher_;
};

// The files met, in walk order: a file that may have another name is met only once every
// file before it has been opened, so the first of its names in walk order is the one run on.
// It waits for their opens, not for their runs.
class FilesMetInOrder : public FilesMet {
 public:
  FilesMetInOrder(ParallelWalk& walk, std::uint64_t seq, Slot& slot) : walk_(walk), seq_(seq), slot_(slot) {}
  bool Meet(const FileSource& file) override {
    const std::optional<os::FileId> id = walk_.met().IdentityToCheck(file);
    if (!id) {
      walk_.Opened(slot_);
      return true;
    }
    return walk_.MeetInOrder(seq_, slot_, *id);
  }

 private:
  ParallelWalk& walk_;
  std::uint64_t seq_;
  Slot& slot_;
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
      ListTree(dir, options_.follow_links, options_.choice, *this, job_.tree);
      AddListed();
      std::lock_guard lock(mutex_);
      listed_ = true;
      work_ready_.notify_all();
      listing_ended_.notify_all();
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

void ParallelWalk::AddListed() {
  if (listed_batch_.empty()) return;
  std::unique_lock lock(mutex_);
  for (std::unique_ptr<Slot>& listed : listed_batch_) {
    if (slots_.size() >= kMaxInFlight && !stopped()) {
      // Waits until half the room is free, so that it is woken once per many files.
      listing_waits_ = true;
      turn_moved_.wait(lock, [&] { return slots_.size() <= kMaxInFlight / 2 || stopped(); });
      listing_waits_ = false;
    }
    const std::uint64_t seq = turn_ + slots_.size();
    slots_.push_back(std::move(listed));
    Slot& slot = *slots_.back();
    if (slot.news.empty()) work_.emplace_back(seq, &slot);  // else a directory that could not be listed
  }
  listed_batch_.clear();
  waiting_work_ = work_.size();
  work_ready_.notify_all();
}

void ParallelWalk::File(const std::filesystem::path& path) {
  listed_batch_.push_back(std::make_unique<Slot>());
  listed_batch_.back()->path = path;
  // Numbered together while the workers have work in hand; at once when they wait for it.
  if (listed_batch_.size() >= kListedTogether || waiting_work_ == 0) AddListed();
}

void ParallelWalk::Unlistable(const std::filesystem::path& dir, const SystemError& error) {
  listed_batch_.push_back(std::make_unique<Slot>());
  Slot& slot = *listed_batch_.back();
  slot.path = dir;
  slot.error = error;
  slot.news.push_back({News::Kind::kUnlistable, {}});
  slot.opened = true;
  AddListed();
}

bool ParallelWalk::Stopped() { return stopped(); }

void ParallelWalk::Work() {
  ReadBuffer buffer;
  std::vector<std::pair<std::uint64_t, Slot*>> taken;
  // The hosts of the files that may wait in the finisher, alive until it is empty; declared
  // first, so that they outlive it.
  std::deque<SlotHost> hosts;
  std::optional<FileFinisher> finisher;
  if (job_.journal != nullptr && mode_ == RunMode::kReplaceAll) finisher.emplace(*job_.journal);
  FileFinisher* own = finisher ? &*finisher : nullptr;
  for (;;) {
    {
      std::unique_lock lock(mutex_);
      while (work_.empty() && !listed_) {
        if (own != nullptr && !own->empty()) {
          // Its files are finished before it waits for more: the walk's turn may be theirs,
          // and a listing that waits for the turn to move sends no more work.
          lock.unlock();
          own->FinishAll();
          lock.lock();
          continue;
        }
        work_ready_.wait(lock);
      }
      if (work_.empty()) break;
      // A share of what waits, so that the other workers find work too. When links are
      // followed every file is met in walk order, after the opens of the files before it:
      // one at a time, so that none waits for the runs of the others in a worker's share.
      const std::size_t most = options_.follow_links ? 1 : kTakenTogether;
      const std::size_t share = std::clamp<std::size_t>(work_.size() / options_.threads, 1, most);
      taken.assign(work_.begin(), work_.begin() + static_cast<std::ptrdiff_t>(share));
      work_.erase(work_.begin(), work_.begin() + static_cast<std::ptrdiff_t>(share));
      waiting_work_ = work_.size();
    }
    for (const auto& [seq, slot] : taken) {
      if (own == nullptr || own->empty()) hosts.clear();
      SlotHost& host = hosts.emplace_back(*this, seq, *slot, own);
      if (stopped()) {
        host.FileDone(slot->path, FileOutcome{});
        continue;
      }
      FilesMetInOrder met(*this, seq, *slot);
      RunOnFile(mode_, slot->path, /*quiet=*/true, job_, host, {&met, &buffer, own});
      if (own != nullptr) own->FinishIfDue();
    }
  }
  if (own != nullptr) own->FinishAll();
}

void ParallelWalk::Keep(std::uint64_t seq, Slot& slot, News news, FileFinisher* own) {
  const bool last = news.kind == News::Kind::kDone;
  // Before its turn a file keeps its news to itself and shares them at its end; a file's
  // start is shared with what follows it (its first offset reached, an occurrence or its end).
  // Both spare the lock and the hand-on's wake-ups on each file.
  const bool now = seq == turn_ && news.kind != News::Kind::kStarted;
  const std::size_t bytes = BytesOf(news);
  slot.pending.push_back(std::move(news));
  slot.pending_bytes += bytes;
  const std::size_t kept = kept_bytes_.fetch_add(bytes) + bytes;
  if (!last && !now && slot.pending_bytes < kMaxPendingBytes && kept <= kMaxKeptBytes) return;
  // The turn this may wait for can be that of a file waiting in the worker's own finisher.
  if (!last && seq != turn_ && own != nullptr) own->FinishAll();
  std::unique_lock lock(mutex_);
  if (!last && seq != turn_) WaitForTurn(seq, lock);
  slot.news.insert(slot.news.end(), std::make_move_iterator(slot.pending.begin()),
                   std::make_move_iterator(slot.pending.end()));
  slot.news_bytes += slot.pending_bytes;
  slot.pending.clear();
  slot.pending_bytes = 0;
  if (!last && slot.news_bytes > kMaxTurnBytes) WaitForHandOn(slot, lock);
}

void ParallelWalk::WaitForHandOn(Slot& slot, std::unique_lock<std::mutex>& lock) {
  ++news_waiters_;
  news_taken_.wait(lock, [&] { return slot.news_bytes <= kMaxTurnBytes / 2 || stopped(); });
  --news_waiters_;
}

void ParallelWalk::WaitForTurn(std::uint64_t seq, std::unique_lock<std::mutex>& lock) {
  ++turn_waiters_;
  turn_moved_.wait(lock, [&] { return seq == turn_; });
  --turn_waiters_;
}

void ParallelWalk::Opened(Slot& slot) {
  if (slot.opened.exchange(true)) return;
  // With the store above, seen by a waiter that counted itself in and then found the file
  // not yet open (both sequentially consistent): it is asleep, or about to be, under the lock.
  if (open_waiters_ == 0) return;
  std::lock_guard lock(mutex_);
  open_moved_.notify_all();
}

bool ParallelWalk::MeetInOrder(std::uint64_t seq, Slot& slot, const os::FileId& id) {
  std::unique_lock lock(mutex_);
  ++open_waiters_;
  open_moved_.wait(lock, [&] { return OpenedBefore(seq); });
  --open_waiters_;
  const bool first = met_.Record(id);
  slot.opened = true;
  if (open_waiters_ > 0) open_moved_.notify_all();
  return first;
}

bool ParallelWalk::OpenedBefore(std::uint64_t seq) {
  // Files handed on were opened; the others are still in slots_, numbered from turn_.
  opened_until_ = std::max<std::uint64_t>(opened_until_, turn_);
  while (opened_until_ < seq && slots_[static_cast<std::size_t>(opened_until_ - turn_)]->opened) ++opened_until_;
  return opened_until_ >= seq;
}

void ParallelWalk::HandOn() {
  // The hand-on looks for news every millisecond rather than being woken for each: the workers
  // finish files faster than one wake-up each costs (a wake-up per file doubled the system
  // time of a walk over small files), and a millisecond is nothing to a person reading along.
  constexpr auto kPause = std::chrono::milliseconds(1);
  std::unique_lock lock(mutex_);
  for (;;) {
    while (slots_.empty() && !listed_) listing_ended_.wait_for(lock, kPause);
    if (slots_.empty()) return;
    Slot& slot = *slots_.front();
    for (bool done = false; !done;) {
      while (slot.news.empty()) listing_ended_.wait_for(lock, kPause);
      std::vector<News> news;
      news.swap(slot.news);
      kept_bytes_ -= slot.news_bytes;
      slot.news_bytes = 0;
      if (news_waiters_ > 0) news_taken_.notify_all();
      const News::Kind last = news.back().kind;
      done = last == News::Kind::kDone || last == News::Kind::kUnlistable;
      lock.unlock();
      Replay(slot, news);
      if (host_.Stopped()) stopped_ = true;
      lock.lock();
    }
    slots_.pop_front();
    ++turn_;
    if (turn_waiters_ > 0 || (listing_waits_ && (slots_.size() <= kMaxInFlight / 2 || stopped()))) {
      turn_moved_.notify_all();
    }
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
