// The careful write: read back before writing, grow before overwriting, report honestly.
#include "runs/careful_write.h"

#include <gtest/gtest.h>

#include "runs/messages.h"
#include "runs/replace_in_file.h"
#include "tests/support/child_process.h"
#include "tests/support/scripted_host.h"
#include "tests/support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>

#include <csignal>
#endif

namespace vantrel {
namespace {

using testing::ToBytes;

class CarefulWriteTest : public ::testing::Test {
 protected:
  testing::TempDir dir_;
  std::filesystem::path path_ = dir_ / "file.bin";
};

TEST_F(CarefulWriteTest, WritesWhenTheBytesAreStillThePattern) {
  testing::WriteFile(path_, "..abc..");
  EXPECT_EQ(WriteIfUnchanged(path_, 2, ToBytes("abc"), ToBytes("XYZ")).outcome, WriteOutcome::kWritten);
  EXPECT_EQ(testing::ReadFile(path_), ToBytes("..XYZ.."));
}

TEST_F(CarefulWriteTest, RefusesWhenTheBytesChangedOrTheFileGotShorter) {
  testing::WriteFile(path_, "..abd..");
  EXPECT_EQ(WriteIfUnchanged(path_, 2, ToBytes("abc"), ToBytes("XYZ")).outcome, WriteOutcome::kChanged);
  testing::WriteFile(path_, "..ab");
  EXPECT_EQ(WriteIfUnchanged(path_, 2, ToBytes("abc"), ToBytes("XYZ")).outcome, WriteOutcome::kChanged);
  EXPECT_EQ(testing::ReadFile(path_), ToBytes("..ab"));
}

TEST_F(CarefulWriteTest, FailsWithAReasonForAMissingFileAndForADirectory) {
  const WriteReport missing = WriteIfUnchanged(dir_ / "missing", 0, ToBytes("a"), ToBytes("b"));
  EXPECT_EQ(missing.outcome, WriteOutcome::kFailed);
  EXPECT_FALSE(missing.error.message.empty());
  EXPECT_EQ(WriteIfUnchanged(dir_.path(), 0, ToBytes("a"), ToBytes("b")).outcome, WriteOutcome::kFailed);
}

TEST_F(CarefulWriteTest, ManyWritesShareOneStreamAndOneCheckedClose) {
  testing::WriteFile(path_, "ab.ab.ab");
  Result<CarefulWriter> writer = CarefulWriter::Open(path_);
  ASSERT_TRUE(writer.ok());
  for (std::int64_t at : {0, 3, 6}) EXPECT_EQ(writer->Replace(at, ToBytes("ab"), ToBytes("XY")).outcome, WriteOutcome::kWritten);
  EXPECT_TRUE(writer->Close().ok());
  EXPECT_EQ(testing::ReadFile(path_), ToBytes("XY.XY.XY"));
}

#ifdef _WIN32
// The read-only attribute holds for every user on Windows. Wine run by root maps it to the
// Unix mode, which root may ignore; there the case cannot be made and is skipped.
TEST_F(CarefulWriteTest, AReadOnlyFileIsNotWrittenAndTheUserIsToldEvenWhenQuiet) {
  testing::WriteFile(path_, "abc");
  ASSERT_TRUE(SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_READONLY));
  HANDLE probe = CreateFileW(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  if (probe != INVALID_HANDLE_VALUE) {
    CloseHandle(probe);
    SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    GTEST_SKIP() << "this platform lets the current user write a read-only file";
  }
  testing::ScriptedHost host("61 62 63", "58 59 5A", /*ask=*/false);
  ReplaceInFile(path_, true, host);
  ASSERT_EQ(host.prompts().size(), 1u);
  EXPECT_EQ(host.prompts()[0].text, messages::kWriteFailed);
  EXPECT_EQ(host.prompts()[0].kind, PromptKind::kWarning);
  EXPECT_EQ(testing::ReadFile(path_), ToBytes("abc"));
  SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Found through a read handle, then refused for update: another program holds the file
// open for reading and does not share writing.
TEST_F(CarefulWriteTest, AFileOthersHoldWithoutWriteSharingGivesTheWriteFailure) {
  testing::WriteFile(path_, "..abc");
  HANDLE holder = CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  testing::ScriptedHost host("61 62 63", "58 59 5A");
  host.Answer({true});
  const FileRunOutcome outcome = ReplaceInFile(path_, false, host);
  CloseHandle(holder);
  ASSERT_EQ(host.prompts().size(), 2u);
  EXPECT_EQ(host.prompts()[1].text, messages::kWriteFailed);
  EXPECT_EQ(outcome.failure, FileRunOutcome::Failure::kWrite);
  EXPECT_EQ(testing::ReadFile(path_), ToBytes("..abc"));
}
#else
// Root may write a file without write permission, so the run happens as an ordinary user.
TEST_F(CarefulWriteTest, AReadOnlyFileIsNotWrittenAndTheUserIsToldEvenWhenQuiet) {
  testing::WriteFile(path_, "abc");
  std::filesystem::permissions(dir_.path(), std::filesystem::perms::all);
  std::filesystem::permissions(path_, std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                          std::filesystem::perms::others_read);
  const int result = testing::RunInChild([&] {
    if (testing::IsRoot() && !testing::DropPrivileges()) return 10;
    testing::ScriptedHost host("61 62 63", "58 59 5A", /*ask=*/false);
    const FileRunOutcome outcome = ReplaceInFile(path_, true, host);
    if (host.prompts().size() != 1 || host.prompts()[0].text != messages::kWriteFailed) return 1;
    return outcome.failure == FileRunOutcome::Failure::kWrite ? 0 : 2;
  });
  ASSERT_NE(result, 10) << "cannot drop root for this test";
  EXPECT_EQ(result, 0);
  EXPECT_EQ(testing::ReadFile(path_), ToBytes("abc"));
}

// With the file-size limit at the current size, the growth fails: the old bytes stay, and
// the file is not left longer than it was.
TEST_F(CarefulWriteTest, AGrowthThatFailsLeavesTheOldBytesAndLength) {
  testing::WriteFile(path_, "....abc");
  const int result = testing::RunInChild([&] {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{7, 7};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 10;
    testing::ScriptedHost host("61 62 63", "31 32 33 34 35", /*ask=*/false);
    ReplaceInFile(path_, false, host);
    return host.prompts().size() == 1 && host.prompts()[0].text == messages::kWriteFailed ? 0 : 1;
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(testing::ReadFile(path_), ToBytes("....abc"));
}
#endif

}  // namespace
}  // namespace vantrel
