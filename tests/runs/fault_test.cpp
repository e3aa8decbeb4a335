// Faults and odd files: whatever goes wrong, the bytes outside the intended write stay as
// they were, and the user is told what happened.
#include <gtest/gtest.h>

#include <string>

#include "platform/path_text.h"
#include "runs/run_file.h"
#include "runs/walk_directory.h"
#include "tests/support/child_process.h"
#include "tests/support/scripted_host.h"
#include "tests/support/temp_dir.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using testing::ScriptedHost;
using testing::Shown;
using testing::ToBytes;

class FaultTest : public ::testing::Test {
 protected:
  testing::TempDir dir_;
};

TEST_F(FaultTest, FilesOfZeroAndOneBytesAndOfExactlyThePatternLength) {
  const fs::path empty = dir_ / "empty", one = dir_ / "one", exact = dir_ / "exact";
  testing::WriteFile(empty, "");
  testing::WriteFile(one, "a");
  testing::WriteFile(exact, "abc");
  ScriptedHost nothing("61 62 63", "58 59 5A", /*ask=*/false);
  ReplaceInFile(empty, false, nothing.job(), nothing);
  ReplaceInFile(one, false, nothing.job(), nothing);
  EXPECT_EQ(nothing.prompts(), (std::vector<Shown>(2, {std::string("没有找到你要搜索的内容。"), PromptKind::kInformation})));
  EXPECT_EQ(testing::ReadText(empty), "");
  EXPECT_EQ(testing::ReadText(one), "a");

  ScriptedHost single("61", "62", /*ask=*/false);
  ReplaceInFile(one, true, single.job(), single);
  EXPECT_EQ(testing::ReadText(one), "b");
  ScriptedHost whole("61 62 63", "58 59 5A", /*ask=*/false);
  ReplaceInFile(exact, true, whole.job(), whole);
  EXPECT_EQ(testing::ReadText(exact), "XYZ");
}

TEST_F(FaultTest, ADirectoryGivenAsAFileIsAnOpenFailureAndStaysUntouched) {
  fs::create_directory(dir_ / "sub");
  testing::WriteFile(dir_ / "sub" / "inside", "abc");
  ScriptedHost host("61 62 63", "58 59 5A", /*ask=*/false);
  ReplaceInFile(dir_ / "sub", false, host.job(), host);
  EXPECT_EQ(host.prompts(), (std::vector<Shown>{{std::string("打开文件失败！"), PromptKind::kWarning}}));
  EXPECT_EQ(testing::ReadText(dir_ / "sub" / "inside"), "abc");
}

// Offsets past 4 GiB, in the 32-bit build too: found, shown with all their digits, written
// at the right place, and nothing else in the file changes.
TEST_F(FaultTest, ReplacesAPatternBeyondFourGibAndNothingElse) {
  const std::int64_t at = (std::int64_t{1} << 32) + 0x10;
  const fs::path big = dir_ / "big.bin";
  testing::WriteSparseFile(big, at + 4096, {{at - 3, ToBytes("<<<NEEDLE>>>")}});
  ScriptedHost host("4E 45 45 44 4C 45", "70 61 74 63 68 21");
  host.Answer({true, false});
  ReplaceInFile(big, false, host.job(), host);
  ASSERT_FALSE(host.prompts().empty());
  EXPECT_EQ(host.prompts()[0].text, "文件\"" + os::PathText(big) + "\"\n找到关键位置：0x100000010。是否进行替换？");
  EXPECT_EQ(testing::ReadAt(big, at - 3, 12), ToBytes("<<<patch!>>>"));
  EXPECT_EQ(fs::file_size(big), static_cast<std::uintmax_t>(at + 4096));
  EXPECT_EQ(testing::ReadAt(big, 0, 8), Bytes(8, 0));
}

// A tree 200 levels deep, and names with spaces and characters outside any ANSI code page.
TEST_F(FaultTest, AWalkReachesTheBottomOfADeepTreeAndFilesWithAnyName) {
  fs::path deep = dir_.path();
  for (int level = 0; level < 200; ++level) deep /= "d";
  fs::create_directories(deep);
  testing::WriteFile(deep / "bottom", "..abc");
  const fs::path odd = dir_ / fs::path(u8"名字 with spaces ü");
  testing::WriteFile(odd, "abc..");
  ScriptedHost host("61 62 63", "58 59 5A", /*ask=*/false);
  host.Answer({true, true});
  WalkDirectory(dir_.path(), RunMode::kAsk, host.job(), host);
  EXPECT_EQ(testing::ReadText(deep / "bottom"), "..XYZ");
  EXPECT_EQ(testing::ReadText(odd), "XYZ..");
  EXPECT_EQ(host.prompts().size(), 2u);
}

#ifndef _WIN32
TEST_F(FaultTest, ANameThatIsNotUtf8IsPatchedAndShownWithItsOwnBytes) {
  const fs::path odd = dir_ / std::string("bad-\xff\xfe-name");
  testing::WriteFile(odd, "abc");
  ScriptedHost host("61 62 63", "58 59 5A");
  host.Answer({true, false});
  ReplaceInFile(odd, false, host.job(), host);
  EXPECT_NE(host.prompts()[0].text.find("bad-\xff\xfe-name"), std::string::npos);
  EXPECT_EQ(testing::ReadText(odd), "XYZ");
}

// Run as an ordinary user (root reads and writes everything): a directory that cannot be
// listed and a file that cannot be read are passed over in a walk; a file that can be read
// but not written gives the write failure, also in the quiet walk; the rest is patched.
TEST_F(FaultTest, AWalkPassesOverWhatItMayNotReadAndReportsWhatItMayNotWrite) {
  fs::permissions(dir_.path(), fs::perms::all);
  fs::create_directory(dir_ / "closed");
  testing::WriteFile(dir_ / "closed" / "hidden", "abc");
  testing::WriteFile(dir_ / "unreadable", "abc");
  testing::WriteFile(dir_ / "readonly", "abc");
  testing::WriteFile(dir_ / "open", "abc");
  chmod((dir_ / "closed").c_str(), 0);
  chmod((dir_ / "unreadable").c_str(), 0);
  chmod((dir_ / "readonly").c_str(), 0444);
  chmod((dir_ / "open").c_str(), 0666);
  const int result = testing::RunInChild([&] {
    if (testing::IsRoot() && !testing::DropPrivileges()) return 10;
    ScriptedHost host("61 62 63", "58 59 5A", /*ask=*/false);
    host.Answer({true, true, true});
    WalkDirectory(dir_.path(), RunMode::kAsk, host.job(), host);
    int write_failures = 0, replaced = 0;
    for (const Shown& shown : host.prompts()) {
      write_failures += shown.text == "写入文件失败！" ? 1 : 0;
      replaced += shown.text == "字符替换成功，是否继续替换？" ? 1 : 0;
    }
    return write_failures == 1 && replaced == 1 ? 0 : 1;
  });
  chmod((dir_ / "closed").c_str(), 0755);
  chmod((dir_ / "unreadable").c_str(), 0644);
  ASSERT_NE(result, 10) << "cannot drop root for this test";
  EXPECT_EQ(result, 0);
  EXPECT_EQ(testing::ReadText(dir_ / "closed" / "hidden"), "abc");
  EXPECT_EQ(testing::ReadText(dir_ / "unreadable"), "abc");
  EXPECT_EQ(testing::ReadText(dir_ / "readonly"), "abc");
  EXPECT_EQ(testing::ReadText(dir_ / "open"), "XYZ");
}
#endif

}  // namespace
}  // namespace vantrel
