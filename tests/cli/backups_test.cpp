// Backups: a complete copy before the first write, never over an existing file.
#include "cli/backups.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace vantrel::cli {
namespace {

namespace fs = std::filesystem;

class BackupsTest : public ::testing::Test {
 protected:
  testing::TempDir dir_;
  fs::path file_ = dir_ / "data.bin";
};

TEST_F(BackupsTest, CopiesTheFileWholeUnderItsNameAndTheSuffix) {
  Bytes content(3 << 20, 0);  // more than one round of the copy's buffer
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<std::uint8_t>(i * 7);
  testing::WriteFile(file_, content);
  Backups backups(fs::path(".orig"));
  ASSERT_TRUE(backups.Before(file_).ok());
  EXPECT_EQ(testing::ReadFile(dir_ / "data.bin.orig"), content);
}

TEST_F(BackupsTest, CopiesAFileOnceInARun) {
  testing::WriteFile(file_, "first");
  Backups backups(fs::path(".bak"));
  ASSERT_TRUE(backups.Before(file_).ok());
  testing::WriteFile(file_, "second");
  ASSERT_TRUE(backups.Before(file_).ok());
  EXPECT_EQ(testing::ReadFile(dir_ / "data.bin.bak"), testing::ToBytes("first"));
}

TEST_F(BackupsTest, NeverOverwritesAnExistingBackup) {
  testing::WriteFile(file_, "new");
  testing::WriteFile(dir_ / "data.bin.bak", "precious");
  Backups backups(fs::path(".bak"));
  const Result<void> made = backups.Before(file_);
  ASSERT_FALSE(made.ok());
  EXPECT_NE(made.error().message.find("not written: the backup '"), std::string::npos) << made.error().message;
  EXPECT_NE(made.error().message.find("data.bin.bak' exists already"), std::string::npos) << made.error().message;
  EXPECT_EQ(testing::ReadFile(dir_ / "data.bin.bak"), testing::ToBytes("precious"));
  EXPECT_FALSE(backups.Before(file_).ok());  // and keeps refusing
}

TEST_F(BackupsTest, ReportsABackupThatCannotBeMadeAndLeavesNothingBehind) {
  testing::WriteFile(file_, "data");
  Backups backups(fs::path("/sub/dir/that/is/not/there"));
  const Result<void> made = backups.Before(file_);
  ASSERT_FALSE(made.ok());
  EXPECT_EQ(made.error().message.rfind("not written: cannot make the backup '", 0), 0u) << made.error().message;
}

TEST_F(BackupsTest, MakesNothingWithoutASuffix) {
  testing::WriteFile(file_, "data");
  Backups backups(std::nullopt);
  EXPECT_TRUE(backups.Before(file_).ok());
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace vantrel::cli
