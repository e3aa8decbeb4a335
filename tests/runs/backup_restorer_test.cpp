// The restore of a walk's backups (RunMode::kRestore): only the backups the records hold,
// each checked whole and put back, and nothing opened through a link, even one that takes
// the place of a listed name or folder while the walk is on.
#include "runs/backup_restorer.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

#include "platform/crc32.h"
#include "platform/file_copy.h"
#include "runs/walk_directory.h"
#include "tests/support/folder_link.h"
#include "tests/support/scripted_host.h"
#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using Restore = FileOutcome::Restore;

const std::string kOriginal = "ORIGINAL bytes";
const std::string kPatched = "PATCHED! bytes, longer";

// Records of backups made, by the backup's path. Asking them is the walk's pause between the
// listing and the opening of a backup, in which another program may act (on_find).
class Records : public BackupRecordCheck {
 public:
  void Add(const fs::path& file) {
    const Bytes bytes = testing::ToBytes(kOriginal);
    made_[(fs::path(file) += ".bak").string()] = {file.string(), (fs::path(file) += ".bak").string(),
                                                  static_cast<std::int64_t>(bytes.size()), Crc32(bytes)};
  }
  std::optional<journal::BackupMade> Find(const fs::path& backup, const fs::path& file) const override {
    if (on_find) on_find(backup);
    const auto found = made_.find(backup.string());
    if (found == made_.end() || found->second.path != file.string()) return std::nullopt;
    return found->second;
  }
  std::function<void(const fs::path&)> on_find;

 private:
  std::map<std::string, journal::BackupMade> made_;
};

class RestoreHost : public testing::ScriptedHost {
 public:
  RestoreHost() : ScriptedHost("", "") {}
  void FileDone(const fs::path& path, const FileOutcome& outcome) override { done[path.filename().string()] = outcome; }
  std::map<std::string, FileOutcome> done;  // by the backup's name
};

class BackupRestorerTest : public ::testing::Test {
 protected:
  // A file patched by a run, and its backup, recorded.
  void Patched(const fs::path& file, bool recorded = true) {
    fs::create_directories(file.parent_path());
    testing::WriteFile(file, kPatched);
    testing::WriteFile(fs::path(file) += ".bak", kOriginal);
    if (recorded) records_.Add(file);
  }
  void Walk(unsigned threads = 1) {
    RunJob job = host_.job();
    job.restore = &restore_;
    WalkOptions options;
    options.threads = threads;
    options.choice.name_ending = restore_.suffix.native();
    WalkDirectory(tree_.path(), RunMode::kRestore, job, host_, options);
  }

  testing::TempDir tree_;
  testing::TempDir outside_;
  Records records_;
  RestoreJob restore_{".bak", &records_};
  RestoreHost host_;
};

TEST_F(BackupRestorerTest, PutsBackTheRecordedBackupsOfATreeAndPassesOverTheOthers) {
  Patched(tree_ / "a");
  Patched(tree_ / "sub" / "b");
  Patched(tree_ / "mine", /*recorded=*/false);
  testing::WriteFile(tree_ / "plain", "not a backup");
  Walk(/*threads=*/2);
  EXPECT_EQ(testing::ReadText(tree_ / "a"), kOriginal);
  EXPECT_EQ(testing::ReadText(tree_ / "sub" / "b"), kOriginal);
  EXPECT_FALSE(fs::exists(tree_ / "a.bak"));
  EXPECT_FALSE(fs::exists(tree_ / "sub" / "b.bak"));
  EXPECT_EQ(testing::ReadText(tree_ / "mine"), kPatched);
  EXPECT_EQ(testing::ReadText(tree_ / "mine.bak"), kOriginal);
  ASSERT_EQ(host_.done.size(), 3u) << "only the names with the suffix are taken";
  EXPECT_EQ(host_.done["a.bak"].restore, Restore::kPutBack);
  EXPECT_EQ(host_.done["a.bak"].restored_file, tree_ / "a");
  EXPECT_EQ(host_.done["a.bak"].written, 1);
  EXPECT_EQ(host_.done["b.bak"].restore, Restore::kPutBack);
  EXPECT_EQ(host_.done["mine.bak"].restore, Restore::kNotOurs);
  EXPECT_FALSE(host_.done["mine.bak"].failed()) << "passed over in a walk";
}

// At the pause before the first backup is opened, another program moves the folder being
// walked away and puts links to a folder out of the tree in its place and in place of the
// folder not yet entered. The outside folder holds a patched file and a whole backup the
// records would take: neither is read, written or removed, and the folder not yet entered is
// refused as a link.
TEST_F(BackupRestorerTest, AFolderSwappedForALinkAfterTheListingIsNotFollowed) {
  for (const char* folder : {"one", "two"}) Patched(tree_ / folder / "f");
  testing::WriteFile(outside_ / "f", kPatched);
  testing::WriteFile(outside_ / "f.bak", kOriginal);
  std::string why_not;
  fs::path walked;
  fs::path other;
  records_.on_find = [&](const fs::path& backup) {
    if (!walked.empty()) return;
    walked = backup.parent_path();
    other = walked.filename() == "one" ? tree_ / "two" : tree_ / "one";
    fs::rename(walked, tree_ / "moved");
    fs::remove_all(other);
    why_not = testing::MakeFolderLink(outside_.path(), walked);
    if (why_not.empty()) why_not = testing::MakeFolderLink(outside_.path(), other);
  };
  Walk();
  if (!why_not.empty()) GTEST_SKIP() << why_not;
  EXPECT_EQ(testing::ReadText(outside_ / "f"), kPatched);
  EXPECT_EQ(testing::ReadText(outside_ / "f.bak"), kOriginal);
  EXPECT_EQ(host_.unlistable(), (std::vector<fs::path>{other}));
  ASSERT_EQ(host_.done.size(), 1u);
  const FileOutcome& walked_backup = host_.done["f.bak"];
#ifdef _WIN32
  // Each name is opened relative to the handle of the very folder that was listed, wherever
  // it was moved: that folder's backup is put back there.
  EXPECT_EQ(walked_backup.restore, Restore::kPutBack);
  EXPECT_EQ(testing::ReadText(tree_ / "moved" / "f"), kOriginal);
#else
  // Each name is resolved below the root again: the link in the folder's place is refused.
  EXPECT_EQ(walked_backup.restore, Restore::kLeftAlone);
  EXPECT_EQ(walked_backup.error.message, "a link took the place of what the walk listed; not followed");
  EXPECT_EQ(testing::ReadText(tree_ / "moved" / "f"), kPatched);
#endif
}

// At the pause, the backup of one file and another file are swapped for links to files out
// of the tree that would pass every check: no backup is read through a link, and no file is
// written through one.
TEST_F(BackupRestorerTest, ABackupOrAFileSwappedForALinkAfterTheListingIsNotFollowed) {
  Patched(tree_ / "x");
  Patched(tree_ / "y");
  testing::WriteFile(outside_ / "x.bak", kOriginal);
  testing::WriteFile(outside_ / "y", kPatched);
  std::error_code error;
  std::set<fs::path> swapped;
  records_.on_find = [&](const fs::path& backup) {
    if (!swapped.empty() || error) return;
    fs::remove(tree_ / "x.bak");
    fs::create_symlink(outside_ / "x.bak", tree_ / "x.bak", error);
    fs::remove(tree_ / "y");
    if (!error) fs::create_symlink(outside_ / "y", tree_ / "y", error);
    swapped.insert(backup);
  };
  Walk();
  if (error) GTEST_SKIP() << "no symbolic links here: " << error.message();
  EXPECT_EQ(testing::ReadText(outside_ / "y"), kPatched);
  EXPECT_TRUE(fs::exists(outside_ / "x.bak"));
  EXPECT_EQ(testing::ReadText(tree_ / "x"), kPatched);
  EXPECT_EQ(testing::ReadText(tree_ / "y.bak"), kOriginal) << "a backup not put back stays";
  EXPECT_EQ(host_.done["x.bak"].restore, Restore::kLeftAlone);
  EXPECT_TRUE(os::IsLinkRefused(host_.done["x.bak"].error)) << host_.done["x.bak"].error.message;
  EXPECT_EQ(host_.done["y.bak"].restore, Restore::kNotPutBack);
  EXPECT_TRUE(os::IsLinkRefused(host_.done["y.bak"].error)) << host_.done["y.bak"].error.message;
}

}  // namespace
}  // namespace vantrel
