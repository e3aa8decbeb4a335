// The directory walk on trees built by the test.
#include "runs/walk_directory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <thread>

#include "platform/directory.h"
#include "tests/support/child_process.h"
#include "tests/support/folder_link.h"
#include "tests/support/scripted_host.h"
#include "tests/support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mount.h>
#include <sys/stat.h>
#endif

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using testing::ToBytes;

// The files a listing walk runs on, in order.
std::vector<fs::path> Walked(const fs::path& dir, WalkOptions options = {}) {
  testing::ScriptedHost host("78", "");
  WalkDirectory(dir, RunMode::kList, host.job(), host, options);
  return host.files();
}

std::vector<std::string> Names(const std::vector<fs::path>& paths) {
  std::vector<std::string> names;
  for (const auto& p : paths) names.push_back(p.filename().string());
  return names;
}

std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
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
  EXPECT_EQ(Sorted(Names(Walked(root_.path()))), (std::vector<std::string>{"deep", "one", "top"}));
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
    expected.push_back(entry.kind == os::EntryKind::kDirectory ? name + "-inner" : name);
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
  WalkDirectory(root_.path(), RunMode::kAsk, host.job(), host);
  testing::WriteFile(root_ / "plain", "a");
  WalkDirectory(root_ / "plain", RunMode::kAsk, host.job(), host);
  WalkDirectory(root_ / "missing", RunMode::kAsk, host.job(), host);
  EXPECT_TRUE(host.prompts().empty());
}

TEST_F(WalkDirectoryTest, RunsTheQuietReplaceOnEveryFile) {
  fs::create_directory(root_ / "sub");
  testing::WriteFile(root_ / "sub" / "has", "..abc");
  testing::WriteFile(root_ / "hasnot", "xyz");
  testing::ScriptedHost host("61 62 63", "58 59 5A", /*ask=*/false);
  host.Answer({true});
  WalkDirectory(root_.path(), RunMode::kAsk, host.job(), host);
  ASSERT_EQ(host.prompts().size(), 1u);  // go on? after the one write; nothing about the other file
  EXPECT_EQ(host.prompts()[0].text, "字符替换成功，是否继续替换？");
  EXPECT_EQ(testing::ReadFile(root_ / "sub" / "has"), ToBytes("..XYZ"));
  EXPECT_EQ(testing::ReadFile(root_ / "hasnot"), ToBytes("xyz"));
}

TEST_F(WalkDirectoryTest, ReportsADirectoryThatCannotBeListedAndGoesOn) {
  testing::ScriptedHost host("61", "");
  WalkDirectory(root_ / "missing", RunMode::kList, host.job(), host);
  EXPECT_EQ(host.unlistable(), (std::vector<fs::path>{root_ / "missing"}));
}

// Everything a host hears, one line per call, paths below root.
class NewsLog : public RunHost {
 public:
  explicit NewsLog(fs::path root) : root_(std::move(root)) {}
  bool Prompt(std::string_view, PromptKind) override { return false; }
  void FileStarted(const fs::path& path) override { Add("start " + Below(path)); }
  void Reached(std::int64_t offset) override { Add("reached " + std::to_string(offset)); }
  void Listed(const fs::path& path, const Match& match) override {
    Add("listed " + Below(path) + " " + std::to_string(match.offset));
  }
  void Written(const fs::path& path, const Match& match) override {
    Add("written " + Below(path) + " " + std::to_string(match.offset));
  }
  void FileDone(const fs::path& path, const FileOutcome& outcome) override {
    Add("done " + Below(path) + " " + std::to_string(outcome.found) + " " + std::to_string(outcome.written) +
        (outcome.met_before ? " met before" : ""));
  }
  void Unlistable(const fs::path& dir, const SystemError&) override { Add("unlistable " + Below(dir)); }
  const std::vector<std::string>& lines() const { return lines_; }

 private:
  std::string Below(const fs::path& path) const { return path.lexically_relative(root_).generic_string(); }
  void Add(std::string line) { lines_.push_back(std::move(line)); }
  fs::path root_;
  std::vector<std::string> lines_;
};

std::vector<std::string> WalkNews(const fs::path& root, RunMode mode, const RunJob& job, unsigned threads,
                                  bool follow_links = false) {
  NewsLog log(root);
  WalkOptions options;
  options.threads = threads;
  options.follow_links = follow_links;
  WalkDirectory(root, mode, job, log, options);
  return log.lines();
}

// What the host hears of one file: its lines from its start to its end.
std::vector<std::string> NewsOf(const std::vector<std::string>& news, const std::string& name) {
  auto start = std::find(news.begin(), news.end(), "start " + name);
  if (start == news.end()) return {};
  auto done = std::find_if(start, news.end(), [](const std::string& line) { return line.rfind("done ", 0) == 0; });
  return {start, done == news.end() ? done : done + 1};
}

// More files than the walk keeps in flight, a file whose occurrences outnumber what a file
// keeps before its turn, names of one file in two folders: four threads must tell the host
// exactly what one thread tells it, and leave the same bytes. The second name of a file is
// passed over as met before, nothing searched, however fast its first name was patched.
TEST_F(WalkDirectoryTest, SeveralThreadsTellTheHostWhatOneThreadTellsIt) {
  for (int d = 0; d < 3; ++d) {
    const fs::path dir = root_ / ("d" + std::to_string(d));
    fs::create_directory(dir);
    for (int f = 0; f < 700; ++f) {
      std::string text(static_cast<std::size_t>(f % 50) * 7, '.');
      for (int k = 0; k < f % 4; ++k) text += "PAT";
      testing::WriteFile(dir / ("f" + std::to_string(f)), text);
    }
  }
  std::string many;
  for (int k = 0; k < 20000; ++k) many += "PAT.";
  testing::WriteFile(root_ / "d1" / "many", many);
  fs::create_hard_link(root_ / "d0" / "f3", root_ / "d2" / "second-name");

  const testing::ScriptedHost pattern("50 41 54", "", /*ask=*/false);
  EXPECT_EQ(WalkNews(root_.path(), RunMode::kList, pattern.job(), 4),
            WalkNews(root_.path(), RunMode::kList, pattern.job(), 1));

  const testing::ScriptedHost forth("50 41 54", "50 41 58", /*ask=*/false);
  const testing::ScriptedHost back("50 41 58", "50 41 54", /*ask=*/false);
  const std::vector<std::string> one = WalkNews(root_.path(), RunMode::kReplaceAll, forth.job(), 1);
  // The listing decides which of the two names comes first.
  const bool d0_first = std::find(one.begin(), one.end(), "start d0/f3") <
                        std::find(one.begin(), one.end(), "start d2/second-name");
  const std::string first = d0_first ? "d0/f3" : "d2/second-name";
  const std::string second = d0_first ? "d2/second-name" : "d0/f3";
  EXPECT_EQ(NewsOf(one, first), (std::vector<std::string>{"start " + first, "written " + first + " 21",
                                                         "written " + first + " 24", "written " + first + " 27",
                                                         "done " + first + " 3 3"}));
  EXPECT_EQ(NewsOf(one, second), (std::vector<std::string>{"start " + second, "done " + second + " 0 0 met before"}));
  const std::string many_once = testing::ReadText(root_ / "d1" / "many");
  WalkNews(root_.path(), RunMode::kReplaceAll, back.job(), 1);
  ASSERT_TRUE(testing::ReadText(root_ / "d1" / "many") == many);
  EXPECT_EQ(WalkNews(root_.path(), RunMode::kReplaceAll, forth.job(), 4), one);
  EXPECT_TRUE(testing::ReadText(root_ / "d1" / "many") == many_once);
  EXPECT_EQ(testing::ReadText(root_ / "d2" / "second-name"), std::string(21, '.') + "PAXPAXPAX");
}

#ifdef __linux__
// The resident memory of this process, in bytes.
std::size_t ResidentBytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stoul(line.substr(6)) * 1024;
  }
  return 0;
}

// A reader that takes its first line only after a second, as a pager does: the workers wait
// for it rather than keep millions of occurrences (100 bytes each) in memory meanwhile.
TEST_F(WalkDirectoryTest, ASlowReaderMakesTheWorkersWaitInsteadOfMemoryGrowing) {
  testing::WriteFile(root_ / "zeros", Bytes(std::size_t{4} << 20, 0));
  class SlowHost : public testing::ScriptedHost {
   public:
    SlowHost() : ScriptedHost("00", "", false) {}
    void Listed(const std::filesystem::path&, const Match&) override {
      if (listed++ > 0) return;
      std::this_thread::sleep_for(std::chrono::seconds(1));
      grown = static_cast<std::int64_t>(ResidentBytes()) - static_cast<std::int64_t>(before);
    }
    std::size_t before = ResidentBytes();
    std::int64_t grown = 0;
    std::size_t listed = 0;
  } host;
  WalkOptions options;
  options.threads = 2;
  WalkDirectory(root_.path(), RunMode::kList, host.job(), host, options);
  EXPECT_EQ(host.listed, std::size_t{4} << 20);
  EXPECT_LT(host.grown, std::int64_t{32} << 20);
}
#endif

// The asking run's question is a pause in the middle of a walk. While it is open, another
// program moves the folder being walked away and puts links out of the tree in its place and
// in place of the folder not yet entered: nothing outside the tree is read or written, and
// the folder not yet entered is refused as a link.
TEST_F(WalkDirectoryTest, AFolderSwappedForALinkAfterItsParentWasListedIsNotEntered) {
  testing::TempDir outside;
  for (const char* name : {"f", "g"}) testing::WriteFile(outside / name, "..PAT1");
  for (const char* folder : {"one", "two"}) {
    fs::create_directories(root_ / folder);
    for (const char* name : {"f", "g"}) testing::WriteFile(root_ / folder / name, "PAT1");
  }
  testing::ScriptedHost host("50 41 54 31", "58 58 58 58");
  host.Answer({true, true, true, true, true, true, true, true});
  std::string why_not;
  fs::path other;
  host.OnPrompt([&](const testing::Shown&) {
    if (!other.empty()) return;
    const fs::path walked = host.files().back().parent_path();
    other = walked.filename() == "one" ? root_ / "two" : root_ / "one";
    fs::rename(walked, root_ / "moved");
    fs::remove_all(other);
    why_not = testing::MakeFolderLink(outside.path(), walked);
    if (why_not.empty()) why_not = testing::MakeFolderLink(outside.path(), other);
  });
  WalkDirectory(root_.path(), RunMode::kAsk, host.job(), host);
  if (!why_not.empty()) GTEST_SKIP() << why_not;
  EXPECT_EQ(testing::ReadFile(outside / "f"), ToBytes("..PAT1"));
  EXPECT_EQ(testing::ReadFile(outside / "g"), ToBytes("..PAT1"));
  EXPECT_EQ(host.unlistable(), (std::vector<fs::path>{other}));
  EXPECT_EQ(host.unlistable_why(), (std::vector<std::string>{"a link took the place of what the walk listed; not followed"}));
}

#ifndef _WIN32
WalkOptions Following(bool follow = true) {
  WalkOptions options;
  options.follow_links = follow;
  return options;
}

// An unpacked image holds absolute links (bin/sh -> /bin/busybox); a walk run as root must
// not follow them into the machine's own files.
TEST_F(WalkDirectoryTest, PassesOverLinksToFilesAndFoldersOutsideTheTreeAndOverAFifo) {
  testing::TempDir outside;
  testing::WriteFile(outside / "victim.txt", "secret PAT1");
  fs::create_directory_symlink(outside.path(), root_ / "link");
  fs::create_symlink(outside / "victim.txt", root_ / "file-link");
  testing::WriteFile(root_ / "own.txt", "own PAT1");
  ASSERT_EQ(mkfifo((root_ / "fifo").c_str(), 0600), 0);
  testing::ScriptedHost host("50 41 54 31", "58 58 58 58");
  WalkDirectory(root_.path(), RunMode::kReplaceAll, host.job(), host);
  EXPECT_EQ(testing::ReadFile(outside / "victim.txt"), ToBytes("secret PAT1"));
  EXPECT_EQ(testing::ReadFile(root_ / "own.txt"), ToBytes("own XXXX"));
  EXPECT_EQ(Names(host.files()), (std::vector<std::string>{"own.txt"}));
}

// The asking run's question is a pause in the middle of a walk: while it is open, another
// program swaps a listed file, or a folder not yet entered, for a link out of the tree.
// Nothing outside the tree is read or written through it.
TEST_F(WalkDirectoryTest, AFileOrFolderSwappedForALinkAfterTheListingIsNotFollowed) {
  testing::TempDir outside;
  for (const char* name : {"f", "g"}) testing::WriteFile(outside / name, "..PAT1");
  fs::create_directories(root_ / "one");
  fs::create_directories(root_ / "two");
  testing::WriteFile(root_ / "one" / "f", "PAT1");
  testing::WriteFile(root_ / "one" / "g", "PAT1");
  testing::WriteFile(root_ / "two" / "f", "PAT1");
  testing::ScriptedHost host("50 41 54 31", "58 58 58 58");
  host.Answer({true, true, true, true, true, true});
  std::vector<fs::path> swapped;
  host.OnPrompt([&](const testing::Shown&) {
    if (!swapped.empty()) return;
    // The folder being walked and the file asked about are in the tree's listing already;
    // its sibling file (listed with it) and the other folder are met only after the question.
    const fs::path asked = host.files().back();
    const fs::path folder = asked.parent_path();
    const fs::path other = folder.filename() == "one" ? root_ / "two" : root_ / "one";
    const fs::path sibling = folder / (asked.filename() == "f" ? "g" : "f");
    fs::remove_all(other);
    fs::create_directory_symlink(outside.path(), other);
    if (fs::exists(sibling)) {
      fs::remove(sibling);
      fs::create_symlink(outside / sibling.filename(), sibling);
    }
    fs::remove(asked);
    fs::create_symlink(outside / asked.filename(), asked);
    swapped = {asked, other};
  });
  WalkDirectory(root_.path(), RunMode::kAsk, host.job(), host);
  ASSERT_EQ(swapped.size(), 2u);
  EXPECT_EQ(testing::ReadFile(outside / "f"), ToBytes("..PAT1"));
  EXPECT_EQ(testing::ReadFile(outside / "g"), ToBytes("..PAT1"));
  EXPECT_EQ(host.prompts()[1].text, "写入文件失败！");
  EXPECT_EQ(host.unlistable(), (std::vector<fs::path>{swapped[1]}));
}

// A link named as the root is the user's choice, as with grep and ripgrep: it is walked.
TEST_F(WalkDirectoryTest, ALinkNamedAsTheRootIsWalked) {
  testing::TempDir outside;
  fs::create_directories(outside / "inside");
  testing::WriteFile(outside / "inside" / "f", "x");
  fs::create_directory_symlink(outside / "inside", root_ / "alias");
  EXPECT_EQ(Names(Walked(root_ / "alias")), (std::vector<std::string>{"f"}));
}

TEST_F(WalkDirectoryTest, FollowingLinksEndsOnACycleAndWalksEachDirectoryOnce) {
  fs::create_directories(root_ / "a" / "b");
  testing::WriteFile(root_ / "a" / "b" / "f", "x");
  fs::create_directory_symlink(root_ / "a", root_ / "a" / "b" / "back");  // a/b/back -> a
  fs::create_directory_symlink(root_ / "a", root_ / "alias");             // a second way into a
  EXPECT_EQ(Names(Walked(root_.path(), Following())), (std::vector<std::string>{"f"}));
  EXPECT_EQ(Names(Walked(root_.path())), (std::vector<std::string>{"f"}));
}

TEST_F(WalkDirectoryTest, FollowingLinksReachesAFileOutsideTheTree) {
  testing::TempDir outside;
  testing::WriteFile(outside / "real", "..abc");
  fs::create_symlink(outside / "real", root_ / "link");
  testing::ScriptedHost host("61 62 63", "", /*ask=*/false);
  WalkDirectory(root_.path(), RunMode::kAsk, host.job(), host, Following());
  EXPECT_EQ(host.prompts().size(), 1u);  // the offset notice for the link's file
}

// A replacement that holds the pattern shows it: a file patched twice would read "xxab".
TEST_F(WalkDirectoryTest, PatchesAFileReachedThroughLinksAndHardLinksOnce) {
  for (const bool follow : {false, true}) {
    testing::WriteFile(root_ / "real", "ab");
    fs::remove(root_ / "symlink");
    fs::remove(root_ / "hardlink");
    fs::create_symlink(root_ / "real", root_ / "symlink");
    fs::create_hard_link(root_ / "real", root_ / "hardlink");
    testing::ScriptedHost host("61 62", "78 61 62", /*ask=*/false);
    WalkDirectory(root_.path(), RunMode::kReplaceAll, host.job(), host, Following(follow));
    EXPECT_EQ(testing::ReadFile(root_ / "real"), ToBytes("xab")) << "follow " << follow;
  }
}

// Links to files met before and after their own names, and a folder reached twice: with links
// followed, every file is met in walk order, and four threads tell what one thread tells.
TEST_F(WalkDirectoryTest, FollowingLinksSeveralThreadsTellTheHostWhatOneThreadTellsIt) {
  for (int d = 0; d < 3; ++d) {
    const fs::path dir = root_ / ("d" + std::to_string(d));
    fs::create_directory(dir);
    for (int f = 0; f < 300; ++f) {
      testing::WriteFile(dir / ("f" + std::to_string(f)), std::string(static_cast<std::size_t>(f % 9), '.') + "PAT");
      if (f % 10 == 0) fs::create_symlink("../d" + std::to_string((d + 1) % 3) + "/f" + std::to_string(f + 1), dir / ("l" + std::to_string(f)));
    }
  }
  fs::create_directory_symlink("d1", root_ / "alias");
  const testing::ScriptedHost forth("50 41 54", "50 41 58", /*ask=*/false);
  const testing::ScriptedHost back("50 41 58", "50 41 54", /*ask=*/false);
  const std::vector<std::string> one = WalkNews(root_.path(), RunMode::kReplaceAll, forth.job(), 1, true);
  EXPECT_EQ(std::count_if(one.begin(), one.end(), [](const std::string& line) { return line.ends_with("met before"); }), 90);
  WalkNews(root_.path(), RunMode::kReplaceAll, back.job(), 1, true);
  EXPECT_EQ(WalkNews(root_.path(), RunMode::kReplaceAll, forth.job(), 4, true), one);
  EXPECT_EQ(testing::ReadText(root_ / "d0" / "f1"), ".PAX");
}

// On an overlay (containers, live systems) two lower layers on different file systems hold
// files whose inode numbers are the same; a walk must still take every one of them.
TEST_F(WalkDirectoryTest, TakesEveryFileOfAnOverlayWhoseLayersShareInodeNumbers) {
  for (const char* dir : {"lower1", "lower2", "upper", "work", "merged"}) fs::create_directory(root_ / dir);
  const int result = testing::RunInChild([&] {
    if (!testing::EnterPrivateMounts().empty()) return 10;
    for (const char* layer : {"lower1", "lower2"}) {
      if (mount("tmpfs", (root_ / layer).c_str(), "tmpfs", 0, "size=1m") != 0) return 10;
    }
    for (int i = 0; i < 12; ++i) {
      if (i < 6) testing::WriteFile(root_ / "lower1" / ("one-" + std::to_string(i)), "..PAT..");
      testing::WriteFile(root_ / "lower2" / ("two-" + std::to_string(i)), "PAT");
    }
    const std::string options = "lowerdir=" + (root_ / "lower1").string() + ":" + (root_ / "lower2").string() +
                                ",upperdir=" + (root_ / "upper").string() + ",workdir=" + (root_ / "work").string();
    if (mount("overlay", (root_ / "merged").c_str(), "overlay", 0, options.c_str()) != 0) return 10;
    int found = 0;
    struct Counting : testing::ScriptedHost {
      using ScriptedHost::ScriptedHost;
      int* found = nullptr;
      void Listed(const fs::path&, const Match&) override { ++*found; }
    } counting("50 41 54", "");
    counting.found = &found;
    WalkDirectory(root_ / "merged", RunMode::kList, counting.job(), counting);
    return found == 18 ? 0 : 1 + found;
  });
  if (result == 10) GTEST_SKIP() << "mounting tmpfs and overlay file systems is not allowed here";
  EXPECT_EQ(result, 0) << "occurrences listed: " << result - 1 << " of 18";
}
#endif

}  // namespace
}  // namespace vantrel
