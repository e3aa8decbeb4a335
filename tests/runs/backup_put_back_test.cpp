// A backup put back over its file: in place (the file keeps its other names), only the bytes
// that differ written and journalled, and an interrupt part-way leaves the file as it was.
#include "runs/backup_put_back.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/crc32.h"
#include "runs/journal.h"
#include "tests/support/random_bytes.h"
#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

class PutBackTest : public ::testing::Test {
 protected:
  // The original (the backup) of 3 MiB and the patched file: a few bytes changed in each of
  // its pieces, and 5 bytes grown at the end.
  PutBackTest() {
    std::mt19937 rng(5);
    original_ = testing::RandomBytes(rng, 3 << 20);
    patched_ = original_;
    for (std::size_t at : {std::size_t{10}, std::size_t{1} << 20, (std::size_t{5} << 19) + 3}) {
      for (std::size_t i = 0; i < 4; ++i) patched_[at + i] ^= 0xFF;
    }
    patched_.insert(patched_.end(), {1, 2, 3, 4, 5});
    testing::WriteFile(backup_, original_);
    testing::WriteFile(file_, patched_);
    made_ = {file_.string(), backup_.string(), static_cast<std::int64_t>(original_.size()), Crc32(original_)};
  }

  testing::TempDir dir_;
  fs::path file_ = dir_ / "f";
  fs::path backup_ = dir_ / "f.bak";
  Bytes original_;
  Bytes patched_;
  journal::BackupMade made_;
};

TEST_F(PutBackTest, WritesOnlyTheDifferingBytesInPlaceAndCutsTheGrowth) {
  fs::create_hard_link(file_, dir_ / "other-name");
  Result<os::CopySource> backup = os::CopySource::Open(backup_, false);
  ASSERT_TRUE(backup.ok());
  ASSERT_TRUE(CheckWhole(*backup, made_, nullptr).ok());
  Journal log(dir_ / "log.journal", "test");
  ASSERT_TRUE(PutBackFromCopy(*backup, made_, file_, &log, nullptr).ok());
  ASSERT_TRUE(log.Finish().ok());
  EXPECT_EQ(testing::ReadFile(file_), original_);
  EXPECT_EQ(testing::ReadFile(dir_ / "other-name"), original_) << "not in place";
  EXPECT_EQ(fs::last_write_time(file_), fs::last_write_time(backup_));
  // The journal holds the old bytes of the three changed runs and of the cut, nothing more.
  const Bytes bytes = testing::ReadFile(dir_ / "log.journal");
  std::size_t old_bytes = 0;
  for (const journal::Decoded& decoded : journal::DecodeRecords(std::span<const std::uint8_t>(bytes).subspan(journal::kHeaderSize))) {
    if (const auto* batch = std::get_if<journal::RegionsWritten>(&decoded.record)) {
      for (const journal::Region& region : batch->regions) old_bytes += region.old.size();
    }
  }
  EXPECT_EQ(old_bytes, 3u * 4u + 5u);
}

TEST_F(PutBackTest, AnInterruptPartWayLeavesTheFileAsItWas) {
  Result<os::CopySource> backup = os::CopySource::Open(backup_, false);
  ASSERT_TRUE(backup.ok());
  int asked = 0;
  const Result<void> put = PutBackFromCopy(*backup, made_, file_, nullptr, [&asked] { return ++asked > 2; });
  ASSERT_FALSE(put.ok());
  EXPECT_EQ(put.error().message, "interrupted");
  EXPECT_EQ(testing::ReadFile(file_), patched_);
}

TEST_F(PutBackTest, ABackupOtherThanRecordedIsNotWhole) {
  Result<os::CopySource> backup = os::CopySource::Open(backup_, false);
  ASSERT_TRUE(backup.ok());
  journal::BackupMade longer = made_;
  longer.size += 1;
  EXPECT_EQ(CheckWhole(*backup, longer, nullptr).error().message, "it is not whole: 3145728 bytes, and the backup made was 3145729");
  journal::BackupMade other = made_;
  other.crc ^= 1;
  EXPECT_EQ(CheckWhole(*backup, other, nullptr).error().message, "its bytes are not the ones backed up (their CRC-32 differs)");
  // Put back against a record that does not match what is read: the file stays as it was.
  EXPECT_EQ(PutBackFromCopy(*backup, other, file_, nullptr, nullptr).error().message, "the backup changed while it was put back");
  EXPECT_EQ(testing::ReadFile(file_), patched_);
}

}  // namespace
}  // namespace vantrel
