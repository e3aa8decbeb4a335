// Finishes files in groups: a worker of a walk hands over each file whose last write is
// taken while all of its writes are still gathered in one small batch (a tree of small
// files). The group's batches are appended to the write-ahead log and go to the device in
// one flush of it; then each file gets its writes, its own flush and its close, and its
// "kept" record rides on the log's next flush (the next group's, or the run's end). So a
// tree costs one log flush per group of files instead of one per file, on top of the files'
// own. A file not yet recorded kept is put back by a recovery after a crash, which is one of
// the two states it may be left in; none of its bytes changes before its old bytes are on
// the device.
//
// The group is bounded: a file waits at most kMaxFiles hand-overs, kMaxBytes of batches or
// kWindow from the first hand-over of its group (checked at each hand-over and FinishIfDue),
// and whoever owns the finisher finishes it before it waits for anything that a file in it
// could hold up (its turn in walk order, more work) and at its end. One worker owns one
// finisher: a file's news are told on the thread that ran it, and in the order handed over.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <vector>

#include "platform/result.h"
#include "runs/careful_write.h"
#include "runs/write_ahead_log.h"

namespace vantrel {

class FileFinisher {
 public:
  static constexpr std::size_t kMaxFiles = 32;
  static constexpr std::size_t kMaxBytes = std::size_t{1} << 20;
  static constexpr std::chrono::milliseconds kWindow{50};

  // How the file's close went: nothing, it is kept; an error, it is as it was.
  using Done = std::function<void(Result<void> closed)>;

  explicit FileFinisher(WriteAheadLog& log) : log_(log) {}
  FileFinisher(const FileFinisher&) = delete;
  FileFinisher& operator=(const FileFinisher&) = delete;
  ~FileFinisher() { FinishAll(); }

  // Takes a writer whose last write is taken (writer.CanShareFlush()); done hears how it
  // ended, from FinishAll.
  void Hand(CarefulWriter writer, Done done);
  // Finishes the group once its first file waited kWindow.
  void FinishIfDue();
  // Finishes every file handed over, now. A done that calls it again finds nothing more.
  void FinishAll();
  bool empty() const { return waiting_.empty(); }

 private:
  struct Waiting {
    CarefulWriter writer;
    Done done;
  };

  WriteAheadLog& log_;
  std::vector<Waiting> waiting_;
  std::size_t bytes_ = 0;
  std::chrono::steady_clock::time_point first_;
};

}  // namespace vantrel
