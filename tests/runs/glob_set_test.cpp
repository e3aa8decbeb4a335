// The file choice of --glob and --max-depth: each rule as ripgrep 13 applies it (every case
// here was checked with `rg --files -uuu --glob ...` on a tree of these names), through the
// glob set's and the file choice's public questions. glob_vs_rg.sh compares the same code
// with ripgrep itself on random trees and globs.
#include "runs/file_choice.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace vantrel {
namespace {

using Paths = std::vector<std::string>;

GlobSet Globs(std::initializer_list<std::string> arguments) {
  const std::vector<std::string> list(arguments);
  auto built = GlobSet::Build(list);
  if (const auto* error = std::get_if<GlobError>(&built)) ADD_FAILURE() << "unexpected: " << error->message;
  auto* set = std::get_if<GlobSet>(&built);
  return set ? std::move(*set) : GlobSet();
}

// The files of `paths` that the globs take, in the order given.
Paths Taken(std::initializer_list<std::string> globs, const Paths& paths) {
  const GlobSet set = Globs(globs);
  Paths taken;
  for (const std::string& path : paths) {
    if (set.TakesFile(path)) taken.push_back(path);
  }
  return taken;
}

std::string ErrorOf(std::initializer_list<std::string> arguments) {
  const std::vector<std::string> list(arguments);
  auto built = GlobSet::Build(list);
  const auto* error = std::get_if<GlobError>(&built);
  return error ? error->message : "(no error)";
}

TEST(GlobWildcardTest, StarStaysWithinAFolder) {
  EXPECT_EQ(Taken({"a/*"}, {"a/x", "a/b/x", "a", "ab/x"}), (Paths{"a/x"}));
  EXPECT_EQ(Taken({"*/x"}, {"a/x", "ab/x", "a/b/x", "x"}), (Paths{"a/x", "ab/x"}));
}

TEST(GlobWildcardTest, StarTakesHiddenNamesLikeAnyOther) {
  EXPECT_EQ(Taken({"*.txt"}, {".txt", ".h/x.txt", "a.txt", "a.txt.bak"}), (Paths{".txt", ".h/x.txt", "a.txt"}));
}

TEST(GlobWildcardTest, QuestionMarkIsOneByteButSlash) {
  EXPECT_EQ(Taken({"x?y"}, {"x!y", "x/y", "xy", "x[y"}), (Paths{"x!y", "x[y"}));
  // é is two bytes in UTF-8.
  EXPECT_EQ(Taken({"?"}, {"e", "\xC3\xA9"}), (Paths{"e"}));
  EXPECT_EQ(Taken({"??"}, {"e", "\xC3\xA9"}), (Paths{"\xC3\xA9"}));
}

TEST(GlobWildcardTest, DoubleStarSlashMatchesAtAnyDepthAndTheTop) {
  EXPECT_EQ(Taken({"**/f.txt"}, {"f.txt", "a/f.txt", "a/b/c/f.txt", "af.txt"}), (Paths{"f.txt", "a/f.txt", "a/b/c/f.txt"}));
  EXPECT_EQ(Taken({"**/c/f.txt"}, {"c/f.txt", "a/c/f.txt", "ac/f.txt"}), (Paths{"c/f.txt", "a/c/f.txt"}));
}

TEST(GlobWildcardTest, SlashDoubleStarAtTheEndTakesEverythingInside) {
  EXPECT_EQ(Taken({"a/**"}, {"a/f", "a/b/c/f", "ab/f", "b/a/f"}), (Paths{"a/f", "a/b/c/f"}));
}

TEST(GlobWildcardTest, SlashDoubleStarSlashMatchesZeroOrMoreFolders) {
  EXPECT_EQ(Taken({"a/**/f"}, {"a/f", "a/b/f", "a/b/c/f", "af", "ab/f"}), (Paths{"a/f", "a/b/f", "a/b/c/f"}));
}

TEST(GlobWildcardTest, DoubleStarBesideOtherCharactersIsAStar) {
  EXPECT_EQ(Taken({"a**"}, {"abc", "a/b", "x/abc"}), (Paths{"abc", "x/abc"}));
  EXPECT_EQ(Taken({"a/**b"}, {"a/b", "a/xb", "a/x/b"}), (Paths{"a/b", "a/xb"}));
}

TEST(GlobWildcardTest, DoubleStarAloneTakesEverything) {
  EXPECT_EQ(Taken({"**"}, {"a", "a/b/c", ".h/x"}), (Paths{"a", "a/b/c", ".h/x"}));
}

TEST(GlobClassTest, RangesAndNegations) {
  EXPECT_EQ(Taken({"[a-c]x"}, {"ax", "cx", "dx", "Ax"}), (Paths{"ax", "cx"}));
  EXPECT_EQ(Taken({"[!a]x"}, {"ax", "bx"}), (Paths{"bx"}));
  EXPECT_EQ(Taken({"[^a]x"}, {"ax", "bx"}), (Paths{"bx"}));
}

TEST(GlobClassTest, ABracketFirstAndADashAtAnEndAreLiterals) {
  EXPECT_EQ(Taken({"[]]"}, {"]", "a"}), (Paths{"]"}));
  EXPECT_EQ(Taken({"[a-]"}, {"a", "-", "b"}), (Paths{"a", "-"}));
  EXPECT_EQ(Taken({"[!]]"}, {"]", "a"}), (Paths{"a"}));
}

TEST(GlobClassTest, ASecondDashMovesTheEndOfTheRange) {
  EXPECT_EQ(Taken({"[a-b-d]"}, {"a", "c", "d", "-", "e"}), (Paths{"a", "c", "d"}));
}

TEST(GlobClassTest, AClassMayMatchTheSlash) {
  EXPECT_EQ(Taken({"x[!a]y"}, {"x/y", "xby", "xay"}), (Paths{"x/y", "xby"}));
  EXPECT_EQ(Taken({"x[/]y"}, {"x/y", "xby"}), (Paths{"x/y"}));
}

TEST(GlobClassTest, AClassIsASetOfSingleBytes) {
  // [é] is the bytes C3 and A9 taken one at a time, so it takes neither é nor e.
  EXPECT_EQ(Taken({"[\xC3\xA9]"}, {"\xC3\xA9", "e", "\xC3"}), (Paths{"\xC3"}));
  EXPECT_EQ(Taken({"[\xC3\xA9][\xC3\xA9]"}, {"\xC3\xA9"}), (Paths{"\xC3\xA9"}));
  // a-é is the range 'a'..0xC3 and the byte 0xA9.
  EXPECT_EQ(Taken({"[a-\xC3\xA9]?"}, {"\xC3\xA9", "zz", "\xA9z", "\xC4z"}), (Paths{"\xC3\xA9", "zz", "\xA9z"}));
}

TEST(GlobAlternationTest, OneOfTheAlternatives) {
  EXPECT_EQ(Taken({"{a,b}.c"}, {"a.c", "b.c", "c.c", "ab.c"}), (Paths{"a.c", "b.c"}));
  EXPECT_EQ(Taken({"{**/x,f.txt}"}, {"a/b/x", "f.txt", "a/f.txt"}), (Paths{"a/b/x", "f.txt"}));
  EXPECT_EQ(Taken({"{a/**,f.txt}"}, {"a/b/c", "f.txt", "a"}), (Paths{"a/b/c", "f.txt"}));
}

TEST(GlobAlternationTest, EmptyAlternativesAreLeftOut) {
  EXPECT_EQ(Taken({"x{a,}"}, {"x", "xa"}), (Paths{"xa"}));
  EXPECT_EQ(Taken({"x{,a}"}, {"x", "xa"}), (Paths{"xa"}));
  EXPECT_EQ(Taken({"x{}"}, {"x", "x{}"}), (Paths{"x"}));
}

TEST(GlobAlternationTest, AClosingBraceWithoutOpeningOneIsAnEmptyGroup) {
  EXPECT_EQ(Taken({"a}b"}, {"ab", "a}b"}), (Paths{"ab"}));
}

TEST(GlobAlternationTest, ACommaOutsideAGroupIsALiteral) {
  EXPECT_EQ(Taken({"a,b"}, {"a,b", "a", "b"}), (Paths{"a,b"}));
}

TEST(GlobEscapeTest, ABackslashMakesTheNextCharacterLiteral) {
  EXPECT_EQ(Taken({"\\*"}, {"*", "a"}), (Paths{"*"}));
  EXPECT_EQ(Taken({"\\[x]"}, {"[x]", "x"}), (Paths{"[x]"}));
  // Only the '{' is escaped: the '}' after it is a group of its own, an empty one.
  EXPECT_EQ(Taken({"a\\{b,c}"}, {"a{b,c}", "a{b,c", "ab"}), (Paths{"a{b,c"}));
}

TEST(GlobEscapeTest, EscapedBangAndHashAreNamesNotSyntax) {
  EXPECT_EQ(Taken({"\\!x"}, {"!x", "x"}), (Paths{"!x"}));
  EXPECT_EQ(Taken({"\\#x"}, {"#x", "x"}), (Paths{"#x"}));
}

TEST(GlobAnchorTest, AGlobWithoutSlashMatchesTheNameAtAnyDepth) {
  EXPECT_EQ(Taken({"b"}, {"b", "a/b", "a/c/b", "ab", "b/c"}), (Paths{"b", "a/b", "a/c/b"}));
}

TEST(GlobAnchorTest, AGlobWithASlashMatchesFromTheRoot) {
  EXPECT_EQ(Taken({"a/b"}, {"a/b", "x/a/b", "a/b/c"}), (Paths{"a/b"}));
  EXPECT_EQ(Taken({"/b"}, {"b", "a/b"}), (Paths{"b"}));
  EXPECT_EQ(Taken({"!/b"}, {"b", "a/b"}), (Paths{"a/b"}));
}

TEST(GlobAnchorTest, ATrailingSlashMatchesDirectoriesOnly) {
  const GlobSet set = Globs({"!d/"});
  EXPECT_FALSE(set.EntersDirectory("d"));
  EXPECT_FALSE(set.EntersDirectory("a/d"));
  EXPECT_TRUE(set.TakesFile("d"));
  EXPECT_TRUE(set.EntersDirectory("e"));
  // An including glob for directories takes no file, not even those inside the directory.
  EXPECT_EQ(Taken({"d/"}, {"d", "d/x", "x"}), Paths{});
}

TEST(GlobOrderTest, WithAnIncludingGlobOnlyMatchingFilesAreTaken) {
  EXPECT_EQ(Taken({"*.c", "!x.c"}, {"a.c", "x.c", "a.h"}), (Paths{"a.c"}));
}

TEST(GlobOrderTest, WithOnlyExcludingGlobsEveryOtherFileIsTaken) {
  EXPECT_EQ(Taken({"!*.o", "!*.a"}, {"a.c", "a.o", "b.a"}), (Paths{"a.c"}));
}

TEST(GlobOrderTest, TheLastMatchingGlobWins) {
  EXPECT_EQ(Taken({"*.txt", "!a.txt"}, {"a.txt", "b.txt"}), (Paths{"b.txt"}));
  EXPECT_EQ(Taken({"!a.txt", "*.txt"}, {"a.txt", "b.txt"}), (Paths{"a.txt", "b.txt"}));
}

TEST(GlobOrderTest, NoGlobsTakeEverything) {
  const GlobSet none;
  EXPECT_TRUE(none.TakesFile("a/.hidden"));
  EXPECT_TRUE(none.EntersDirectory(".git"));
}

TEST(GlobDirectoryTest, AnExcludedDirectoryIsNotEntered) {
  const GlobSet set = Globs({"!a"});
  EXPECT_FALSE(set.EntersDirectory("a"));
  EXPECT_FALSE(set.EntersDirectory("x/a"));
  EXPECT_TRUE(set.EntersDirectory("b"));
}

TEST(GlobDirectoryTest, IncludingGlobsNeverKeepADirectoryOut) {
  const GlobSet set = Globs({"*.txt"});
  EXPECT_TRUE(set.EntersDirectory("sub"));
  EXPECT_TRUE(set.TakesFile("sub/x.txt"));
}

TEST(GlobDirectoryTest, AnIncludedDirectoryDoesNotIncludeItsFiles) {
  const GlobSet set = Globs({"dir"});
  EXPECT_TRUE(set.EntersDirectory("dir"));
  EXPECT_FALSE(set.TakesFile("dir/x"));
}

TEST(GlobDirectoryTest, AnExcludedDirectoryStaysOutWhateverLaterGlobsSayOfItsFiles) {
  // "a/**" matches the directory a/b, "a/b/**" only what is inside it.
  const GlobSet set = Globs({"!a/**", "a/b/**"});
  EXPECT_TRUE(set.EntersDirectory("a"));
  EXPECT_FALSE(set.EntersDirectory("a/b"));
  EXPECT_TRUE(set.TakesFile("a/b/f"));  // would be taken, but the walk never gets there
}

TEST(GlobDirectoryTest, SlashDoubleStarDoesNotMatchTheDirectoryItself) {
  const GlobSet set = Globs({"!a/**"});
  EXPECT_TRUE(set.EntersDirectory("a"));
  EXPECT_FALSE(set.EntersDirectory("a/b"));
  EXPECT_FALSE(set.TakesFile("a/f"));
}

TEST(GlobLineTest, CommentsAndBlankArgumentsHoldNoGlob) {
  EXPECT_EQ(Taken({"#x"}, {"x", "y"}), (Paths{"x", "y"}));
  EXPECT_EQ(Taken({"  "}, {"x", "y"}), (Paths{"x", "y"}));
  EXPECT_EQ(Taken({"#x", "y"}, {"x", "y"}), (Paths{"y"}));
}

TEST(GlobLineTest, TrailingBlanksGoUnlessEscaped) {
  EXPECT_EQ(Taken({"a.txt \t"}, {"a.txt", "a.txt "}), (Paths{"a.txt"}));
  EXPECT_EQ(Taken({"a.txt\\ "}, {"a.txt", "a.txt "}), (Paths{"a.txt "}));
  EXPECT_EQ(Taken({" a"}, {"a", " a"}), (Paths{" a"}));
}

TEST(GlobLineTest, ABareBangExcludesEverything) {
  EXPECT_EQ(Taken({"!"}, {"a", "b/c"}), Paths{});
  EXPECT_FALSE(Globs({"!"}).EntersDirectory("b"));
}

TEST(GlobBytesTest, NamesNeedNotBeUtf8) {
  EXPECT_EQ(Taken({"*"}, {"\xFF", "a\xFF/b"}), (Paths{"\xFF", "a\xFF/b"}));
  EXPECT_EQ(Taken({"a?"}, {"a\xFF", "a\xC3\xA9"}), (Paths{"a\xFF"}));
}

TEST(GlobBytesTest, IllFormedBytesInAGlobStandForTheReplacementCharacter) {
  EXPECT_EQ(Taken({"\xFF"}, {"\xFF", "\xEF\xBF\xBD"}), (Paths{"\xEF\xBF\xBD"}));
  // A cut three-byte character is one replacement character.
  EXPECT_EQ(Taken({"\xE2\x82"}, {"\xE2\x82", "\xEF\xBF\xBD", "\xEF\xBF\xBD\xEF\xBF\xBD"}), (Paths{"\xEF\xBF\xBD"}));
}

// ripgrep's glob library compares literals, file names and extensions directly where it can
// and runs a regular expression otherwise; the two differ at the edges below.
TEST(GlobRipgrepEdgeTest, DoubleStarCrossesANewlineOnlyWhereNoExpressionIsRun) {
  EXPECT_EQ(Taken({"**"}, {"a\nb/f", "a/f"}), (Paths{"a/f"}));
  EXPECT_EQ(Taken({"*"}, {"a\nb/f", "a\nb"}), (Paths{"a\nb"}));
  EXPECT_EQ(Taken({"x/**/g?txt"}, {"x/a\nb/g.txt", "x/a/g.txt"}), (Paths{"x/a/g.txt"}));
  EXPECT_EQ(Taken({"*.c"}, {"a\nb/g.c"}), (Paths{"a\nb/g.c"}));
  EXPECT_EQ(Taken({"**/c/f.txt"}, {"a\nb/c/f.txt"}), (Paths{"a\nb/c/f.txt"}));
  EXPECT_EQ(Taken({"x/**/*.txt"}, {"x/a\nb/g.txt"}), (Paths{"x/a\nb/g.txt"}));
}

TEST(GlobRipgrepEdgeTest, NameAndExtensionGlobsNeverTakeANameEndingInADot) {
  EXPECT_EQ(Taken({"foo."}, {"foo.", "d/foo."}), Paths{});
  EXPECT_EQ(Taken({"*."}, {"foo.", "d/foo."}), Paths{});
  EXPECT_EQ(Taken({"d/*."}, {"d/foo."}), Paths{});
  EXPECT_EQ(Taken({"d/foo."}, {"d/foo."}), (Paths{"d/foo."}));
  EXPECT_EQ(Taken({"fo[o]."}, {"foo.", "d/foo."}), Paths{});
  // A class at the end leaves only the expression to run, and it takes them.
  EXPECT_EQ(Taken({"foo[.]"}, {"foo.", "d/foo."}), (Paths{"foo.", "d/foo."}));
}

TEST(GlobSpeedTest, ManyStarsAgainstALongPathThatDoesNotMatchEnd) {
  // A backtracking matcher would take exponential time here; a test timeout would show it.
  const std::string path(4000, 'a');
  EXPECT_EQ(Taken({"*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b"}, {path}), Paths{});
  EXPECT_EQ(Taken({"**/a/**/a/**/a/**/a/**/a/**/a/**/b"}, {std::string(2000, 'a') + "/a/a/a/a/a/a/a/a"}), Paths{});
}

TEST(GlobErrorTest, AMalformedGlobIsOneLineNamingTheGlobAndTheReason) {
  EXPECT_EQ(ErrorOf({"a[b"}), "invalid glob 'a[b': unclosed character class; missing ']'");
  EXPECT_EQ(ErrorOf({"[]"}), "invalid glob '[]': unclosed character class; missing ']'");
  EXPECT_EQ(ErrorOf({"[!]"}), "invalid glob '[!]': unclosed character class; missing ']'");
  EXPECT_EQ(ErrorOf({"a{b"}), "invalid glob 'a{b': unclosed alternate group; missing '}' (maybe escape '{' with '[{]'?)");
  EXPECT_EQ(ErrorOf({"{a,{b}}"}), "invalid glob '{a,{b}}': nested alternate groups are not allowed");
  EXPECT_EQ(ErrorOf({"a\\"}), "invalid glob 'a\\': dangling '\\'");
  EXPECT_EQ(ErrorOf({"[b-a]"}), "invalid glob '[b-a]': invalid range; 'b' > 'a'");
  EXPECT_EQ(ErrorOf({"!x/[z-\xC3\xA9"}), "invalid glob '!x/[z-\xC3\xA9': unclosed character class; missing ']'");
}

TEST(GlobErrorTest, TheFirstMalformedGlobIsReported) {
  EXPECT_EQ(ErrorOf({"*.c", "a[", "b{"}), "invalid glob 'a[': unclosed character class; missing ']'");
}

TEST(GlobErrorTest, ControlCharactersInTheMessageAreEscaped) {
  EXPECT_EQ(ErrorOf({"a\n[\x7F"}), "invalid glob 'a\\x0A[\\x7F': unclosed character class; missing ']'");
  EXPECT_EQ(ErrorOf({"[x-\t]"}), "invalid glob '[x-\\x09]': invalid range; 'x' > '\\x09'");
}

TEST(GlobErrorTest, ATrailingBlankAfterAnEscapingBackslashIsTrimmedFirst) {
  // Only one blank after the backslash is kept; with two, both go and the backslash dangles.
  EXPECT_EQ(ErrorOf({"a\\  "}), "invalid glob 'a\\  ': dangling '\\'");
}

TEST(FileChoiceTest, DepthCountsTheComponentsBelowPath) {
  FileChoice choice;
  choice.max_depth = 1;
  EXPECT_TRUE(choice.EntersDirectory(""));
  EXPECT_TRUE(choice.TakesFile("top"));
  EXPECT_FALSE(choice.EntersDirectory("d"));
  EXPECT_FALSE(choice.TakesFile("d/f"));
  choice.max_depth = 2;
  EXPECT_TRUE(choice.EntersDirectory("d"));
  EXPECT_TRUE(choice.TakesFile("d/f"));
  EXPECT_FALSE(choice.EntersDirectory("d/e"));
  EXPECT_FALSE(choice.TakesFile("d/e/f"));
}

TEST(FileChoiceTest, DepthZeroTakesNothingBelowPath) {
  FileChoice choice;
  choice.max_depth = 0;
  EXPECT_FALSE(choice.EntersDirectory(""));
  EXPECT_FALSE(choice.TakesFile("top"));
}

TEST(FileChoiceTest, WithoutALimitAnyDepthIsTaken) {
  const FileChoice choice;
  EXPECT_TRUE(choice.EntersDirectory(""));
  EXPECT_TRUE(choice.EntersDirectory("a/b/c/d/e/f/g/h"));
  EXPECT_TRUE(choice.TakesFile("a/b/c/d/e/f/g/h/i"));
}

TEST(FileChoiceTest, DepthAndGlobsBothApply) {
  FileChoice choice;
  choice.globs = Globs({"*.c", "!skip"});
  choice.max_depth = 2;
  EXPECT_TRUE(choice.TakesFile("d/a.c"));
  EXPECT_FALSE(choice.TakesFile("d/a.h"));
  EXPECT_FALSE(choice.TakesFile("d/e/a.c"));
  EXPECT_FALSE(choice.EntersDirectory("skip"));
  EXPECT_TRUE(choice.EntersDirectory("d"));
}

TEST(FileChoiceTest, PathItselfIsEnteredWhateverTheGlobsSay) {
  FileChoice choice;
  choice.globs = Globs({"!*"});
  EXPECT_TRUE(choice.EntersDirectory(""));
  EXPECT_FALSE(choice.EntersDirectory("d"));
}

}  // namespace
}  // namespace vantrel
