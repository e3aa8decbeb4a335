// Files finished in groups: one flush of the log for the group's batches, no byte of a file
// changed before it, every file kept after its own writes, and a failed flush leaving every
// file of the group as it was.
#include "runs/file_finisher.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

using testing::ToBytes;

// A file in memory behind the update stream.
class MemoryStream : public os::UpdateStream {
 public:
  explicit MemoryStream(Bytes& content) : content_(content) {}
  Result<std::size_t> ReadAt(std::int64_t offset, std::span<std::uint8_t> out) override {
    const auto at = std::min(static_cast<std::size_t>(offset), content_.size());
    const std::size_t got = std::min(out.size(), content_.size() - at);
    std::copy_n(content_.begin() + static_cast<std::ptrdiff_t>(at), got, out.begin());
    return got;
  }
  Result<void> WriteAt(std::int64_t offset, std::span<const std::uint8_t> bytes) override {
    const auto at = static_cast<std::size_t>(offset);
    if (content_.size() < at + bytes.size()) content_.resize(at + bytes.size());
    std::copy(bytes.begin(), bytes.end(), content_.begin() + static_cast<std::ptrdiff_t>(at));
    return {};
  }
  Result<void> Truncate(std::int64_t length) override {
    content_.resize(static_cast<std::size_t>(length));
    return {};
  }
  Result<os::FileTime> ModificationTime() override { return os::FileTime{}; }
  Result<void> SetModificationTime(os::FileTime) override { return {}; }
  Result<os::FileState> State() override { return os::FileState{{}, static_cast<std::int64_t>(content_.size()), {}}; }
  Result<void> Sync() override { return {}; }
  Result<void> Close() override { return {}; }

 private:
  Bytes& content_;
};

// A log in memory that tells what happened to it, in order, and what the files held when it
// was flushed.
class RecordingLog : public WriteAheadLog {
 public:
  explicit RecordingLog(const std::vector<Bytes>& files) : files_(files) {}

  Result<std::uint64_t> BeginFile(const std::filesystem::path&, const os::FileState&) override {
    events.push_back("begin " + std::to_string(next_));
    return next_++;
  }
  Result<LogSpan> AppendAhead(std::uint64_t file, std::span<const PlannedWrite> writes) override {
    events.push_back("append " + std::to_string(file));
    batches_.emplace_back(writes.begin(), writes.end());
    end_ += 10;
    return LogSpan{static_cast<std::int64_t>(batches_.size() - 1), 10};
  }
  Result<void> FlushTo(std::int64_t) override {
    events.push_back("flush");
    files_at_flush = files_;
    if (flush_fails) return SystemError{5, "cannot write the journal"};
    return {};
  }
  Result<std::vector<PlannedWrite>> ReadBack(const LogSpan& span) override {
    return batches_[static_cast<std::size_t>(span.offset)];
  }
  void Kept(std::uint64_t file, const os::FileState&) override { events.push_back("kept " + std::to_string(file)); }
  void PutBack(std::uint64_t file) override { events.push_back("put back " + std::to_string(file)); }

  std::vector<std::string> events;
  std::vector<Bytes> files_at_flush;
  bool flush_fails = false;

 private:
  const std::vector<Bytes>& files_;
  std::uint64_t next_ = 0;
  std::int64_t end_ = 0;
  std::vector<std::vector<PlannedWrite>> batches_;
};

// Files "ab.ab" with both occurrences of "ab" taken for "XY", handed to a finisher; each
// file's done records how its close went.
struct Group {
  explicit Group(std::size_t count) : files(count, ToBytes("ab.ab")), log(files), closed(count) {}

  void HandAll(FileFinisher& finisher) {
    for (std::size_t i = 0; i < files.size(); ++i) {
      Bytes& content = files[i];
      Result<CarefulWriter> writer = CarefulWriter::Open(
          [&content]() -> Result<std::unique_ptr<os::UpdateStream>> {
            return std::unique_ptr<os::UpdateStream>(std::make_unique<MemoryStream>(content));
          },
          WriteOptions{false, &log, nullptr}, "file");
      ASSERT_TRUE(writer.ok());
      ASSERT_EQ(*writer->Replace(0, ToBytes("ab"), ToBytes("XY")), WriteOutcome::kWritten);
      ASSERT_EQ(*writer->Replace(3, ToBytes("ab"), ToBytes("XY")), WriteOutcome::kWritten);
      ASSERT_TRUE(writer->CanShareFlush());
      finisher.Hand(std::move(*writer), [this, i](Result<void> result) {
        closed[i] = result.ok() ? "kept" : result.error().message;
        order.push_back(i);
      });
    }
  }

  std::vector<Bytes> files;
  RecordingLog log;
  std::vector<std::string> closed;
  std::vector<std::size_t> order;
};

TEST(FileFinisher, AGroupSharesOneFlushBeforeAnyOfItsFilesChangesAndEachIsKeptAfterIt) {
  Group group(3);
  FileFinisher finisher(group.log);
  group.HandAll(finisher);
  EXPECT_TRUE(group.log.events.empty());  // nothing is logged or written until the group goes
  EXPECT_FALSE(finisher.empty());
  finisher.FinishAll();
  EXPECT_TRUE(finisher.empty());
  EXPECT_EQ(group.log.events, (std::vector<std::string>{"begin 0", "append 0", "begin 1", "append 1", "begin 2",
                                                        "append 2", "flush", "kept 0", "kept 1", "kept 2"}));
  EXPECT_EQ(group.log.files_at_flush, std::vector<Bytes>(3, ToBytes("ab.ab")));
  EXPECT_EQ(group.files, std::vector<Bytes>(3, ToBytes("XY.XY")));
  EXPECT_EQ(group.closed, std::vector<std::string>(3, "kept"));
  EXPECT_EQ(group.order, (std::vector<std::size_t>{0, 1, 2}));
}

TEST(FileFinisher, AFailedFlushLeavesEveryFileOfTheGroupAsItWasAndSaysSo) {
  Group group(2);
  group.log.flush_fails = true;
  FileFinisher finisher(group.log);
  group.HandAll(finisher);
  finisher.FinishAll();
  EXPECT_EQ(group.files, std::vector<Bytes>(2, ToBytes("ab.ab")));
  EXPECT_EQ(group.closed, std::vector<std::string>(2, "cannot write the journal (the file is as it was)"));
  EXPECT_EQ(group.log.events, (std::vector<std::string>{"begin 0", "append 0", "begin 1", "append 1", "flush",
                                                        "put back 0", "put back 1"}));
}

TEST(FileFinisher, AFullGroupGoesAtItsLastHandOverAndTheRestAtTheEnd) {
  Group group(FileFinisher::kMaxFiles + 1);
  {
    FileFinisher finisher(group.log);
    group.HandAll(finisher);
    EXPECT_EQ(group.order.size(), FileFinisher::kMaxFiles);
    EXPECT_EQ(std::count(group.log.events.begin(), group.log.events.end(), "flush"), 1);
  }  // the end of its owner finishes the last file
  EXPECT_EQ(group.order.size(), FileFinisher::kMaxFiles + 1);
  EXPECT_EQ(std::count(group.log.events.begin(), group.log.events.end(), "flush"), 2);
  EXPECT_EQ(group.files, std::vector<Bytes>(FileFinisher::kMaxFiles + 1, ToBytes("XY.XY")));
}

}  // namespace
}  // namespace vantrel
