// FindInFile over real files: results, failures, windows and files beyond 4 GiB.
#include "engine/find_in_file.h"

#include <gtest/gtest.h>

#include <random>

#include "engine/file_search.h"
#include "engine/os/mapped_file.h"
#include "tests/support/random_bytes.h"
#include "tests/support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace vantrel {
namespace {

using testing::ToBytes;

class FindInFileTest : public ::testing::Test {
 protected:
  std::filesystem::path File(std::string_view content) {
    const auto path = dir_ / ("f" + std::to_string(count_++));
    testing::WriteFile(path, content);
    return path;
  }
  testing::TempDir dir_;
  int count_ = 0;
};

TEST_F(FindInFileTest, FindsThePatternAtTheStartAndAsTheLastBytes) {
  EXPECT_EQ(FindInFile(File("abcdef"), ToBytes("abc")), 0);
  EXPECT_EQ(FindInFile(File("abcdef"), ToBytes("def")), 3);
}

TEST_F(FindInFileTest, GivesTheLowerOfTwoOccurrences) { EXPECT_EQ(FindInFile(File("..ab..ab"), ToBytes("ab")), 2); }

TEST_F(FindInFileTest, ReportsNotFoundForAPatternLongerThanTheFileOrOnlyAcrossItsEnd) {
  EXPECT_EQ(FindInFile(File("ab"), ToBytes("abc")), FIND_NOT_FOUND);
  EXPECT_EQ(FindInFile(File("xxabc"), Bytes{'a', 'b', 'c', 0}), FIND_NOT_FOUND);
}

TEST_F(FindInFileTest, ReportsNotFoundForAnEmptyFile) { EXPECT_EQ(FindInFile(File(""), ToBytes("a")), FIND_NOT_FOUND); }

TEST_F(FindInFileTest, ReportsAnOpenFailureForAMissingPathAndForADirectory) {
  EXPECT_EQ(FindInFile(dir_ / "missing", ToBytes("a")), FIND_OPEN_FAILED);
  EXPECT_EQ(FindInFile(dir_.path(), ToBytes("a")), FIND_OPEN_FAILED);
}

TEST_F(FindInFileTest, FindsAnEmptyPatternAtZeroOfANonEmptyFile) { EXPECT_EQ(FindInFile(File("x"), Bytes{}), 0); }

TEST_F(FindInFileTest, GetFileLengthMeasuresTheFileOrGivesMinusOne) {
  EXPECT_EQ(GetFileLength(File("12345")), 5);
  EXPECT_EQ(GetFileLength(File("")), 0);
  EXPECT_EQ(GetFileLength(dir_ / "missing"), -1);
}

TEST_F(FindInFileTest, FindsNamesOutsideAnyAnsiCodePage) {
  const auto path = dir_ / std::filesystem::path(u8"файл-文件-😀.bin");
  testing::WriteFile(path, "..needle..");
  EXPECT_EQ(FindInFile(path, ToBytes("needle")), 2);
}

// Views of a few granules with the pattern just before, across and after each boundary:
// the result must be what one view of the whole file gives.
TEST_F(FindInFileTest, WindowedSearchFindsWhatOneViewFinds) {
  const auto granule = static_cast<std::int64_t>(os::MapGranularity());
  const std::int64_t length = granule * 5 + 123;
  std::mt19937 rng(5);
  const Bytes base = testing::RandomBytes(rng, static_cast<std::size_t>(length), 2);
  const auto path = dir_ / "windows.bin";
  for (std::size_t n : {1u, 2u, 7u, 86u}) {
    for (std::int64_t boundary : {granule, granule * 2, granule * 4}) {
      for (std::int64_t shift : {-static_cast<std::int64_t>(n), std::int64_t{-1}, std::int64_t{0}, std::int64_t{1}}) {
        // The pattern is a run of 0x07 bytes, which the base (bytes 0 and 1) never holds.
        Bytes content = base;
        const std::int64_t at = boundary + shift;
        std::fill_n(content.begin() + static_cast<std::ptrdiff_t>(at), n, std::uint8_t{7});
        testing::WriteFile(path, content);
        const Bytes pattern(n, 7);
        for (std::size_t window : {static_cast<std::size_t>(granule), static_cast<std::size_t>(granule * 2)}) {
          EXPECT_EQ(FindInFile(path, pattern, SearchOptions{window}), at)
              << "n " << n << " boundary " << boundary << " shift " << shift << " window " << window;
        }
        EXPECT_EQ(FindInFile(path, pattern), at);
      }
    }
  }
}

TEST_F(FindInFileTest, WindowedSearchAgreesWithTheOracleOnRandomFiles) {
  const auto granule = os::MapGranularity();
  std::mt19937 rng(99);
  const auto path = dir_ / "random.bin";
  for (int round = 0; round < 40; ++round) {
    const Bytes text = testing::RandomBytes(rng, granule * 3 + rng() % granule, 3);
    Bytes pattern = testing::RandomBytes(rng, 1 + rng() % 12, 3);
    testing::WriteFile(path, text);
    EXPECT_EQ(FindInFile(path, pattern, SearchOptions{granule}), testing::NaiveFind(text, pattern)) << round;
  }
}

// A search in bounded steps, each taking up where the last one stopped, meets every
// occurrence exactly where one unbounded search meets it, also across view boundaries and
// when an occurrence starts just before a step's end and reaches past it.
TEST_F(FindInFileTest, SearchInStepsFindsWhatOneSearchFinds) {
  const auto granule = os::MapGranularity();
  std::mt19937 rng(17);
  const auto path = dir_ / "steps.bin";
  for (int round = 0; round < 30; ++round) {
    const Bytes text = testing::RandomBytes(rng, granule * 3 + rng() % granule, 3);
    const Bytes pattern = testing::RandomBytes(rng, 1 + rng() % 6, 3);
    testing::WriteFile(path, text);
    Result<os::MappedFile> file = os::MappedFile::Open(path);
    ASSERT_TRUE(file.ok());
    const PatternFinder finder(pattern);
    FileSearch whole(*file, finder, SearchOptions{granule});
    FileSearch stepped(*file, finder, SearchOptions{granule});
    const std::int64_t step = 1 + static_cast<std::int64_t>(rng() % 5000);
    std::int64_t from = 0;
    while (from < file->length()) {
      Result<std::int64_t> expected = whole.FindFrom(from);
      ASSERT_TRUE(expected.ok());
      std::int64_t found = -1;
      for (std::int64_t at = from; found < 0 && at < file->length(); at += step) {
        Result<std::int64_t> hit = stepped.FindFrom(at, at + step);
        ASSERT_TRUE(hit.ok());
        if (*hit >= 0) {
          EXPECT_LT(*hit, at + step) << "round " << round;
          found = *hit;
        }
      }
      ASSERT_EQ(found, *expected) << "round " << round << " from " << from << " step " << step;
      if (found < 0) break;
      from = found + 1;
    }
  }
}

TEST_F(FindInFileTest, SearchInStepsHonoursTheEndOfTheStep) {
  const auto path = File("..abc..abc");
  Result<os::MappedFile> file = os::MappedFile::Open(path);
  ASSERT_TRUE(file.ok());
  const PatternFinder finder(ToBytes("abc"));
  FileSearch search(*file, finder);
  EXPECT_EQ(*search.FindFrom(0, 2), -1);  // the first occurrence starts at 2, not before
  EXPECT_EQ(*search.FindFrom(0, 3), 2);   // it starts before 3 and ends after it
  EXPECT_EQ(*search.FindFrom(3, 7), -1);
  EXPECT_EQ(*search.FindFrom(3, 100), 7);
  const PatternFinder empty(Bytes{});
  FileSearch anything(*file, empty);
  EXPECT_EQ(*anything.FindFrom(4, 5), 4);  // an empty pattern matches wherever a byte is
}

// A sparse file of 4 GiB + 1 MiB with the pattern beyond 4 GiB, so neither a 32-bit offset nor
// a single view in a 32-bit process could find it.
TEST_F(FindInFileTest, FindsAPatternBeyondFourGibInASparseFile) {
  const std::int64_t four_gib = std::int64_t{1} << 32;
  const std::int64_t at = four_gib + 0x1A2B;
  const auto path = dir_ / "huge.bin";
  testing::WriteSparseFile(path, four_gib + (1 << 20), {{at, ToBytes("NEEDLE")}});
  EXPECT_EQ(GetFileLength(path), four_gib + (1 << 20));
  EXPECT_EQ(FindInFile(path, ToBytes("NEEDLE")), at);
  EXPECT_EQ(FindInFile(path, ToBytes("NEEDLE?")), FIND_NOT_FOUND);
}

#ifdef _WIN32
TEST_F(FindInFileTest, ReportsAnOpenFailureForAFileOpenedElsewhereWithoutSharing) {
  const auto path = File("locked needle");
  HANDLE locked = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(locked, INVALID_HANDLE_VALUE);
  EXPECT_EQ(FindInFile(path, ToBytes("needle")), FIND_OPEN_FAILED);
  CloseHandle(locked);
  EXPECT_EQ(FindInFile(path, ToBytes("needle")), 7);
}

TEST_F(FindInFileTest, SearchesAFileOthersHoldOpenForReadingAndWriting) {
  const auto path = File("shared needle");
  HANDLE shared = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(shared, INVALID_HANDLE_VALUE);
  EXPECT_EQ(FindInFile(path, ToBytes("needle")), 7);
  CloseHandle(shared);
}
#endif

}  // namespace
}  // namespace vantrel
