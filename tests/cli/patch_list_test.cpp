// Patch lists read as text: the sides, the escapes, and a clear FILE:LINE for a bad line.
#include "cli/patch_list.h"

#include <gtest/gtest.h>

namespace vantrel::cli {
namespace {

constexpr vantrel::os::CodePage kGbk{936};

std::vector<PatchPair> Pairs(std::string_view text) {
  auto parsed = ParsePatchList(text, "fr.patch", kGbk);
  if (auto* problem = std::get_if<std::string>(&parsed)) ADD_FAILURE() << *problem;
  if (auto* pairs = std::get_if<std::vector<PatchPair>>(&parsed)) return *pairs;
  return {};
}

std::string Problem(std::string_view text) {
  auto parsed = ParsePatchList(text, "fr.patch", kGbk);
  if (auto* problem = std::get_if<std::string>(&parsed)) return *problem;
  ADD_FAILURE() << "no problem found";
  return {};
}

TEST(PatchListTest, HexSidesTakeWildcardNibblesAndTextSidesTheirForm) {
  const auto pairs = Pairs("E8 ?? 4? ?0 => 90 ?? 41 ?0\n"
                           "ascii:\"试用\" => utf8:\"é\"\n"
                           "unicode:\"ab\" => 00FF\n");
  ASSERT_EQ(pairs.size(), 3u);
  EXPECT_EQ(PatternText(pairs[0].find), "E8 ?? 4? ?0");
  EXPECT_EQ(PatternText(pairs[0].replacement), "90 ?? 41 ?0");
  EXPECT_EQ(pairs[1].find.bytes, (Bytes{0xCA, 0xD4, 0xD3, 0xC3}));  // GBK, no terminating zero
  EXPECT_EQ(pairs[1].replacement.bytes, (Bytes{0xC3, 0xA9}));
  EXPECT_EQ(pairs[2].find.bytes, (Bytes{'a', 0, 'b', 0}));
  EXPECT_EQ((std::vector<std::size_t>{pairs[0].line, pairs[1].line, pairs[2].line}), (std::vector<std::size_t>{1, 2, 3}));
}

TEST(PatchListTest, EscapesAreBytesInNarrowFormsAndCharactersInUnicode) {
  const auto pairs = Pairs(R"(ascii:"a\"b\\c\0\xFF" => unicode:"x\0\x41\"")");
  ASSERT_EQ(pairs.size(), 1u);
  EXPECT_EQ(pairs[0].find.bytes, (Bytes{'a', '"', 'b', '\\', 'c', 0, 0xFF}));
  EXPECT_EQ(pairs[0].replacement.bytes, (Bytes{'x', 0, 0, 0, 0x41, 0, '"', 0}));
}

TEST(PatchListTest, BlankLinesCommentsAndWindowsLineEndsAreLeftOut) {
  const auto pairs = Pairs("\xEF\xBB\xBF# a list\r\n\r\n   \t\r\n  # indented comment\r\n41 => 42\r\n");
  ASSERT_EQ(pairs.size(), 1u);
  EXPECT_EQ(pairs[0].line, 5u);
  EXPECT_EQ(pairs[0].replacement.bytes, (Bytes{0x42}));
}

TEST(PatchListTest, ABadLineIsNamedWithItsFileLineAndReason) {
  EXPECT_EQ(Problem("41 => 42\n41 42\n"), "fr.patch:2: no '=>' between the pattern and its replacement");
  EXPECT_EQ(Problem("4G => 42"), "fr.patch:1: the pattern: 'G' is no hex digit, '?' or blank (a text side is written ascii:\"...\")");
  EXPECT_EQ(Problem("414 => 42"), "fr.patch:1: the pattern: an odd number of hex digits: '414 '");
  EXPECT_EQ(Problem("ascii:\"abc => 42"), "fr.patch:1: the pattern: a text side has no closing quote");
  EXPECT_EQ(Problem("ascii:\"a\\q\" => 42"),
            "fr.patch:1: the pattern: unknown escape '\\q' (the escapes are \\\", \\\\, \\0 and \\xNN)");
  EXPECT_EQ(Problem("ascii:\"\" => 42"), "fr.patch:1: the pattern: a side has no bytes");
  EXPECT_EQ(Problem("ascii:\"😀\" => 42"), "fr.patch:1: the pattern: '😀' has characters that code page 936 cannot hold (see --codepage)");
  EXPECT_EQ(Problem("41 => 42 ascii:\"x\""), "fr.patch:1: the replacement: 's' is no hex digit, '?' or blank (a text side is written ascii:\"...\")");
  EXPECT_EQ(Problem("41 => ascii:\"x\" 42"), "fr.patch:1: unexpected '42' after the replacement");
  EXPECT_EQ(Problem("41 42 => 90 ?? ??"),
            "fr.patch:1: a '?' in the replacement lies beyond the 2 bytes of the pattern, where there is no byte of the file to keep");
  EXPECT_EQ(Problem("# only a comment\n"), "fr.patch: no pairs (each line is FIND => REPLACE)");
}

}  // namespace
}  // namespace vantrel::cli
