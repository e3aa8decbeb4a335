// Faults and odd files: whatever goes wrong, the bytes outside the intended write stay as
// they were, and the user is told what happened.
#include <gtest/gtest.h>

#include <string>

#include "engine/os/path_text.h"
#include "runs/messages.h"
#include "runs/replace_in_file.h"
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

std::string Text(const fs::path& path) {
  const Bytes bytes = testing::ReadFile(path);
  return std::string(bytes.begin(), bytes.end());
}

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
  ReplaceInFile(empty, false, nothing);
  ReplaceInFile(one, false, nothing);
  EXPECT_EQ(nothing.prompts(), (std::vector<Shown>(2, {std::string(messages::kNotFound), PromptKind::kInformation})));
  EXPECT_EQ(Text(empty), "");
  EXPECT_EQ(Text(one), "a");

  ScriptedHost single("61", "62", /*ask=*/false);
  ReplaceInFile(one, true, single);
  EXPECT_EQ(Text(one), "b");
  ScriptedHost whole("61 62 63", "58 59 5A", /*ask=*/false);
  ReplaceInFile(exact, true, whole);
  EXPECT_EQ(Text(exact), "XYZ");
}

TEST_F(FaultTest, ADirectoryGivenAsAFileIsAnOpenFailureAndStaysUntouched) {
  fs::create_directory(dir_ / "sub");
  testing::WriteFile(dir_ / "sub" / "inside", "abc");
  ScriptedHost host("61 62 63", "58 59 5A", /*ask=*/false);
  ReplaceInFile(dir_ / "sub", false, host);
  EXPECT_EQ(host.prompts(), (std::vector<Shown>{{std::string(messages::kOpenFailed), PromptKind::kWarning}}));
  EXPECT_EQ(Text(dir_ / "sub" / "inside"), "abc");
}

// Offsets past 4 GiB, in the 32-bit build too: found, shown with all their digits, written
// at the right place, and nothing else in the file changes.
TEST_F(FaultTest, ReplacesAPatternBeyondFourGibAndNothingElse) {
  const std::int64_t at = (std::int64_t{1} << 32) + 0x10;
  const fs::path big = dir_ / "big.bin";
  testing::WriteSparseFile(big, at + 4096, {{at - 3, ToBytes("<<<NEEDLE>>>")}});
  ScriptedHost host("4E 45 45 44 4C 45", "70 61 74 63 68 21");
  host.Answer({true, false});
  ReplaceInFile(big, false, host);
  ASSERT_FALSE(host.prompts().empty());
  EXPECT_EQ(host.prompts()[0].text, messages::Found(os::PathText(big), at, true));
  EXPECT_NE(host.prompts()[0].text.find("0x100000010"), std::string::npos);
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
  WalkDirectory(dir_.path(), host);
  EXPECT_EQ(Text(deep / "bottom"), "..XYZ");
  EXPECT_EQ(Text(odd), "XYZ..");
  EXPECT_EQ(host.prompts().size(), 2u);
}

#ifndef _WIN32
TEST_F(FaultTest, ANameThatIsNotUtf8IsPatchedAndShownWithItsOwnBytes) {
  const fs::path odd = dir_ / std::string("bad-\xff\xfe-name");
  testing::WriteFile(odd, "abc");
  ScriptedHost host("61 62 63", "58 59 5A");
  host.Answer({true, false});
  ReplaceInFile(odd, false, host);
  EXPECT_NE(host.prompts()[0].text.find("bad-\xff\xfe-name"), std::string::npos);
  EXPECT_EQ(Text(odd), "XYZ");
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
    WalkDirectory(dir_.path(), host);
    int write_failures = 0, replaced = 0;
    for (const Shown& shown : host.prompts()) {
      write_failures += shown.text == messages::kWriteFailed ? 1 : 0;
      replaced += shown.text == messages::kReplacedGoOn ? 1 : 0;
    }
    return write_failures == 1 && replaced == 1 ? 0 : 1;
  });
  chmod((dir_ / "closed").c_str(), 0755);
  chmod((dir_ / "unreadable").c_str(), 0644);
  ASSERT_NE(result, 10) << "cannot drop root for this test";
  EXPECT_EQ(result, 0);
  EXPECT_EQ(Text(dir_ / "closed" / "hidden"), "abc");
  EXPECT_EQ(Text(dir_ / "unreadable"), "abc");
  EXPECT_EQ(Text(dir_ / "readonly"), "abc");
  EXPECT_EQ(Text(dir_ / "open"), "XYZ");
}
#endif

}  // namespace
}  // namespace vantrel
