// The option parser as a pure function: arguments in, a run description or a usage error out.
#include "cli/command_line.h"

#include <gtest/gtest.h>

#include <initializer_list>

#include "tests/support/temp_dir.h"

namespace vantrel::cli {
namespace {

using testing::ToBytes;

constexpr vantrel::os::CodePage kGbk{936};
constexpr vantrel::os::CodePage kWestern{1252};
const CommandLineSetting kUtf8Terminal{vantrel::os::kUtf8, vantrel::os::kUtf8};

Command Parse(std::initializer_list<std::string> args, const CommandLineSetting& setting = kUtf8Terminal) {
  const std::vector<std::string> list(args);
  return ParseCommandLine(list, setting);
}

RunDescription Described(std::initializer_list<std::string> args, const CommandLineSetting& setting = kUtf8Terminal) {
  Command command = Parse(args, setting);
  if (const auto* error = std::get_if<UsageError>(&command)) ADD_FAILURE() << "usage error: " << error->message;
  if (auto* run = std::get_if<RunDescription>(&command)) return std::move(*run);
  ADD_FAILURE() << "not a run";
  return {};
}

std::string Error(std::initializer_list<std::string> args, const CommandLineSetting& setting = kUtf8Terminal) {
  const Command command = Parse(args, setting);
  if (const auto* error = std::get_if<UsageError>(&command)) return error->message;
  ADD_FAILURE() << "no usage error";
  return {};
}

// --- hex forms and the ways an option takes its value -------------------------------------

TEST(CommandLineTest, TakesTheHexValueInEverySpelling) {
  for (const auto& args : std::vector<std::vector<std::string>>{{"-f", "4A 6b", "x"},
                                                                {"-f4A6B", "x"},
                                                                {"--find-hex", "4a-6b", "x"},
                                                                {"--find-hex=4A6B", "x"},
                                                                {"x", "-f", "4A6B"}}) {
    Command command = ParseCommandLine(args, kUtf8Terminal);
    ASSERT_TRUE(std::holds_alternative<RunDescription>(command)) << args[0];
    EXPECT_EQ(std::get<RunDescription>(command).find.bytes, (Bytes{0x4A, 0x6B})) << args[0];
    EXPECT_EQ(std::get<RunDescription>(command).path, "x");
  }
}

TEST(CommandLineTest, AValueMayStartWithADashAndAPathAfterTwoDashesToo) {
  const RunDescription run = Described({"--find-ascii", "-n", "--", "-file"});
  EXPECT_EQ(run.find.bytes, (Bytes{'-', 'n', 0}));
  EXPECT_EQ(run.mode, Mode::kInteractive);
  EXPECT_EQ(run.path, "-file");
}

TEST(CommandLineTest, ReadsClustersOfShortOptions) {
  const RunDescription run = Described({"-ydr", "5859", "-f41", "dir"});
  EXPECT_EQ(run.mode, Mode::kYes);
  EXPECT_TRUE(run.directory);
  EXPECT_EQ(run.replacement->bytes, (Bytes{0x58, 0x59}));
  EXPECT_EQ(run.find.bytes, (Bytes{0x41}));
}

TEST(CommandLineTest, DefaultsAreTheDialogsAskAndWholeStringWithoutBackup) {
  const RunDescription run = Described({"-f", "41", "file"});
  EXPECT_EQ(run.mode, Mode::kInteractive);
  EXPECT_TRUE(run.ask);
  EXPECT_FALSE(run.directory);
  EXPECT_FALSE(run.replacement.has_value());
  EXPECT_FALSE(run.backup_suffix.has_value());
  EXPECT_EQ(Described({"--find-ascii", "a", "file"}).find.bytes, (Bytes{'a', 0}));
}

TEST(CommandLineTest, ReadsTheModesAndSwitches) {
  EXPECT_EQ(Described({"-f", "41", "-r", "42", "--yes", "x"}).mode, Mode::kYes);
  EXPECT_EQ(Described({"-f", "41", "-n", "x"}).mode, Mode::kDryRun);
  EXPECT_EQ(Described({"-f", "41", "--dry-run", "x"}).mode, Mode::kDryRun);
  EXPECT_FALSE(Described({"-f", "41", "--no-ask", "x"}).ask);
  EXPECT_TRUE(Described({"-f", "41", "--dir", "x"}).directory);
}

TEST(CommandLineTest, BackupTakesAnAttachedSuffixOrDotBak) {
  EXPECT_EQ(Described({"-f", "41", "-b", "x"}).backup_suffix, std::filesystem::path(".bak"));
  EXPECT_EQ(Described({"-f", "41", "--backup", "x"}).backup_suffix, std::filesystem::path(".bak"));
  EXPECT_EQ(Described({"-f", "41", "-b.orig", "x"}).backup_suffix, std::filesystem::path(".orig"));
  EXPECT_EQ(Described({"-f", "41", "--backup=~", "x"}).backup_suffix, std::filesystem::path("~"));
  // A detached word is the PATH, not the suffix.
  EXPECT_EQ(Described({"-f", "41", "--backup", "x"}).path, "x");
}

TEST(CommandLineTest, HelpAndVersionWinOverEverythingElse) {
  EXPECT_TRUE(std::holds_alternative<ShowHelp>(Parse({"--help"})));
  EXPECT_TRUE(std::holds_alternative<ShowHelp>(Parse({"-f", "41", "-h"})));
  EXPECT_TRUE(std::holds_alternative<ShowHelp>(Parse({"a", "b", "--help"})));
  EXPECT_TRUE(std::holds_alternative<ShowVersion>(Parse({"--version"})));
  EXPECT_TRUE(std::holds_alternative<ShowVersion>(Parse({"--version", "a", "b"})));
}

// --- text forms ---------------------------------------------------------------------------

TEST(CommandLineTest, TextFormsEndWithTheirTerminatingZeroByDefault) {
  EXPECT_EQ(Described({"--find-ascii", "abc", "x"}).find.bytes, ToBytes(std::string("abc\0", 4)));
  EXPECT_EQ(Described({"--find-utf8", "é", "x"}).find.bytes, (Bytes{0xC3, 0xA9, 0x00}));
  EXPECT_EQ(Described({"--find-unicode", "ab", "x"}).find.bytes, (Bytes{'a', 0, 'b', 0, 0, 0}));
  EXPECT_EQ(Described({"--find-unicode", "😀", "x"}).find.bytes, (Bytes{0x3D, 0xD8, 0x00, 0xDE, 0, 0}));
}

TEST(CommandLineTest, NoWholeStringDropsTheZeroFromFindAndReplacementAlike) {
  const RunDescription run = Described({"--find-unicode", "ab", "--replace-ascii", "cd", "--no-whole-string", "x"});
  EXPECT_EQ(run.find.bytes, (Bytes{'a', 0, 'b', 0}));
  EXPECT_EQ(run.replacement->bytes, (Bytes{'c', 'd'}));
}

TEST(CommandLineTest, AsciiFormsUseTheCodePageAskedForOrTheSystemsOne) {
  // 试用 in GBK is CA D4 D3 C3.
  EXPECT_EQ(Described({"--find-ascii", "试用", "--codepage", "936", "x"}).find.bytes, (Bytes{0xCA, 0xD4, 0xD3, 0xC3, 0x00}));
  EXPECT_EQ(Described({"--find-ascii", "试用", "--codepage=GBK", "x"}).find.bytes, (Bytes{0xCA, 0xD4, 0xD3, 0xC3, 0x00}));
  EXPECT_EQ(Described({"--find-ascii", "é", "--codepage", "1252", "x"}).find.bytes, (Bytes{0xE9, 0x00}));
  const CommandLineSetting gbk_system{vantrel::os::kUtf8, kGbk};
  EXPECT_EQ(Described({"--find-ascii", "试", "x"}, gbk_system).find.bytes, (Bytes{0xCA, 0xD4, 0x00}));
  // The code page is for the ASCII forms only.
  EXPECT_EQ(Described({"--find-utf8", "é", "--codepage", "1252", "x"}).find.bytes, (Bytes{0xC3, 0xA9, 0x00}));
}

TEST(CommandLineTest, TextArrivesInTheTerminalsCharacterSet) {
  const CommandLineSetting gbk_terminal{kGbk, kGbk};
  // The argument holds the GBK bytes of 试; UTF-8 and UTF-16LE forms are made from the character.
  EXPECT_EQ(Described({"--find-utf8", "\xCA\xD4", "x"}, gbk_terminal).find.bytes, (Bytes{0xE8, 0xAF, 0x95, 0x00}));
  EXPECT_EQ(Described({"--find-unicode", "\xCA\xD4", "x"}, gbk_terminal).find.bytes, (Bytes{0xD5, 0x8B, 0x00, 0x00}));
  EXPECT_EQ(Described({"--find-ascii", "\xCA\xD4", "x"}, gbk_terminal).find.bytes, (Bytes{0xCA, 0xD4, 0x00}));
}

TEST(CommandLineTest, RefusesTextThatWouldChangeOnTheWay) {
  EXPECT_EQ(Error({"--find-ascii", "Жук", "--codepage", "1252", "x"}),
            "--find-ascii 'Жук' has characters that code page 1252 cannot hold (see --codepage)");
  const CommandLineSetting western{vantrel::os::kUtf8, kWestern};
  EXPECT_EQ(Error({"-f", "41", "--replace-ascii", "试", "x"}, western),
            "--replace-ascii '试' has characters that code page 1252 cannot hold (see --codepage)");
  EXPECT_EQ(Error({"--find-utf8", "\xFF", "x"}),
            "--find-utf8 '\xFF' is not valid text in the terminal's character set (UTF-8)");
}

// --- usage errors -------------------------------------------------------------------------

TEST(CommandLineTest, APatternMustHoldAtLeastOneByte) {
  EXPECT_EQ(Error({"-f", "xyz", "x"}), "-f 'xyz' has no hex digits");
  EXPECT_EQ(Error({"-f", "", "x"}), "-f '' has no hex digits");
  EXPECT_EQ(Error({"-f", "A", "x"}), "-f 'A' has no bytes: one digit is half a byte");
  EXPECT_EQ(Error({"-f", "41", "-r", "zz", "x"}), "-r 'zz' has no hex digits");
  EXPECT_EQ(Error({"--find-ascii", "", "--no-whole-string", "x"}),
            "--find-ascii '' has no bytes without its terminating zero (drop --no-whole-string)");
}

TEST(CommandLineTest, AnOddLastDigitIsDroppedWithAWarning) {
  const RunDescription run = Described({"-f", "ABC", "x"});
  EXPECT_EQ(run.find.bytes, (Bytes{0xAB}));
  ASSERT_EQ(run.warnings.size(), 1u);
  EXPECT_EQ(run.warnings[0], "-f 'ABC' has an odd number of digits; the last one is ignored, so it stands for AB");
}

TEST(CommandLineTest, ExactlyOneFindFormAndAtMostOneReplacement) {
  EXPECT_EQ(Error({"x"}),
            "nothing to find: give the pattern with -f HEX, --find-ascii TEXT, --find-utf8 TEXT or --find-unicode TEXT, or a patch list with -p FILE");
  EXPECT_EQ(Error({"-f", "41", "--find-ascii", "a", "x"}), "the pattern to find is given twice (-f and --find-ascii)");
  EXPECT_EQ(Error({"-f", "41", "-f", "42", "x"}), "the pattern to find is given twice (-f and -f)");
  EXPECT_EQ(Error({"-f", "41", "-r", "42", "--replace-utf8", "b", "x"}),
            "the replacement is given twice (-r and --replace-utf8)");
}

TEST(CommandLineTest, RefusesModesThatCannotGoTogether) {
  EXPECT_EQ(Error({"-f", "41", "-r", "42", "-y", "-n", "x"}), "-y and -n exclude each other");
  EXPECT_EQ(Error({"-f", "41", "--yes", "x"}),
            "--yes needs a replacement (-r HEX, --replace-ascii TEXT, ...); to list the occurrences use --dry-run");
  EXPECT_EQ(Error({"-f", "41", "--backup=", "x"}), "the backup suffix is empty: the backup would be the file itself");
  EXPECT_EQ(Error({"-f", "41", "-b", "--backup=.x", "x"}), "--backup is given twice (-b and --backup)");
  EXPECT_EQ(Error({"-f", "41", "--codepage", "936", "--codepage", "1252", "x"}),
            "--codepage is given twice (--codepage and --codepage)");
}

TEST(CommandLineTest, NeedsExactlyOnePath) {
  EXPECT_EQ(Error({"-f", "41"}), "no PATH given: name the file, or the directory to walk");
  EXPECT_EQ(Error({"-f", "41", ""}), "the PATH is empty: name the file, or the directory to walk");
  // A message quotes what the user typed on one line, control characters escaped.
  EXPECT_EQ(Error({"-f", "41", "a\nb", "c\x01"}),
            "more than one PATH ('a\\nb', 'c\\x01'): give one file, or one directory to walk");
  EXPECT_EQ(Error({"-f", "41", "a", "b"}), "more than one PATH ('a', 'b'): give one file, or one directory to walk");
}

TEST(CommandLineTest, NamesUnknownOptionsAndSuggestTheNearestOne) {
  EXPECT_EQ(Error({"--find-hexx", "41", "x"}), "unknown option '--find-hexx'; did you mean '--find-hex'?");
  EXPECT_EQ(Error({"--dry", "-f", "41", "x"}), "unknown option '--dry'; did you mean '--dry-run'?");
  EXPECT_EQ(Error({"--colour", "x"}), "unknown option '--colour'");
  EXPECT_EQ(Error({"-q", "x"}), "unknown option '-q'");
  EXPECT_EQ(Error({"-yq", "x"}), "unknown option '-q'");
}

TEST(CommandLineTest, OptionValuesMustBeThereAndFlagsTakeNone) {
  EXPECT_EQ(Error({"x", "-f"}), "option '-f' needs a value");
  EXPECT_EQ(Error({"x", "--codepage"}), "option '--codepage' needs a value");
  EXPECT_EQ(Error({"-f", "41", "--yes=1", "x"}), "option '--yes' takes no value");
}

TEST(CommandLineTest, NamesAnUnknownCodePage) {
  EXPECT_EQ(Error({"--find-ascii", "a", "--codepage", "klingon", "x"}),
            "unknown code page 'klingon' (give a number such as 936 or 1252, or a name such as GBK)");
}

}  // namespace
}  // namespace vantrel::cli
