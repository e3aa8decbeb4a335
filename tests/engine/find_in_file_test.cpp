// FindInFile over real files: results, failures, windows and files beyond 4 GiB.
#include "files/find_in_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>

#include "files/occurrence_search.h"
#include "platform/mapped_file.h"
#include "tests/support/naive_pattern_set.h"
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
          EXPECT_EQ(FindInFile(path, pattern, SearchOptions{window, 0, {}}), at)
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
    EXPECT_EQ(FindInFile(path, pattern, SearchOptions{granule, 0, {}}), testing::NaiveFind(text, pattern)) << round;
  }
}

// Every occurrence the loop hands out, with the caller going on at the next byte each time.
class AllOccurrences : public OccurrenceSink {
 public:
  std::optional<std::int64_t> Found(PatternHit hit) override {
      const std::int64_t offset = hit.offset;
    offsets.push_back(offset);
    return offset + 1;
  }
  std::vector<std::int64_t> offsets;
};

// The loop meets every occurrence where the oracle does, overlapping ones included, whether
// the file is read into memory or mapped in views of one granule that overlap at each boundary.
TEST_F(FindInFileTest, TheOccurrenceLoopMeetsEveryOccurrenceReadOrMapped) {
  const auto granule = os::MapGranularity();
  std::mt19937 rng(17);
  const auto path = dir_ / "all.bin";
  for (int round = 0; round < 30; ++round) {
    const Bytes text = testing::RandomBytes(rng, granule * 3 + rng() % granule, 3);
    const Bytes pattern = testing::RandomBytes(rng, 1 + rng() % 6, 3);
    testing::WriteFile(path, text);
    const PatternFinder finder(pattern);
    for (const SearchOptions& options : {SearchOptions{granule, 0, {}}, SearchOptions{}}) {
      Result<FileSource> source = FileSource::Open(path, options);
      ASSERT_TRUE(source.ok());
      EXPECT_EQ(source->mapped(), options.read_limit == 0);
      AllOccurrences all;
      ASSERT_TRUE(SearchOccurrences(*source, finder, all).ok());
      EXPECT_EQ(all.offsets, testing::NaiveOccurrences(text, pattern, 1)) << "round " << round << " read limit " << options.read_limit;
    }
  }
}

// A set of patterns of different lengths, some with unknown nibbles, searched in views of one
// granule: each hit is the oracle's (earliest start, then the pattern listed first), also
// where a longer pattern would reach past a view's end, and the caller goes on behind it.
TEST_F(FindInFileTest, TheOccurrenceLoopFindsASetAsTheOracleDoesAcrossViews) {
  const auto granule = os::MapGranularity();
  std::mt19937 rng(23);
  const auto path = dir_ / "set.bin";
  for (int round = 0; round < 40; ++round) {
    const Bytes text = testing::RandomBytes(rng, granule * 2 + rng() % granule, 2);
    std::vector<MaskedPattern> patterns;
    for (std::size_t i = 0, count = 1 + rng() % 4; i < count; ++i) {
      MaskedPattern pattern = ExactPattern(testing::RandomBytes(rng, 1 + rng() % 14, 2));
      if (rng() % 3 == 0) pattern.mask[rng() % pattern.size()] = 0xF0;
      for (std::size_t k = 0; k < pattern.size(); ++k) pattern.bytes[k] &= pattern.mask[k];
      patterns.push_back(pattern);
    }
    testing::WriteFile(path, text);
    const PatternSetFinder finder(patterns);
    Result<FileSource> source = FileSource::Open(path, SearchOptions{granule, 0, {}});
    ASSERT_TRUE(source.ok());
    class Collect : public OccurrenceSink {
     public:
      explicit Collect(const std::vector<MaskedPattern>& set) : set_(set) {}
      std::optional<std::int64_t> Found(PatternHit hit) override {
        hits.push_back(hit);
        return hit.offset + static_cast<std::int64_t>(set_[hit.index].size());
      }
      std::vector<PatternHit> hits;
     private:
      const std::vector<MaskedPattern>& set_;
    } found(patterns);
    ASSERT_TRUE(SearchOccurrences(*source, finder, found).ok());
    std::vector<PatternHit> expected;
    for (std::size_t from = 0;;) {
      const PatternHit hit = testing::NaiveFindAny(Bytes(text.begin() + static_cast<std::ptrdiff_t>(from), text.end()), patterns);
      if (!hit.found()) break;
      expected.push_back({hit.offset + static_cast<std::int64_t>(from), hit.index});
      from += static_cast<std::size_t>(hit.offset) + patterns[hit.index].size();
    }
    EXPECT_EQ(found.hits, expected) << "round " << round;
  }
}

// A view the platform cannot map (a 32-bit process short of address space) is tried again
// smaller, down to one granule, and the search still finds what one view finds; when even a
// granule cannot be mapped, the reason is reported.
TEST_F(FindInFileTest, AViewThatCannotBeMappedIsTriedSmaller) {
  const auto granule = os::MapGranularity();
  const auto path = dir_ / "tight.bin";
  Bytes content(granule * 6, '.');
  std::copy_n("needle", 6, content.end() - 7);
  testing::WriteFile(path, content);
  std::vector<std::size_t> asked;
  SearchOptions tight{granule * 4, 0, [&](const os::MappedFile& file, std::int64_t offset, std::size_t size) {
                        asked.push_back(size);
                        if (size > granule * 2) return Result<os::MappedView>(SystemError{12, "no room"});
                        return file.Map(offset, size);
                      }};
  SystemError why;
  EXPECT_EQ(FindInFile(path, PatternFinder(ToBytes("needle")), tight, why), static_cast<std::int64_t>(granule * 6 - 7));
  ASSERT_GE(asked.size(), 3u);
  EXPECT_GT(asked[0], granule * 2);
  EXPECT_LE(asked.back(), granule * 2);

  SearchOptions none{granule, 0, [](const os::MappedFile&, std::int64_t, std::size_t) {
                       return Result<os::MappedView>(SystemError{12, "no room"});
                     }};
  EXPECT_EQ(FindInFile(path, PatternFinder(ToBytes("needle")), none, why), FIND_OPEN_FAILED);
  EXPECT_EQ(why.message, "no room");
}

#ifdef __linux__
// A proc file says its size is 0: it is read until a read gives nothing, whatever the limit
// for reading files into memory, and searched whole.
TEST_F(FindInFileTest, AFileWhoseSizeSaysZeroIsSearchedToItsEnd) {
  const std::filesystem::path path = "/proc/version";
  std::ifstream in(path, std::ios::binary);
  const Bytes text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(text.size(), 16u);
  ASSERT_EQ(std::filesystem::file_size(path), 0u);
  for (const std::int64_t read_limit : {std::int64_t{8}, kDefaultReadLimit}) {
    Result<FileSource> source = FileSource::Open(path, SearchOptions{os::MapGranularity(), read_limit, {}});
    ASSERT_TRUE(source.ok()) << source.error().message;
    EXPECT_EQ(source->length(), static_cast<std::int64_t>(text.size())) << read_limit;
    AllOccurrences all;
    ASSERT_TRUE(SearchOccurrences(*source, PatternFinder(ToBytes(" ")), all).ok());
    EXPECT_EQ(all.offsets, testing::NaiveOccurrences(text, ToBytes(" "), 1)) << read_limit;
    EXPECT_FALSE(all.offsets.empty());
  }
}
#endif

#ifndef _WIN32
// A file cut short while it is searched through a view (a log rotated, another program
// truncating it) is a reported failure, never a signal that ends the program.
TEST_F(FindInFileTest, AFileCutShortUnderTheSearchIsAnErrorNotACrash) {
  const auto path = dir_ / "shrinking.bin";
  Bytes content(std::size_t{8} << 20, '.');
  std::copy_n("ab", 2, content.begin());
  testing::WriteFile(path, content);
  Result<FileSource> source = FileSource::Open(path, SearchOptions{std::size_t{16} << 20, 0, {}});
  ASSERT_TRUE(source.ok());
  class CutAtFirst : public OccurrenceSink {
   public:
    explicit CutAtFirst(std::filesystem::path file) : file_(std::move(file)) {}
    std::optional<std::int64_t> Found(PatternHit hit) override {
      const std::int64_t offset = hit.offset;
      std::filesystem::resize_file(file_, 0);
      return offset + 1;
    }
   private:
    std::filesystem::path file_;
  } cut(path);
  const Result<void> searched = SearchOccurrences(*source, PatternFinder(ToBytes("zz")), cut);
  ASSERT_TRUE(searched.ok()) << "no occurrence, no cut: the search went through";
  const Result<void> cut_short = SearchOccurrences(*source, PatternFinder(ToBytes("ab")), cut);
  ASSERT_FALSE(cut_short.ok());
  EXPECT_EQ(cut_short.error().message, "the file became shorter while it was being read");
}
#endif

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
