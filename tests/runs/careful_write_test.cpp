// The careful write: read back before writing, grow before overwriting, report honestly, and
// when any step fails, leave the file as it was.
#include "runs/careful_write.h"

#include <gtest/gtest.h>

#include <memory>

#include "runs/run_file.h"
#include "tests/support/child_process.h"
#include "tests/support/scripted_host.h"
#include "tests/support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/statvfs.h>

#include <csignal>
#include <cstring>
#endif

namespace vantrel {
namespace {

using testing::ToBytes;

// A file in memory behind the update stream, whose n-th call (counted over every stream opened
// on it) fails; a failing write puts half its bytes first, as a short write does.
struct FakeDisk {
  Bytes content;
  int calls = 0;
  int fail_at = 0;  // 0: nothing fails
  os::FileTime time{};

  bool Fails() { return ++calls == fail_at; }
};

class FakeStream : public os::UpdateStream {
 public:
  explicit FakeStream(FakeDisk& disk) : disk_(disk) {}
  Result<std::size_t> ReadAt(std::int64_t offset, std::span<std::uint8_t> out) override {
    if (disk_.Fails()) return SystemError{5, "read failed"};
    const auto at = std::min(static_cast<std::size_t>(offset), disk_.content.size());
    const std::size_t got = std::min(out.size(), disk_.content.size() - at);
    std::copy_n(disk_.content.begin() + static_cast<std::ptrdiff_t>(at), got, out.begin());
    return got;
  }
  Result<void> WriteAt(std::int64_t offset, std::span<const std::uint8_t> bytes) override {
    const bool fails = disk_.Fails();
    const std::size_t put = fails ? bytes.size() / 2 : bytes.size();
    const auto at = static_cast<std::size_t>(offset);
    if (disk_.content.size() < at + put) disk_.content.resize(at + put);
    std::copy_n(bytes.begin(), put, disk_.content.begin() + static_cast<std::ptrdiff_t>(at));
    if (fails) return SystemError{28, "No space left on device"};
    return {};
  }
  Result<void> Truncate(std::int64_t length) override {
    if (disk_.Fails()) return SystemError{5, "truncate failed"};
    disk_.content.resize(static_cast<std::size_t>(length));
    return {};
  }
  Result<os::FileTime> ModificationTime() override {
    if (disk_.Fails()) return SystemError{5, "stat failed"};
    return disk_.time;
  }
  Result<void> SetModificationTime(os::FileTime time) override {
    if (disk_.Fails()) return SystemError{5, "utime failed"};
    disk_.time = time;
    return {};
  }
  Result<os::FileState> State() override {
    return os::FileState{{}, static_cast<std::int64_t>(disk_.content.size()), disk_.time};
  }
  Result<void> Sync() override { return {}; }
  Result<void> Close() override {
    if (disk_.Fails()) return SystemError{5, "close failed"};
    return {};
  }

 private:
  FakeDisk& disk_;
};

CarefulWriter::Opener OpenerOf(FakeDisk& disk) {
  return [&disk]() -> Result<std::unique_ptr<os::UpdateStream>> {
    if (disk.Fails()) return SystemError{13, "open failed"};
    return std::unique_ptr<os::UpdateStream>(std::make_unique<FakeStream>(disk));
  };
}

// Two writes through one stream, the second growing the file, then the close: the steps of a
// replace-all pass. Gives whether everything succeeded.
bool TwoWritesAndClose(FakeDisk& disk) {
  Result<CarefulWriter> writer = CarefulWriter::Open(OpenerOf(disk));
  if (!writer) return false;
  Result<WriteOutcome> first = writer->Replace(0, ToBytes("ab"), ToBytes("XYZ"));
  if (!first) return false;
  Result<WriteOutcome> second = writer->Replace(7, ToBytes("ab"), ToBytes("1234"));
  const Result<void> closed = writer->Close();
  return second.ok() && closed.ok();
}

// The calls of the clean run: open; the first write's read back; the second write's read
// back; then, at the close, the batch: the first write, the second's part past the end and
// its part inside; the close. Whichever fails, the file's writes are all or nothing.
TEST(CarefulWriterSteps, WhicheverCallFailsTheFileIsLeftAsItWas) {
  const Bytes original = ToBytes("ab.....ab");
  FakeDisk clean{original};
  ASSERT_TRUE(TwoWritesAndClose(clean));
  ASSERT_EQ(clean.content, ToBytes("XYZ....1234"));
  ASSERT_EQ(clean.calls, 7);
  for (int step = 1; step <= clean.calls; ++step) {
    FakeDisk disk{original, 0, step};
    EXPECT_FALSE(TwoWritesAndClose(disk)) << "failing call " << step;
    EXPECT_EQ(disk.content, original) << "failing call " << step;
  }
}

TEST(CarefulWriterSteps, AFailedReadBackOrGrowthOrOverwriteOfOneWriteLeavesTheFileAsItWas) {
  // read back, write past the end, write inside: each failing in turn
  for (int step = 2; step <= 4; ++step) {
    FakeDisk disk{ToBytes("....abc"), 0, step};
    Result<CarefulWriter> writer = CarefulWriter::Open(OpenerOf(disk));
    ASSERT_TRUE(writer.ok());
    const bool replaced = writer->Replace(4, ToBytes("abc"), ToBytes("12345")).ok();
    EXPECT_FALSE(replaced && writer->Close().ok()) << step;
    EXPECT_EQ(disk.content, ToBytes("....abc")) << step;
  }
}

// What a put back from a copy does: a write inside, the file cut shorter, the copy's time
// given at the close. Clean, the file is the copy; whichever call fails, the file is left as it
// was, with its bytes, its length and its time.
bool WriteCutAndClose(FakeDisk& disk) {
  Result<CarefulWriter> writer = CarefulWriter::Open(OpenerOf(disk));
  if (!writer) return false;
  std::uint8_t probe[4] = {};
  Result<std::size_t> read = writer->ReadAt(2, probe);
  if (!read || *read != 4 || Bytes(probe, probe + 4) != ToBytes("BBBB")) return false;
  if (!writer->Replace(2, ToBytes("BBBB"), ToBytes("AAAA"))) return false;
  if (!writer->Cut(8)) return false;
  writer->SetTimeAtClose(os::FileTime{42});
  return writer->Close().ok();
}

TEST(CarefulWriterSteps, ACutAndATimeAtTheClosePutBackLikeAnyWrite) {
  const Bytes grown = ToBytes("xxBBBBxxBBBB");
  FakeDisk clean{grown, 0, 0, os::FileTime{7}};
  ASSERT_TRUE(WriteCutAndClose(clean));
  ASSERT_EQ(clean.content, ToBytes("xxAAAAxx"));
  ASSERT_EQ(clean.time.ticks, 42);
  const int calls = clean.calls;
  ASSERT_GE(calls, 7);
  for (int step = 1; step <= calls; ++step) {
    FakeDisk disk{grown, 0, step, os::FileTime{7}};
    EXPECT_FALSE(WriteCutAndClose(disk)) << "failing call " << step;
    EXPECT_EQ(disk.content, grown) << "failing call " << step;
    EXPECT_EQ(disk.time.ticks, 7) << "failing call " << step;
  }
}

// A file that reports a length other than what it holds, as a proc or FUSE file does.
class MisreportingStream : public FakeStream {
 public:
  MisreportingStream(FakeDisk& disk, std::int64_t says) : FakeStream(disk), says_(says) {}
  Result<os::FileState> State() override { return os::FileState{{}, says_, {}}; }

 private:
  std::int64_t says_;
};

// Putting such a file back would cut it to the length it reports, so nothing is written.
TEST(CarefulWriterSteps, AFileHoldingMoreThanItsSizeSaysIsRefusedAndLeftAsItWas) {
  const Bytes original = ToBytes("ab....ab");
  for (const std::int64_t says : {0, 4}) {
    FakeDisk disk{original};
    Result<CarefulWriter> writer = CarefulWriter::Open([&]() -> Result<std::unique_ptr<os::UpdateStream>> {
      return std::unique_ptr<os::UpdateStream>(std::make_unique<MisreportingStream>(disk, says));
    });
    ASSERT_TRUE(writer.ok());
    Result<WriteOutcome> first = writer->Replace(0, ToBytes("ab"), ToBytes("XY"));
    Result<WriteOutcome> second = says > 0 ? writer->Replace(6, ToBytes("ab"), ToBytes("XY")) : first;
    if (says > 0) {
      EXPECT_TRUE(first.ok());
    }
    ASSERT_FALSE(second.ok()) << says;
    EXPECT_EQ(second.error().message, "the file holds more than its size says, so a write to it could not be put back");
    EXPECT_EQ(disk.content, original) << says;
  }
}

class CarefulWriteTest : public ::testing::Test {
 protected:
  testing::TempDir dir_;
  std::filesystem::path path_ = dir_ / "file.bin";
};

TEST_F(CarefulWriteTest, WritesWhenTheBytesAreStillThePattern) {
  testing::WriteFile(path_, "..abc..");
  EXPECT_EQ(*WriteIfUnchanged(path_, 2, ToBytes("abc"), ToBytes("XYZ")), WriteOutcome::kWritten);
  EXPECT_EQ(testing::ReadFile(path_), ToBytes("..XYZ.."));
}

TEST_F(CarefulWriteTest, RefusesWhenTheBytesChangedOrTheFileGotShorter) {
  testing::WriteFile(path_, "..abd..");
  EXPECT_EQ(*WriteIfUnchanged(path_, 2, ToBytes("abc"), ToBytes("XYZ")), WriteOutcome::kChanged);
  testing::WriteFile(path_, "..ab");
  EXPECT_EQ(*WriteIfUnchanged(path_, 2, ToBytes("abc"), ToBytes("XYZ")), WriteOutcome::kChanged);
  EXPECT_EQ(testing::ReadFile(path_), ToBytes("..ab"));
}

TEST_F(CarefulWriteTest, FailsWithAReasonForAMissingFileAndForADirectory) {
  const Result<WriteOutcome> missing = WriteIfUnchanged(dir_ / "missing", 0, ToBytes("a"), ToBytes("b"));
  ASSERT_FALSE(missing.ok());
  EXPECT_FALSE(missing.error().message.empty());
  EXPECT_FALSE(WriteIfUnchanged(dir_.path(), 0, ToBytes("a"), ToBytes("b")).ok());
}

TEST_F(CarefulWriteTest, ManyWritesShareOneStreamAndOneCheckedClose) {
  testing::WriteFile(path_, "ab.ab.ab");
  Result<CarefulWriter> writer = CarefulWriter::Open(path_);
  ASSERT_TRUE(writer.ok());
  for (std::int64_t at : {0, 3, 6}) EXPECT_EQ(*writer->Replace(at, ToBytes("ab"), ToBytes("XY")), WriteOutcome::kWritten);
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
  ReplaceInFile(path_, true, host.job(), host);
  ASSERT_EQ(host.prompts().size(), 1u);
  EXPECT_EQ(host.prompts()[0].text, "写入文件失败！");
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
  const FileOutcome outcome = ReplaceInFile(path_, false, host.job(), host);
  CloseHandle(holder);
  ASSERT_EQ(host.prompts().size(), 2u);
  EXPECT_EQ(host.prompts()[1].text, "写入文件失败！");
  EXPECT_EQ(outcome.failure, FileOutcome::Failure::kWrite);
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
    const FileOutcome outcome = ReplaceInFile(path_, true, host.job(), host);
    if (host.prompts().size() != 1 || host.prompts()[0].text != "写入文件失败！") return 1;
    return outcome.failure == FileOutcome::Failure::kWrite ? 0 : 2;
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
    ReplaceInFile(path_, false, host.job(), host);
    return host.prompts().size() == 1 && host.prompts()[0].text == "写入文件失败！" ? 0 : 1;
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(testing::ReadFile(path_), ToBytes("....abc"));
}

// A full disk half-way through a growing write, as on a small tmpfs: the byte past the end
// fits, but the part over a hole in the file needs more blocks than the disk has left. The
// file gets its old length and bytes back.
TEST_F(CarefulWriteTest, ADiskThatFillsUpHalfWayThroughAGrowingWriteLeavesTheFileAsItWas) {
  const std::filesystem::path mount_point = dir_ / "small";
  std::filesystem::create_directory(mount_point);
  const std::filesystem::path file = mount_point / "holey.bin";
  const int result = testing::RunInChild([&] {
    if (!testing::EnterPrivateMounts().empty()) return 10;
    if (mount("tmpfs", mount_point.c_str(), "tmpfs", 0, "size=64k") != 0) return 10;
    // A page of data, then a hole to 12 KiB: the first zero byte is the match at 4096.
    testing::WriteSparseFile(file, 12288, {{0, Bytes(4096, 0x2E)}});
    // Leave two pages free: one for the byte past the end, one of the two the hole needs.
    struct statvfs disk {};
    if (statvfs(mount_point.c_str(), &disk) != 0) return 11;
    const auto free_bytes = static_cast<std::size_t>(disk.f_bavail * disk.f_bsize);
    testing::WriteFile(mount_point / "filler", Bytes(free_bytes - 2 * 4096, 0x55));
    const Bytes before = testing::ReadFile(file);
    testing::ScriptedHost host("00", "", /*ask=*/false);
    host.job().replacements = std::vector<MaskedPattern>{ExactPattern(Bytes(8193, 0x41))};
    const FileOutcome outcome = ReplaceAllInFile(file, host.job(), host);
    if (outcome.failure != FileOutcome::Failure::kWrite) return 1;
    if (testing::ReadFile(file) != before) return 2;
    return 0;
  });
  if (result == 10) GTEST_SKIP() << "mounting a small tmpfs is not allowed here";
  EXPECT_EQ(result, 0);
}
#endif

}  // namespace
}  // namespace vantrel
