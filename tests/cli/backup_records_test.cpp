// The backups the journals record: found by their path, the later run's record holding, and
// nothing read from a torn record, a broken one or a file that is no journal.
#include "cli/backup_records.h"

#include <gtest/gtest.h>

#include "runs/journal.h"
#include "tests/support/temp_dir.h"

namespace vantrel::cli {
namespace {

namespace fs = std::filesystem;

class BackupRecordsTest : public ::testing::Test {
 protected:
  // A finished journal of a run that made these backups.
  void Run(const std::string& name, const std::vector<journal::BackupMade>& made) {
    Journal run(dir_ / name, "test");
    for (const journal::BackupMade& backup : made) ASSERT_TRUE(run.Record(backup, true).ok());
    ASSERT_TRUE(run.Finish().ok());
  }
  journal::BackupMade Made(const std::string& file, std::int64_t size, std::uint32_t crc) const {
    return {RecordedPath(data_ / file), RecordedPath(data_ / (file + ".bak")), size, crc};
  }

  testing::TempDir dir_;
  testing::TempDir data_;
};

TEST_F(BackupRecordsTest, FindsEachBackupByItsPathAndTheLaterRunHolds) {
  Run("1.journal", {Made("a", 10, 1), Made("b", 20, 2)});
  Run("2.journal", {Made("a", 11, 3)});
  const BackupRecords records = BackupRecords::Read(dir_.path());
  EXPECT_EQ(records.size(), 2u);
  const journal::BackupMade* a = records.Find(data_ / "a.bak");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->size, 11);
  EXPECT_EQ(a->crc, 3u);
  EXPECT_EQ(a->path, RecordedPath(data_ / "a"));
  // Another spelling of the same path finds it too.
  ASSERT_NE(records.Find(data_ / "sub" / ".." / "b.bak"), nullptr);
  EXPECT_EQ(records.Find(data_ / "b.bak")->size, 20);
  EXPECT_EQ(records.Find(data_ / "c.bak"), nullptr);
  EXPECT_EQ(records.Find(data_ / "a"), nullptr);
}

TEST_F(BackupRecordsTest, NothingIsReadFromATornOrBrokenRecordOrFromAnotherFile) {
  Run("1.journal", {Made("a", 10, 1), Made("b", 20, 2), Made("c", 30, 3)});
  Bytes bytes = testing::ReadFile(dir_ / "1.journal");
  const auto records = journal::DecodeRecords(std::span<const std::uint8_t>(bytes).subspan(journal::kHeaderSize));
  ASSERT_GE(records.size(), 4u);  // RunStarted, three BackupMade, RunEnded
  // One bit of b's record flipped, c's record torn in the middle.
  bytes[journal::kHeaderSize + static_cast<std::size_t>(records[2].offset + records[2].size) - 1] ^= 1;
  bytes.resize(journal::kHeaderSize + static_cast<std::size_t>(records[3].offset + records[3].size / 2));
  testing::WriteFile(dir_ / "1.journal", bytes);
  testing::WriteFile(dir_ / "notes.txt", "VANTRELJ but no journal");
  fs::create_directory(dir_ / "sub");
  const BackupRecords read = BackupRecords::Read(dir_.path());
  EXPECT_EQ(read.size(), 1u);
  EXPECT_NE(read.Find(data_ / "a.bak"), nullptr);
  EXPECT_EQ(read.Find(data_ / "b.bak"), nullptr);
  EXPECT_EQ(BackupRecords::Read(dir_ / "not-there").size(), 0u);
}

}  // namespace
}  // namespace vantrel::cli
