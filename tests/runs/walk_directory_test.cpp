// The directory walk on trees built by the test.
#include "runs/walk_directory.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/os/directory.h"
#include "runs/messages.h"
#include "tests/support/scripted_host.h"
#include "tests/support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using testing::ToBytes;

std::vector<fs::path> Walked(const fs::path& dir) {
  std::vector<fs::path> files;
  WalkVisitor visitor;
  visitor.on_file = [&](const fs::path& file) { files.push_back(file); };
  WalkDirectory(dir, visitor);
  return files;
}

std::vector<std::string> Names(const std::vector<fs::path>& paths) {
  std::vector<std::string> names;
  for (const auto& p : paths) names.push_back(p.filename().string());
  return names;
}

class WalkDirectoryTest : public ::testing::Test {
 protected:
  testing::TempDir root_;
};

TEST_F(WalkDirectoryTest, VisitsEveryFileAtAnyDepthOnce) {
  fs::create_directories(root_ / "a" / "b" / "c");
  testing::WriteFile(root_ / "top", "x");
  testing::WriteFile(root_ / "a" / "one", "x");
  testing::WriteFile(root_ / "a" / "b" / "c" / "deep", "x");
  std::vector<std::string> names = Names(Walked(root_.path()));
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"deep", "one", "top"}));
}

// Depth first in listing order: whatever order the file system lists a directory in, the
// files of a subdirectory come right where that subdirectory is listed.
TEST_F(WalkDirectoryTest, EntersASubdirectoryWhereTheListingMeetsIt) {
  for (const char* name : {"d1", "d2", "d3"}) {
    fs::create_directory(root_ / name);
    testing::WriteFile(root_ / name / (std::string(name) + "-inner"), "x");
    testing::WriteFile(root_ / (std::string(name) + "-file"), "x");
  }
  std::vector<std::string> expected;
  Result<std::vector<os::DirectoryEntry>> listing = os::ListDirectory(root_.path());
  ASSERT_TRUE(listing.ok());
  for (const auto& entry : *listing) {
    const std::string name = entry.path.filename().string();
    expected.push_back(entry.is_directory ? name + "-inner" : name);
  }
  EXPECT_EQ(Names(Walked(root_.path())), expected);
}

TEST_F(WalkDirectoryTest, GivesTheSameWalkWithATrailingSeparator) {
  fs::create_directory(root_ / "sub");
  testing::WriteFile(root_ / "sub" / "f", "x");
  testing::WriteFile(root_ / "g", "x");
  fs::path with_separator = root_.path();
  with_separator += fs::path::preferred_separator;
  EXPECT_EQ(Names(Walked(with_separator)), Names(Walked(root_.path())));
  EXPECT_EQ(Walked(with_separator).size(), 2u);
}

TEST_F(WalkDirectoryTest, IncludesHiddenFiles) {
  testing::WriteFile(root_ / ".hidden", "x");
#ifdef _WIN32
  SetFileAttributesW((root_ / ".hidden").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
#endif
  EXPECT_EQ(Names(Walked(root_.path())), (std::vector<std::string>{".hidden"}));
}

TEST_F(WalkDirectoryTest, AnEmptyDirectoryOrAFileGivesNoPromptAtAll) {
  testing::ScriptedHost host("61", "62");
  WalkDirectory(root_.path(), host);
  testing::WriteFile(root_ / "plain", "a");
  WalkDirectory(root_ / "plain", host);
  WalkDirectory(root_ / "missing", host);
  EXPECT_TRUE(host.prompts().empty());
}

TEST_F(WalkDirectoryTest, RunsTheQuietReplaceOnEveryFile) {
  fs::create_directory(root_ / "sub");
  testing::WriteFile(root_ / "sub" / "has", "..abc");
  testing::WriteFile(root_ / "hasnot", "xyz");
  testing::ScriptedHost host("61 62 63", "58 59 5A", /*ask=*/false);
  host.Answer({true});
  WalkDirectory(root_.path(), host);
  ASSERT_EQ(host.prompts().size(), 1u);  // go on? after the one write; nothing about the other file
  EXPECT_EQ(host.prompts()[0].text, messages::kReplacedGoOn);
  EXPECT_EQ(testing::ReadFile(root_ / "sub" / "has"), ToBytes("..XYZ"));
  EXPECT_EQ(testing::ReadFile(root_ / "hasnot"), ToBytes("xyz"));
}

TEST_F(WalkDirectoryTest, ReportsADirectoryThatCannotBeListedAndGoesOn) {
  std::vector<fs::path> unlistable;
  WalkVisitor visitor;
  visitor.on_unlistable = [&](const fs::path& dir, const SystemError&) { unlistable.push_back(dir); };
  WalkDirectory(root_ / "missing", visitor);
  EXPECT_EQ(unlistable, (std::vector<fs::path>{root_ / "missing"}));
}

#ifndef _WIN32
TEST_F(WalkDirectoryTest, EndsOnASymlinkCycleAndWalksEachDirectoryOnce) {
  fs::create_directories(root_ / "a" / "b");
  testing::WriteFile(root_ / "a" / "b" / "f", "x");
  fs::create_directory_symlink(root_ / "a", root_ / "a" / "b" / "back");  // a/b/back -> a
  fs::create_directory_symlink(root_ / "a", root_ / "alias");             // a second way into a
  EXPECT_EQ(Names(Walked(root_.path())), (std::vector<std::string>{"f"}));
}

TEST_F(WalkDirectoryTest, FollowsALinkToAFileOutsideAndPassesOverAFifoWithoutBlocking) {
  testing::TempDir outside;
  testing::WriteFile(outside / "real", "..abc");
  fs::create_symlink(outside / "real", root_ / "link");
  ASSERT_EQ(mkfifo((root_ / "fifo").c_str(), 0600), 0);
  testing::ScriptedHost host("61 62 63", "", /*ask=*/false);
  WalkDirectory(root_.path(), host);
  EXPECT_EQ(host.prompts().size(), 1u);  // the offset notice for the link's file; nothing for the fifo
}

// A replacement that holds the pattern shows it: a file patched twice would read "xxab".
TEST_F(WalkDirectoryTest, PatchesAFileReachedThroughLinksAndHardLinksOnce) {
  testing::WriteFile(root_ / "real", "ab");
  fs::create_symlink(root_ / "real", root_ / "symlink");
  fs::create_hard_link(root_ / "real", root_ / "hardlink");
  testing::ScriptedHost host("61 62", "78 61 62", /*ask=*/false);
  host.Answer({false, false, false});
  WalkDirectory(root_.path(), host);
  EXPECT_EQ(testing::ReadFile(root_ / "real"), ToBytes("xab"));
  EXPECT_EQ(host.prompts().size(), 1u);
}
#endif

}  // namespace
}  // namespace vantrel
