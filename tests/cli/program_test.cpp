// The built program, run as a user runs it, on files the test makes: every option, the
// output, the exit statuses, answers on standard input, backups, walks and usage errors.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>

#include "tests/cli/program_run.h"
#include "tests/support/random_bytes.h"
#include "tests/support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using testing::Arg;
using testing::ProgramRun;
using testing::RunOptions;
using testing::ToBytes;

#ifdef _WIN32
constexpr std::string_view kProgram = "vantrel-cli";
#else
constexpr std::string_view kProgram = "vantrel";
#endif

ProgramRun Vantrel(std::vector<std::string> args, std::string input = {}) {
  RunOptions options;
  options.input = std::move(input);
  return testing::RunProgram(args, options);
}

std::string UsageError(std::string_view message) {
  return std::string(kProgram) + ": error: " + std::string(message) + "\nTry '" + std::string(kProgram) +
         " --help' for the options and examples.\n";
}

class ProgramTest : public ::testing::Test {
 protected:
  ProgramTest() { testing::UseStateFolder(state_.path()); }
  // A path below the test's directory, "a/b" written with the platform's separator, as a
  // walk names it.
  fs::path P(const fs::path& name) const { return (dir_ / name).make_preferred(); }
  fs::path File(const fs::path& name, std::string_view content) {
    const fs::path path = P(name);
    fs::create_directories(path.parent_path());
    testing::WriteFile(path, content);
    return path;
  }
  static std::string Content(const fs::path& path) { return testing::ReadText(path); }
  // offset: as the program prints it, "0x" and eight uppercase digits.
  static std::string Line(const fs::path& path, std::string_view offset) { return Arg(path) + ":" + std::string(offset) + "\n"; }
  static std::string Found(const fs::path& path, std::string_view offset, bool ask) {
    return "文件\"" + Arg(path) + "\"\n找到关键位置：" + std::string(offset) + (ask ? "。是否进行替换？" : "。");
  }

  testing::TempDir state_;
  testing::TempDir dir_;
};

// --- --dry-run ----------------------------------------------------------------------------

TEST_F(ProgramTest, DryRunListsEveryOccurrenceThatDoesNotOverlapTheOneBefore) {
  const fs::path file = File("a.bin", "aaaa.aa..aaa");
  const ProgramRun run = Vantrel({"-f", "61 61", "--dry-run", Arg(file)});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, Line(file, "0x00000000") + Line(file, "0x00000002") + Line(file, "0x00000005") + Line(file, "0x00000009"));
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(Content(file), "aaaa.aa..aaa");
}

TEST_F(ProgramTest, DryRunWritesNothingEvenWithAReplacementAndABackup) {
  const fs::path file = File("a.bin", "..abc..");
  const ProgramRun run = Vantrel({"-n", "-f", "616263", "-r", "58", "-b", Arg(file)});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, Line(file, "0x00000002"));
  EXPECT_EQ(Content(file), "..abc..");
  EXPECT_FALSE(fs::exists(dir_ / "a.bin.bak"));
}

// Scripts read the exit status, as with grep: a batch run says nothing when nothing is found.
TEST_F(ProgramTest, NothingFoundExitsWithOneAndSaysNothingInTheBatchModes) {
  const fs::path file = File("a.bin", "nothing here");
  for (const char* mode : {"--dry-run", "--yes"}) {
    const ProgramRun run = Vantrel({mode, "-f", "7A7A", "-r", "41", Arg(file)});
    EXPECT_EQ(run.status, 1) << mode;
    EXPECT_EQ(run.out, "") << mode;
    EXPECT_EQ(run.err, "") << mode;
  }
}

TEST_F(ProgramTest, OffsetsHaveEightDigitsOrMore) {
  const fs::path file = File("a.bin", std::string(0x1A2B, '.') + "!");
  EXPECT_EQ(Vantrel({"-n", "-f", "21", Arg(file)}).out, Arg(file) + ":0x00001A2B\n");
}

// --- --yes --------------------------------------------------------------------------------

TEST_F(ProgramTest, YesReplacesEveryOccurrenceAndPrintsOneLinePerWrite) {
  const fs::path file = File("a.bin", "abc..abc.abc");
  const ProgramRun run = Vantrel({"-f", "616263", "-r", "58595A", "-y", Arg(file)});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, Line(file, "0x00000000") + Line(file, "0x00000005") + Line(file, "0x00000009"));
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(Content(file), "XYZ..XYZ.XYZ");
}

TEST_F(ProgramTest, YesEndsWhenTheReplacementHoldsThePattern) {
  const fs::path file = File("a.bin", "ab.abab");
  const ProgramRun run = Vantrel({"--find-hex", "6162", "--replace-hex", "616261", "--yes", Arg(file)});
  EXPECT_EQ(run.status, 0);
  // aba over "ab." at 0, then on behind the three bytes written: aba over "aba" at 3, then
  // nothing from 6 on, although every write left an "ab" behind.
  EXPECT_EQ(run.out, Line(file, "0x00000000") + Line(file, "0x00000003"));
  EXPECT_EQ(Content(file), "abaabab");
}

TEST_F(ProgramTest, YesWithAShorterReplacementLeavesTheRestOfEachMatch) {
  const fs::path file = File("a.bin", "<abcde><abcde>");
  EXPECT_EQ(Vantrel({"-y", "-f", "6162636465", "-r", "313233", Arg(file)}).status, 0);
  EXPECT_EQ(Content(file), "<123de><123de>");
}

TEST_F(ProgramTest, YesGrowsTheFileWhenTheLastReplacementReachesPastTheEnd) {
  const fs::path file = File("a.bin", "abc..abc");
  EXPECT_EQ(Vantrel({"-y", "-f", "616263", "-r", "3132333435", Arg(file)}).status, 0);
  EXPECT_EQ(Content(file), "1234512345");
}

TEST_F(ProgramTest, YesSkipsOccurrencesThatItsOwnLongerReplacementOverwrote) {
  const fs::path file = File("a.bin", "abab....ab");
  const ProgramRun run = Vantrel({"-y", "-f", "6162", "-r", "31323334", Arg(file)});
  EXPECT_EQ(run.out, Line(file, "0x00000000") + Line(file, "0x00000008"));
  EXPECT_EQ(Content(file), "1234....1234");
}

// --- both batch modes against a naive oracle ----------------------------------------------

// The one-pass replace of --yes, the obvious way.
Bytes NaiveReplaceAll(Bytes text, const Bytes& pattern, const Bytes& replacement) {
  for (std::int64_t at : testing::NaiveOccurrences(text, pattern, std::max(pattern.size(), replacement.size()))) {
    const auto offset = static_cast<std::size_t>(at);
    if (offset + replacement.size() > text.size()) text.resize(offset + replacement.size());
    std::copy(replacement.begin(), replacement.end(), text.begin() + static_cast<std::ptrdiff_t>(offset));
  }
  return text;
}

std::string Lines(const fs::path& path, const std::vector<std::int64_t>& offsets) {
  std::string lines;
  for (std::int64_t at : offsets) {
    char offset[32];
    std::snprintf(offset, sizeof offset, "0x%08llX", static_cast<unsigned long long>(at));
    lines += Arg(path) + ":" + offset + "\n";
  }
  return lines;
}

TEST_F(ProgramTest, BothBatchModesAgreeWithANaiveOracleOnRandomFiles) {
#ifdef _WIN32
  constexpr int kRounds = 30;  // each start of the program costs more under Wine
#else
  constexpr int kRounds = 80;
#endif
  std::mt19937 rng(2024);
  const fs::path file = dir_ / "random.bin";
  for (int round = 0; round < kRounds; ++round) {
    const Bytes text = testing::RandomBytes(rng, rng() % 3000, 2 + static_cast<int>(rng() % 2));
    const Bytes pattern = testing::RandomBytes(rng, 1 + rng() % 4, 2);
    Bytes replacement = testing::RandomBytes(rng, 1 + rng() % 5, 3);
    if (round % 4 == 0) replacement.insert(replacement.begin() + static_cast<std::ptrdiff_t>(rng() % 2), pattern.begin(), pattern.end());
    const std::string find_hex = BytesToHexText(pattern);
    const std::string replace_hex = BytesToHexText(replacement);
    testing::WriteFile(file, text);

    const ProgramRun listed = Vantrel({"-n", "-f", find_hex, Arg(file)});
    const std::vector<std::int64_t> all = testing::NaiveOccurrences(text, pattern, pattern.size());
    EXPECT_EQ(listed.status, all.empty() ? 1 : 0) << "round " << round;
    EXPECT_EQ(listed.out, Lines(file, all)) << "round " << round << " pattern " << find_hex;

    const ProgramRun replaced = Vantrel({"-y", "-f", find_hex, "-r", replace_hex, Arg(file)});
    const std::vector<std::int64_t> written =
        testing::NaiveOccurrences(text, pattern, std::max(pattern.size(), replacement.size()));
    EXPECT_EQ(replaced.status, written.empty() ? 1 : 0) << "round " << round;
    EXPECT_EQ(replaced.out, Lines(file, written)) << "round " << round;
    EXPECT_EQ(testing::ReadFile(file), NaiveReplaceAll(text, pattern, replacement))
        << "round " << round << " pattern " << find_hex << " replacement " << replace_hex;
  }
}

// --- the interactive mode -----------------------------------------------------------------

TEST_F(ProgramTest, InteractiveAnswersYesWriteAndSearchAgainFromTheStart) {
  const fs::path file = File("a.bin", "abc..abc");
  const ProgramRun run = Vantrel({"-f", "616263", "-r", "58595A", Arg(file)}, "y\ny\nyes\nyes\n");
  EXPECT_EQ(run.status, 0);
  const std::string go_on = std::string("字符替换成功，是否继续替换？") + " [y/n] ";
  EXPECT_EQ(run.out, Found(file, "0x00000000", true) + " [y/n] y\n" + go_on + "y\n" + Found(file, "0x00000005", true) + " [y/n] yes\n" +
                         go_on + "yes\n" + std::string("没有找到你要搜索的内容。") + "\n");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(Content(file), "XYZ..XYZ");
}

TEST_F(ProgramTest, InteractiveAnswerNoWritesNothingButCountsAsFound) {
  const fs::path file = File("a.bin", "..abc");
  const ProgramRun run = Vantrel({"-f", "616263", "-r", "58595A", Arg(file)}, "no\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, Found(file, "0x00000002", true) + " [y/n] no\n");
  EXPECT_EQ(Content(file), "..abc");
}

TEST_F(ProgramTest, InteractiveEndOfInputCountsAsNo) {
  const fs::path file = File("a.bin", "..abc");
  const ProgramRun run = Vantrel({"-f", "616263", "-r", "58595A", Arg(file)}, "");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, Found(file, "0x00000002", true) + " [y/n] \n");
  EXPECT_EQ(Content(file), "..abc");

  // After a Yes, the end of the input ends the run at the question whether to go on.
  const fs::path twice = File("b.bin", "abcabc");
  const ProgramRun once = Vantrel({"-f", "616263", "-r", "58595A", Arg(twice)}, "y");
  EXPECT_EQ(once.out, Found(twice, "0x00000000", true) + " [y/n] y\n" + std::string("字符替换成功，是否继续替换？") + " [y/n] \n");
  EXPECT_EQ(Content(twice), "XYZabc");
}

TEST_F(ProgramTest, InteractiveAsksAgainAfterAnyOtherLine) {
  const fs::path file = File("a.bin", "abc");
  const ProgramRun run = Vantrel({"-f", "616263", "-r", "58", Arg(file)}, "ok\r\nsure\nY\r\nN\n");
  const std::string question = Found(file, "0x00000000", true) + " [y/n] ";
  EXPECT_EQ(run.out, question + "ok\n" + question + "sure\n" + question + "Y\n" + std::string("字符替换成功，是否继续替换？") +
                         " [y/n] N\n");
  EXPECT_EQ(Content(file), "Xbc");
}

// Answers from a pipe (yes | vantrel ...) do not see a question come back: a replacement that
// keeps the pattern, or one that grows the file and holds the pattern again, stops the
// questions for the file with one line instead of writing for ever.
TEST_F(ProgramTest, InteractiveAnswersFromAPipeStopWhenAWriteOnlyBringsTheQuestionBack) {
  std::string yes;
  for (int i = 0; i < 1000; ++i) yes += "y\n";
  const std::string go_on = std::string("字符替换成功，是否继续替换？") + " [y/n] y\n";
  const fs::path kept = File("kept.txt", "xxABxx");
  const ProgramRun same = Vantrel({"--find-ascii", "AB", "--no-whole-string", "--replace-ascii", "AB", Arg(kept)}, yes);
  EXPECT_EQ(same.status, 0);
  EXPECT_EQ(same.out, Found(kept, "0x00000002", true) + " [y/n] y\n" + go_on + Arg(kept) +
                          ": stopped asking: the replacement keeps the pattern at 0x00000002, so the same question "
                          "would come back for ever\n");
  EXPECT_EQ(Content(kept), "xxABxx");

  const fs::path grows = File("grows.txt", "xxABxx");
  const ProgramRun longer = Vantrel({"--find-ascii", "AB", "--no-whole-string", "--replace-ascii", "XAB", Arg(grows)}, yes);
  EXPECT_EQ(longer.status, 0);
  std::string asked;
  for (const char* offset : {"0x00000002", "0x00000003", "0x00000004"}) asked += Found(grows, offset, true) + " [y/n] y\n" + go_on;
  EXPECT_EQ(longer.out, asked + Arg(grows) +
                            ": stopped asking: each write grows the file and the pattern is found again at "
                            "0x00000005, so the questions would not end\n");
  EXPECT_EQ(Content(grows), "xxXXXAB");
}

TEST_F(ProgramTest, NoAskWritesWithoutTheQuestionAndStillOffersToGoOn) {
  const fs::path file = File("a.bin", "abcabc");
  const ProgramRun run = Vantrel({"--no-ask", "-f", "616263", "-r", "58595A", Arg(file)}, "y\nn\n");
  const std::string go_on = std::string("字符替换成功，是否继续替换？") + " [y/n] ";
  EXPECT_EQ(run.out, go_on + "y\n" + go_on + "n\n");
  EXPECT_EQ(Content(file), "XYZXYZ");
}

TEST_F(ProgramTest, InteractiveWithoutAReplacementShowsTheFirstOffsetOnly) {
  const fs::path file = File("a.bin", "..abc.abc");
  const ProgramRun run = Vantrel({"-f", "616263", Arg(file)}, "y\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, Found(file, "0x00000002", false) + "\n");
  EXPECT_EQ(Content(file), "..abc.abc");
}

TEST_F(ProgramTest, InteractiveNotFoundSaysSoAndExitsWithOne) {
  const fs::path file = File("a.bin", "...");
  const ProgramRun run = Vantrel({"-f", "616263", "-r", "58", Arg(file)}, "y\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, std::string("没有找到你要搜索的内容。") + "\n");
}

// --- walks --------------------------------------------------------------------------------

std::vector<std::string> SortedLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  std::sort(lines.begin(), lines.end());
  return lines;
}

TEST_F(ProgramTest, AWalkVisitsEveryFileAtAnyDepthAndADirectoryImpliesIt) {
  const fs::path one = File("tree/one.bin", "..abc");
  const fs::path two = File("tree/sub/two.bin", "abc..abc");
  File("tree/sub/deeper/none.bin", "xyz");
  const fs::path tree = dir_ / "tree";
  for (bool flag : {false, true}) {
    std::vector<std::string> args = {"-n", "-f", "616263", Arg(tree)};
    if (flag) args.insert(args.begin(), "-d");
    const ProgramRun run = Vantrel(args);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(SortedLines(run.out), SortedLines(Line(one, "0x00000002") + Line(two, "0x00000000") + Line(two, "0x00000005")));
    EXPECT_EQ(run.err, "");
  }
  const ProgramRun replaced = Vantrel({"-y", "-f", "616263", "-r", "58595A", Arg(tree)});
  EXPECT_EQ(replaced.status, 0);
  EXPECT_EQ(SortedLines(replaced.out), SortedLines(Line(one, "0x00000002") + Line(two, "0x00000000") + Line(two, "0x00000005")));
  EXPECT_EQ(Content(one), "..XYZ");
  EXPECT_EQ(Content(two), "XYZ..XYZ");
}

TEST_F(ProgramTest, AWalkWithoutAnyOccurrenceExitsWithOne) {
  File("tree/a", "x");
  File("tree/b/c", "y");
  const ProgramRun run = Vantrel({"-n", "-f", "7A", Arg(dir_ / "tree")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "");
}

TEST_F(ProgramTest, AnInteractiveWalkAsksForEachFileAndNoEndsOnlyThatFile) {
  File("tree/one.bin", "abc");
  File("tree/two.bin", "abc");
  const ProgramRun run = Vantrel({"-f", "616263", "-r", "58", Arg(dir_ / "tree")}, "n\ny\nn\n");
  EXPECT_EQ(run.status, 0);
  const std::string contents = Content(dir_ / "tree/one.bin") + Content(dir_ / "tree/two.bin");
  EXPECT_TRUE(contents == "abcXbc" || contents == "Xbcabc") << contents;  // the listing decides the order
  EXPECT_EQ(run.out.substr(run.out.size() - std::string("搜索完毕").size() - 1),
            std::string("搜索完毕") + "\n");
}

// --- threads -------------------------------------------------------------------------------

// A tree of nested folders, hidden files, files that hold the pattern several times, a file
// with two names, and on POSIX links to files and folders inside and a link into nothing.
void MakeMixedTree(const fs::path& root, unsigned seed) {
  std::mt19937 rng(seed);
  for (int d = 0; d < 12; ++d) {
    const fs::path dir = root / ("d" + std::to_string(d)) / (d % 3 == 0 ? ".hidden" : "sub");
    fs::create_directories(dir);
    for (int f = 0; f < 15; ++f) {
      Bytes content = testing::RandomBytes(rng, 1 + rng() % 3000, 250);
      for (unsigned k = rng() % 4; k > 0 && f % 2 == 0; --k) {
        const auto at = content.begin() + static_cast<std::ptrdiff_t>(rng() % content.size());
        content.insert(at, {'P', 'A', 'T', 'P', 'A', 'T'});
      }
      testing::WriteFile((f % 4 == 0 ? dir.parent_path() : dir) / ((f % 5 == 0 ? "." : "") + std::to_string(f)), content);
    }
  }
  fs::create_hard_link(root / "d1" / ".0", root / "d2" / "second-name");
#ifndef _WIN32
  fs::create_symlink("../d1/sub/2", root / "d3" / "file-link");
  fs::create_directory_symlink("../d4", root / "d5" / "folder-link");
  fs::create_symlink("nowhere", root / "d6" / "dangling");
#endif
}

// Every file below root with its bytes, links as where they lead.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string name = entry.path().lexically_relative(root).generic_string();
    if (entry.is_symlink()) {
      files[name] = "-> " + fs::read_symlink(entry.path()).generic_string();
    } else if (entry.is_regular_file()) {
      files[name] = testing::ReadText(entry.path());
    }
  }
  return files;
}

TEST_F(ProgramTest, OneThreadAndFourGiveTheSameOutputStatusAndFiles) {
  for (const bool follow : {false, true}) {
    for (const char* mode : {"-n", "-y"}) {
      std::vector<ProgramRun> runs;
      std::vector<std::map<std::string, std::string>> trees;
      for (const char* threads : {"-j1", "-j4"}) {
        const fs::path root = dir_ / (std::string(follow ? "f" : "n") + mode + threads);
        MakeMixedTree(root, 7);
        std::vector<std::string> args = {mode, threads, "-b", "-f", "50 41 54", "-r", "58 59 5A 5A", Arg(root)};
        if (follow) args.insert(args.begin(), "-L");
        runs.push_back(Vantrel(args));
        // The output names the tree: make the two comparable.
        for (std::string* text : {&runs.back().out, &runs.back().err}) {
          for (std::size_t at; (at = text->find(Arg(root))) != std::string::npos;) text->replace(at, Arg(root).size(), "ROOT");
        }
        trees.push_back(Snapshot(root));
      }
      SCOPED_TRACE(std::string(mode) + (follow ? " -L" : ""));
      EXPECT_EQ(runs[0].status, runs[1].status);
      EXPECT_EQ(runs[0].out, runs[1].out);
      EXPECT_EQ(runs[0].err, runs[1].err);
      EXPECT_TRUE(trees[0] == trees[1]);
      EXPECT_GT(std::count(runs[0].out.begin(), runs[0].out.end(), '\n'), 20);
#ifndef _WIN32
      EXPECT_EQ(runs[0].status, follow ? 2 : 0) << "a link into nothing is a file that cannot be read";
#endif
    }
  }
}

TEST_F(ProgramTest, DirOnAFileIsAUsageError) {
  const fs::path file = File("a.bin", "abc");
  const ProgramRun run = Vantrel({"-d", "-n", "-f", "61", Arg(file)});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, UsageError("'" + Arg(file) + "' is not a directory (drop -d to patch one file)"));
}

// A file the program cannot open: its path and the reason on standard error, and the walk
// goes on with the others.
#ifdef _WIN32
class Unreadable {
 public:
  explicit Unreadable(const fs::path& path) {
    testing::WriteFile(path, "abc");
    handle_ = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  }
  ~Unreadable() { CloseHandle(handle_); }
  Unreadable(const Unreadable&) = delete;
  Unreadable& operator=(const Unreadable&) = delete;

 private:
  HANDLE handle_;
};
#else
class Unreadable {
 public:
  // A link followed into nothing: no file can be opened there, whoever runs the test (root
  // reads every file that exists).
  explicit Unreadable(const fs::path& path) { fs::create_symlink(path.parent_path() / "nowhere", path); }
};
#endif

TEST_F(ProgramTest, AFileThatCannotBeReadIsReportedAndTheWalkGoesOn) {
  const fs::path good = File("tree/good.bin", "..abc");
  const fs::path bad = dir_ / "tree" / "bad.bin";
  const Unreadable locked(bad);
  for (const char* mode : {"-n", "-y"}) {
    const ProgramRun run = Vantrel({mode, "-L", "-f", "616263", "-r", "616263", Arg(dir_ / "tree")});
    EXPECT_EQ(run.status, 2) << mode;
    EXPECT_EQ(run.out, Line(good, "0x00000002")) << mode;
    EXPECT_EQ(run.err.rfind(Arg(bad) + ": ", 0), 0u) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }
}

TEST_F(ProgramTest, AFileThatCannotBeReadInFileModeIsOneLineWithItsReason) {
  const fs::path bad = dir_ / "bad.bin";
#ifdef _WIN32
  const Unreadable locked(bad);
#else
  ASSERT_EQ(mkfifo(bad.c_str(), 0644), 0);  // exists, but is no file to search
#endif
  const ProgramRun run = Vantrel({"-n", "-f", "616263", Arg(bad)});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err.rfind(Arg(bad) + ": ", 0), 0u) << run.err;
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
#ifndef _WIN32
  EXPECT_EQ(run.err, Arg(bad) + ": not a regular file\n");
  for (const char* device : {"/dev/null", "/dev/zero"}) {
    const ProgramRun named = Vantrel({"-y", "-f", "00", "-r", "01", device});
    EXPECT_EQ(named.status, 2) << device;
    EXPECT_EQ(named.err, std::string(device) + ": not a regular file\n");
  }
#endif
}

// --- backups ------------------------------------------------------------------------------

TEST_F(ProgramTest, BackupIsTheOriginalAndIsMadeOnlyForFilesThatAreWritten) {
  const fs::path hit = File("tree/hit.bin", "..abc..abc");
  File("tree/miss.bin", "xyz");
  const ProgramRun run = Vantrel({"-y", "-b", "-f", "616263", "-r", "58595A", Arg(dir_ / "tree")});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(Content(dir_ / "tree/hit.bin.bak"), "..abc..abc");
  EXPECT_EQ(Content(hit), "..XYZ..XYZ");
  EXPECT_FALSE(fs::exists(dir_ / "tree/miss.bin.bak"));
}

TEST_F(ProgramTest, AnExistingBackupBlocksTheWriteToThatFileOnly) {
  const fs::path blocked = File("tree/blocked.bin", "abc");
  const fs::path other = File("tree/other.bin", "abc");
  File("tree/blocked.bin.orig", "old backup");
  const ProgramRun run = Vantrel({"-y", "--backup=.orig", "-f", "616263", "-r", "58595A", Arg(dir_ / "tree")});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(Content(blocked), "abc");
  EXPECT_EQ(Content(dir_ / "tree/blocked.bin.orig"), "old backup");
  EXPECT_EQ(Content(other), "XYZ");
  EXPECT_EQ(Content(dir_ / "tree/other.bin.orig"), "abc");
  EXPECT_EQ(run.out, Line(other, "0x00000000"));
  EXPECT_NE(run.err.find(Arg(blocked) + ": not written: the backup '" + Arg(P("tree/blocked.bin.orig")) +
                         "' exists already\n"),
            std::string::npos)
      << run.err;
}

TEST_F(ProgramTest, InteractiveBackupIsMadeAtTheFirstYesAndBlocksWhenItExists) {
  const fs::path file = File("a.bin", "abcabc");
  EXPECT_EQ(Vantrel({"-b", "-f", "616263", "-r", "58", Arg(file)}, "n\n").status, 0);
  EXPECT_FALSE(fs::exists(dir_ / "a.bin.bak"));
  EXPECT_EQ(Vantrel({"-b", "-f", "616263", "-r", "58", Arg(file)}, "y\ny\ny\n").status, 0);
  EXPECT_EQ(Content(dir_ / "a.bin.bak"), "abcabc");
  EXPECT_EQ(Content(file), "XbcXbc");

  const fs::path again = File("b.bin", "abc");
  File("b.bin.bak", "kept");
  const ProgramRun blocked = Vantrel({"-b", "-f", "616263", "-r", "58", Arg(again)}, "y\n");
  EXPECT_EQ(blocked.status, 2);
  EXPECT_EQ(Content(again), "abc");
  EXPECT_EQ(Content(dir_ / "b.bin.bak"), "kept");
  EXPECT_NE(blocked.out.find(std::string("写入文件失败！")), std::string::npos) << blocked.out;
  EXPECT_NE(blocked.err.find("exists already"), std::string::npos) << blocked.err;
}

// --- text forms ---------------------------------------------------------------------------

TEST_F(ProgramTest, PatchesAGbkStringFromAUtf8Terminal) {
  // 试用版 and 正式版 in GBK, each with its terminating zero.
  const std::string trial = "\xCA\xD4\xD3\xC3\xB0\xE6";
  const std::string full = "\xD5\xFD\xCA\xBD\xB0\xE6";
  const fs::path file = File("app.exe", "MZ.." + trial + std::string(1, '\0') + "..");
  const ProgramRun run =
      Vantrel({"--find-ascii", "试用版", "--replace-ascii", "正式版", "--codepage", "936", "-y", Arg(file)});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, Line(file, "0x00000004"));
  EXPECT_EQ(Content(file), "MZ.." + full + std::string(1, '\0') + "..");
}

TEST_F(ProgramTest, FindsUtf8AndUtf16FormsWithAndWithoutTheirZero) {
  // é is C3 A9 in UTF-8; "ab" and its zero unit in UTF-16LE start at 6.
  const fs::path file = File("a.bin", std::string("\xC3\xA9t\xC3\xA9!a\0b\0\0\0", 12));
  EXPECT_EQ(Vantrel({"-n", "--find-utf8", "été", Arg(file)}).out, "");  // no zero behind it
  EXPECT_EQ(Vantrel({"-n", "--find-utf8", "été", "--no-whole-string", Arg(file)}).out, Line(file, "0x00000000"));
  EXPECT_EQ(Vantrel({"-n", "--find-unicode", "ab", Arg(file)}).out, Line(file, "0x00000006"));
}

TEST_F(ProgramTest, WritesUtf8AndUtf16Replacements) {
  const fs::path utf8 = File("utf8.bin", std::string("[old]\0.", 7));
  EXPECT_EQ(Vantrel({"-y", "--find-utf8", "old", "--replace-utf8", "néw", "--no-whole-string", Arg(utf8)}).status, 0);
  EXPECT_EQ(Content(utf8), std::string("[n\xC3\xA9w\0.", 7));  // one byte longer: over the ']'
  const fs::path utf16 = File("utf16.bin", std::string("o\0k\0\0\0!", 7));
  EXPECT_EQ(Vantrel({"-y", "--find-unicode", "ok", "--replace-unicode", "no", Arg(utf16)}).status, 0);
  EXPECT_EQ(Content(utf16), std::string("n\0o\0\0\0!", 7));
}

#ifndef _WIN32
TEST_F(ProgramTest, TakesTextInTheLocalesCharacterSet) {
  const fs::path file = File("a.bin", "..\xE8\xAF\x95..");  // 试 in UTF-8
  RunOptions gbk;
  gbk.locale = "zh_CN.GBK";
  const ProgramRun run = testing::RunProgram({"-n", "--find-utf8", "\xCA\xD4", "--no-whole-string", Arg(file)}, gbk);
  EXPECT_EQ(run.out, Line(file, "0x00000002")) << run.err;
}
#endif

// --- output, exit statuses and usage errors -----------------------------------------------

TEST_F(ProgramTest, UsageErrorsNameTheProblemGiveTheHintAndTouchNothing) {
  const fs::path file = File("a.bin", "abc");
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"-r", "41", Arg(file)},
       "nothing to find: give the pattern with -f HEX, --find-ascii TEXT, --find-utf8 TEXT or --find-unicode TEXT, or a patch list with -p FILE"},
      {{"-f", "61", "--find-utf8", "a", "-r", "41", Arg(file)},
       "the pattern to find is given twice (-f and --find-utf8)"},
      {{"-f", "xyz", "-r", "41", Arg(file)}, "-f 'xyz' has no hex digits"},
      {{"-f", "6", "-r", "41", "-y", Arg(file)}, "-f '6' has no bytes: one digit is half a byte"},
      {{"--find-ascii", "a", "--codepage", "nope", "-r", "41", Arg(file)},
       "unknown code page 'nope' (give a number such as 936 or 1252, or a name such as GBK)"},
      {{"-f", "61", "-r", "41", "-y", Arg(dir_ / "missing")},
       "no such file or directory: '" + Arg(dir_ / "missing") + "'"},
      {{"-f", "61", "-r", "41", "-y"}, "no PATH given: name the file, or the directory to walk"},
      {{"--bogus", Arg(file)}, "unknown option '--bogus'"},
  };
  for (const auto& [args, message] : cases) {
    const ProgramRun run = Vantrel(args, "y\ny\n");
    EXPECT_EQ(run.status, 2) << message;
    EXPECT_EQ(run.out, "") << message;
    EXPECT_EQ(run.err, UsageError(message));
    EXPECT_EQ(Content(file), "abc") << message;
  }
}

TEST_F(ProgramTest, AnOddDigitIsWarnedAboutOnStandardError) {
  const fs::path file = File("a.bin", "\xAB\xCD");
  const ProgramRun run = Vantrel({"-n", "-f", "ABC", Arg(file)});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, Line(file, "0x00000000"));
  EXPECT_EQ(run.err, std::string(kProgram) +
                         ": warning: -f 'ABC' has an odd number of digits; the last one is ignored, so it stands for AB\n");
}

TEST_F(ProgramTest, HelpIsACompleteManualAndVersionNamesThePlatformAndKernels) {
  const ProgramRun help = Vantrel({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.err, "");
  for (const char* part : {"Usage: ", "--find-hex HEX", "--find-ascii TEXT", "--find-utf8 TEXT", "--find-unicode TEXT",
                           "--replace-hex HEX", "--replace-ascii TEXT", "--replace-utf8 TEXT", "--replace-unicode TEXT",
                           "--dir", "--no-whole-string", "--no-ask", "--yes", "--dry-run", "--backup[=SUFFIX]",
                           "--codepage CP", "--help", "--version", "Exit status:", "Examples:", "--patch FILE",
                           "--glob GLOB", "--max-depth N", "--context N", "--stats", "--json", "--restore[=SUFFIX]",
                           "--keep-mtime", "--threads N", "--follow", "Patch lists:"}) {
    EXPECT_NE(help.out.find(part), std::string::npos) << part;
  }
  EXPECT_EQ(Vantrel({"-h"}).out, help.out);
  const ProgramRun version = Vantrel({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.err, "");
  std::istringstream lines(version.out);
  std::string name, platform, kernels;
  std::getline(lines, name);
  std::getline(lines, platform);
  std::getline(lines, kernels);
  EXPECT_EQ(name, std::string(kProgram) + " " + VANTREL_VERSION);
#if defined(_WIN32) && defined(__x86_64__)
  EXPECT_EQ(platform, "platform: Windows x86-64");
#elif defined(_WIN32)
  EXPECT_EQ(platform, "platform: Windows x86");
#elif defined(__linux__) && defined(__x86_64__)
  EXPECT_EQ(platform, "platform: Linux x86-64");
#endif
  EXPECT_TRUE(kernels.starts_with("search kernels on this processor: ")) << kernels;
  EXPECT_NE(kernels.find(" (one pattern), "), std::string::npos) << kernels;
  EXPECT_TRUE(kernels.ends_with(" Teddy (pattern sets)")) << kernels;
#if defined(__linux__) && defined(__x86_64__)
  // What the processor says of itself decides the kernels named.
  std::ifstream cpuinfo("/proc/cpuinfo");
  const std::string flags((std::istreambuf_iterator<char>(cpuinfo)), std::istreambuf_iterator<char>());
  const bool avx2 = flags.find(" avx2") != std::string::npos;
  EXPECT_EQ(kernels.find(": AVX2 (one pattern), AVX2 Teddy") != std::string::npos, avx2) << kernels;
  if (!avx2) {
    EXPECT_NE(kernels.find(": SSE2 (one pattern)"), std::string::npos) << kernels;
  }
#endif
  EXPECT_EQ(lines.peek(), EOF);
}

TEST_F(ProgramTest, AReaderThatGoesAwayIsNoErrorAndYesStillPatchesEverything) {
  const fs::path file = File("a.bin", "abcabcabc");
  RunOptions closed;
  closed.close_output = true;
  const ProgramRun listed = testing::RunProgram({"-n", "-f", "616263", Arg(file)}, closed);
  EXPECT_EQ(listed.status, 0);
  EXPECT_EQ(listed.err, "");
  const ProgramRun replaced = testing::RunProgram({"-y", "-f", "616263", "-r", "58", Arg(file)}, closed);
  EXPECT_EQ(replaced.status, 0);
  EXPECT_EQ(replaced.err, "");
  EXPECT_EQ(Content(file), "XbcXbcXbc");
}

#ifndef _WIN32
TEST_F(ProgramTest, AStandardOutputThatCannotBeWrittenIsAnError) {
  const fs::path file = File("a.bin", "abc");
  RunOptions full;
  full.output_file = "/dev/full";
  const ProgramRun run = testing::RunProgram({"-n", "-f", "616263", Arg(file)}, full);
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "vantrel: error: cannot write standard output: No space left on device\n");
}

// Started without standard input and output, as a careless script may start it: the
// result lines go nowhere, and no file of the tree ends up holding them.
TEST_F(ProgramTest, ClosedStandardStreamsNeverSendResultsIntoAFile) {
  std::vector<fs::path> files;
  for (int i = 0; i < 40; ++i) files.push_back(File("tree/f" + std::to_string(i) + ".bin", "--abc--"));
  for (const char* threads : {"-j1", "-j2"}) {
    RunOptions closed;
    closed.no_input_or_output = true;
    const ProgramRun run = testing::RunProgram({"-y", threads, "-f", "616263", "-r", "78", Arg(dir_ / "tree")}, closed);
    EXPECT_EQ(run.status, 0) << threads;
    EXPECT_EQ(run.err, "") << threads;
    for (const fs::path& file : files) EXPECT_EQ(Content(file), "--xbc--") << Arg(file) << " " << threads;
    for (const fs::path& file : files) testing::WriteFile(file, "--abc--");
  }
}
#endif

// --- beyond 4 GiB -------------------------------------------------------------------------

// A sparse file of 4 GiB + 1 MiB with one occurrence below 4 GiB and one above it: both are
// listed with their offsets and both are patched. Standard error is a file here, so no
// progress line may appear although the search takes seconds.
TEST_F(ProgramTest, ListsAndPatchesOccurrencesOnBothSidesOfFourGib) {
  const std::int64_t four_gib = std::int64_t{1} << 32;
  const std::int64_t below = four_gib - 0x10000 + 3;
  const std::int64_t above = four_gib + 0x1A2B;
  const fs::path file = dir_ / "huge.bin";
  testing::WriteSparseFile(file, four_gib + (1 << 20), {{below, ToBytes("NEEDLE")}, {above, ToBytes("NEEDLE")}});

  const ProgramRun listed = Vantrel({"-n", "--find-ascii", "NEEDLE", "--no-whole-string", Arg(file)});
  EXPECT_EQ(listed.status, 0);
  EXPECT_EQ(listed.out, Arg(file) + ":0xFFFF0003\n" + Arg(file) + ":0x100001A2B\n");
  EXPECT_EQ(listed.err, "");

  const ProgramRun patched = Vantrel({"-y", "--find-ascii", "NEEDLE", "--replace-ascii", "THREAD",
                                      "--no-whole-string", Arg(file)});
  EXPECT_EQ(patched.status, 0);
  EXPECT_EQ(patched.out, listed.out);
  EXPECT_EQ(patched.err, "");
  EXPECT_EQ(testing::ReadAt(file, below, 6), ToBytes("THREAD"));
  EXPECT_EQ(testing::ReadAt(file, above, 6), ToBytes("THREAD"));
  EXPECT_EQ(fs::file_size(file), static_cast<std::uintmax_t>(four_gib + (1 << 20)));
}

}  // namespace
}  // namespace vantrel
