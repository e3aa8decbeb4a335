// Opening below a walk's root: what the walk listed opens, a link in its place does not.
#include "platform/tree_root.h"

#include <gtest/gtest.h>

#include "files/file_source.h"
#include "platform/update_file.h"
#include "tests/support/folder_link.h"
#include "tests/support/temp_dir.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>

#include "platform/posix/open_regular_file.h"
#endif

namespace vantrel {
namespace {

namespace fs = std::filesystem;

class TreeRootTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir_ / "tree" / "sub");
    fs::create_directories(dir_ / "out");
    testing::WriteFile(dir_ / "tree" / "sub" / "f", "inside");
    testing::WriteFile(dir_ / "out" / "f", "outside");
  }
  // Makes a link; false where the platform lets no test make one (Windows without the right).
  static bool Link(const fs::path& target, const fs::path& link, bool folder) {
    std::error_code error;
    if (folder) fs::create_directory_symlink(target, link, error);
    else fs::create_symlink(target, link, error);
    return !error;
  }
  testing::TempDir dir_;
};

TEST_F(TreeRootTest, FilesBelowTheRootOpenForReadingAndWriting) {
  Result<os::TreeRoot> root = os::TreeRoot::Open(dir_ / "tree");
  ASSERT_TRUE(root.ok());
  Result<FileSource> source = FileSource::Open(dir_ / "tree" / "sub" / "f", {}, nullptr, &*root);
  ASSERT_TRUE(source.ok()) << source.error().message;
  EXPECT_EQ(source->length(), 6);
  EXPECT_TRUE(os::UpdateFile::Open(dir_ / "tree" / "sub" / "f", &*root).ok());
  EXPECT_FALSE(FileSource::Open(dir_ / "tree" / "sub", {}, nullptr, &*root).ok()) << "a folder is no file";
}

TEST_F(TreeRootTest, ALinkInPlaceOfTheFileIsRefused) {
  if (!Link(dir_ / "out" / "f", dir_ / "tree" / "link", false)) GTEST_SKIP() << "no links here";
  Result<os::TreeRoot> root = os::TreeRoot::Open(dir_ / "tree");
  ASSERT_TRUE(root.ok());
  EXPECT_FALSE(FileSource::Open(dir_ / "tree" / "link", {}, nullptr, &*root).ok());
  EXPECT_FALSE(os::UpdateFile::Open(dir_ / "tree" / "link", &*root).ok());
  EXPECT_TRUE(FileSource::Open(dir_ / "tree" / "link").ok()) << "a file named by the user is followed";
}

// No name below the root may be a link: a folder swapped for one is refused too (on POSIX by
// the kernel's resolution beneath a descriptor and by the portable walk of each folder alike,
// on Windows by each folder's own open).
TEST_F(TreeRootTest, ALinkInPlaceOfAFolderOnTheWayIsRefusedAndSaysSo) {
  fs::remove_all(dir_ / "tree" / "sub");
  if (const std::string why_not = testing::MakeFolderLink(dir_ / "out", dir_ / "tree" / "sub"); !why_not.empty()) {
    GTEST_SKIP() << why_not;
  }
  Result<os::TreeRoot> root = os::TreeRoot::Open(dir_ / "tree");
  ASSERT_TRUE(root.ok());
  Result<FileSource> through = FileSource::Open(dir_ / "tree" / "sub" / "f", {}, nullptr, &*root);
  ASSERT_FALSE(through.ok());
  EXPECT_EQ(through.error().message, "a link took the place of what the walk listed; not followed");
  EXPECT_FALSE(os::UpdateFile::Open(dir_ / "tree" / "sub" / "f", &*root).ok());
#ifndef _WIN32
  const int top = static_cast<int>(root->handle());
  EXPECT_FALSE(os::posix::OpenEachBelow(top, "sub/f", O_RDONLY).ok());
  EXPECT_FALSE(os::posix::OpenEachBelow(top, "sub", O_RDONLY | O_DIRECTORY).ok());
  EXPECT_FALSE(os::posix::OpenBelow(*root, dir_ / "elsewhere" / "f", O_RDONLY).ok()) << "not below the root";
#endif
}

#ifndef _WIN32
TEST_F(TreeRootTest, ThePortableWalkOfEachFolderOpensWhatIsThere) {
  Result<os::TreeRoot> root = os::TreeRoot::Open(dir_ / "tree");
  ASSERT_TRUE(root.ok());
  const int top = static_cast<int>(root->handle());
  for (const char* names : {"sub/f", "sub//f", "./sub/f"}) {
    Result<int> fd = os::posix::OpenEachBelow(top, names, O_RDONLY);
    ASSERT_TRUE(fd.ok()) << names;
    char text[8] = {};
    EXPECT_EQ(read(*fd, text, sizeof text), 6) << names;
    EXPECT_STREQ(text, "inside");
    close(*fd);
  }
  EXPECT_FALSE(os::posix::OpenEachBelow(top, "sub/missing", O_RDONLY).ok());
}
#endif

// A root that is itself a link is the user's choice: it is followed.
TEST_F(TreeRootTest, ARootNamedThroughALinkIsFollowed) {
  if (!Link(dir_ / "tree", dir_ / "alias", true)) GTEST_SKIP() << "no links here";
  Result<os::TreeRoot> root = os::TreeRoot::Open(dir_ / "alias");
  ASSERT_TRUE(root.ok());
  EXPECT_TRUE(FileSource::Open(dir_ / "alias" / "sub" / "f", {}, nullptr, &*root).ok());
}

}  // namespace
}  // namespace vantrel
