// The built program's batch options, run as a user runs them: patch lists and wildcards
// against a naive model, globs and depth against ripgrep, the bytes around an occurrence,
// JSON Lines and counts, kept times, and backups put back.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <random>
#include <set>
#include <sstream>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "text/masked_pattern.h"
#include "tests/cli/program_run.h"
#include "tests/support/naive_pattern_set.h"
#include "tests/support/random_bytes.h"
#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using testing::Arg;
using testing::ProgramRun;
using testing::ToBytes;

ProgramRun Vantrel(const std::vector<std::string>& args) { return testing::RunProgram(args); }

#ifdef _WIN32
constexpr std::string_view kProgram = "vantrel-cli";
#else
constexpr std::string_view kProgram = "vantrel";
#endif

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

#ifndef _WIN32
// What a shell command prints, or nothing when it cannot run.
std::optional<std::string> Capture(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return std::nullopt;
  std::string out;
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, got);
  if (pclose(pipe) != 0) return std::nullopt;
  return out;
}
#endif

class BatchOptionsTest : public ::testing::Test {
 protected:
  BatchOptionsTest() { testing::UseStateFolder(state_.path()); }
  fs::path File(const fs::path& name, std::string_view content) {
    const fs::path path = (dir_ / name).make_preferred();
    fs::create_directories(path.parent_path());
    testing::WriteFile(path, content);
    return path;
  }
  testing::TempDir state_;
  testing::TempDir dir_;
};

// --- patch lists and wildcards -------------------------------------------------------------

struct Pair {
  MaskedPattern find;
  MaskedPattern replacement;
};

// A pattern of `length` bytes over 'a'-'c', with a '?' for some nibbles of the first `wild`.
MaskedPattern RandomPattern(std::mt19937& rng, std::size_t length, std::size_t wild) {
  MaskedPattern pattern = ExactPattern(testing::RandomBytes(rng, length, 3));
  for (std::uint8_t& byte : pattern.bytes) byte = static_cast<std::uint8_t>('a' + byte);
  for (std::size_t i = 0; i < std::min(length, wild); ++i) {
    if (rng() % 4 == 0) pattern.mask[i] = rng() % 2 == 0 ? 0xF0 : 0x0F;
    pattern.bytes[i] &= pattern.mask[i];
  }
  return pattern;
}

// The pass the program makes, the obvious way: at each offset the earliest occurrence of any
// pattern, the first listed at a tie; listed and passed, or written over the text and passed
// by the longer of pattern and replacement.
std::string NaivePass(Bytes& text, const std::vector<Pair>& pairs, bool writing, const std::string& name) {
  std::vector<MaskedPattern> finds;
  for (const Pair& pair : pairs) finds.push_back(pair.find);
  std::string lines;
  for (std::size_t from = 0; from < text.size();) {
    const PatternHit hit = testing::NaiveFindAny(Bytes(text.begin() + static_cast<std::ptrdiff_t>(from), text.end()), finds);
    if (!hit.found()) break;
    const std::size_t at = from + static_cast<std::size_t>(hit.offset);
    const Pair& pair = pairs[hit.index];
    char line[64];
    std::snprintf(line, sizeof line, ":0x%08zX:%zu\n", at, hit.index + 1);
    lines += name + line;
    std::size_t advance = pair.find.size();
    if (writing) {
      if (text.size() < at + pair.replacement.size()) text.resize(at + pair.replacement.size());
      for (std::size_t i = 0; i < pair.replacement.size(); ++i) {
        text[at + i] = static_cast<std::uint8_t>((text[at + i] & ~pair.replacement.mask[i]) | pair.replacement.bytes[i]);
      }
      advance = std::max(advance, pair.replacement.size());
    }
    from = at + advance;
  }
  return lines;
}

TEST_F(BatchOptionsTest, RandomPatchListsAgreeWithANaiveModel) {
  std::mt19937 rng(2026);
  const fs::path list = dir_ / "pairs.patch";
  for (int round = 0; round < 20; ++round) {
    std::vector<Pair> pairs;
    std::string text_of_list;
    for (std::size_t i = 0, count = 1 + rng() % 5; i < count; ++i) {
      const std::size_t n = 1 + rng() % 4;
      pairs.push_back({RandomPattern(rng, n, n), RandomPattern(rng, 1 + rng() % 6, n)});
      text_of_list += PatternText(pairs.back().find) + " => " + PatternText(pairs.back().replacement) + "\n";
    }
    testing::WriteFile(list, text_of_list);
    Bytes content = testing::RandomBytes(rng, rng() % 120, 3);
    for (std::uint8_t& byte : content) byte = static_cast<std::uint8_t>('a' + byte);
    const fs::path file = File("f.bin", std::string(content.begin(), content.end()));
    SCOPED_TRACE("round " + std::to_string(round) + "\n" + text_of_list);

    Bytes listed = content;
    const std::string expected_list = NaivePass(listed, pairs, false, Arg(file));
    const ProgramRun dry = Vantrel({"--dry-run", "-p", Arg(list), Arg(file)});
    EXPECT_EQ(dry.out, expected_list);
    EXPECT_EQ(dry.status, expected_list.empty() ? 1 : 0);
    EXPECT_EQ(testing::ReadFile(file), content);

    Bytes written = content;
    const std::string expected_writes = NaivePass(written, pairs, true, Arg(file));
    const ProgramRun yes = Vantrel({"--yes", "-p", Arg(list), Arg(file)});
    EXPECT_EQ(yes.out, expected_writes);
    EXPECT_EQ(yes.status, expected_writes.empty() ? 1 : 0);
    EXPECT_EQ(testing::ReadFile(file), written);
  }
}

TEST_F(BatchOptionsTest, AWildcardInAReplacementKeepsTheFilesBytes) {
  const fs::path file = File("call.bin", std::string("\x90\xE8\x10\x20\x30\x40\x85\xC0\xE8\x11\x22\x33\x44\x85\xC1", 15));
  const ProgramRun run = Vantrel({"-y", "-f", "E8 ?? ?? ?? ?? 85 C0", "-r", "90 ?? ?? ?? ?? 85 C0", Arg(file)});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, Arg(file) + ":0x00000001\n");
  EXPECT_EQ(testing::ReadText(file), std::string("\x90\x90\x10\x20\x30\x40\x85\xC0\xE8\x11\x22\x33\x44\x85\xC1", 15));
  const ProgramRun every = Vantrel({"-n", "-f", "??", Arg(File("three", "abc"))});
  EXPECT_EQ(Lines(every.out).size(), 3u);
}

TEST_F(BatchOptionsTest, ABadPatchListWritesNothingAnywhere) {
  const fs::path a = File("tree/a.bin", "PAT");
  const fs::path list = File("bad.patch", "50 41 54 => 58 58 58\n\nascii:\"PAT => 41\n");
  const ProgramRun run = Vantrel({"-y", "-p", Arg(list), Arg(dir_ / "tree")});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(Lines(run.err).front(),
            std::string(kProgram) + ": error: " + Arg(list) + ":3: the pattern: a text side has no closing quote");
  EXPECT_EQ(testing::ReadText(a), "PAT");
}

// --- choosing files --------------------------------------------------------------------------

// Every file of the tree holds the pattern, so the listed files are the files the walk takes.
std::set<std::string> Taken(const fs::path& tree, std::vector<std::string> options) {
  std::vector<std::string> args = {"-n", "-j3", "--find-ascii", "Z", "--no-whole-string"};
  args.insert(args.end(), options.begin(), options.end());
  args.push_back(Arg(tree));
  std::set<std::string> files;
  for (const std::string& line : Lines(Vantrel(args).out)) {
    files.insert(fs::path(line.substr(0, line.rfind(":0x"))).lexically_relative(tree).generic_string());
  }
  return files;
}

void MakeNamedTree(const fs::path& tree) {
  for (const char* name : {"a.c", "b.h", ".hidden.c", "src/x.c", "src/y.txt", "src/deep/z.c", "src/deep/.cache/q.c",
                           "docs/readme.md", "docs/a.c", "build/out.o", "build/gen/a.c", "My Files/weird name.c"}) {
    const fs::path path = tree / name;
    fs::create_directories(path.parent_path());
    testing::WriteFile(path, "Z");
  }
}

TEST_F(BatchOptionsTest, GlobsAndDepthChooseFilesByRipgrepsRules) {
  const fs::path tree = dir_ / "tree";
  MakeNamedTree(tree);
  using Set = std::set<std::string>;
  EXPECT_EQ(Taken(tree, {"-g", "*.c"}), (Set{"a.c", ".hidden.c", "src/x.c", "src/deep/z.c", "src/deep/.cache/q.c",
                                            "docs/a.c", "build/gen/a.c", "My Files/weird name.c"}));
  EXPECT_EQ(Taken(tree, {"-g", "*.c", "-g", "!build/"}), (Set{"a.c", ".hidden.c", "src/x.c", "src/deep/z.c",
                                                              "src/deep/.cache/q.c", "docs/a.c", "My Files/weird name.c"}));
  EXPECT_EQ(Taken(tree, {"-g", "src/**", "-g", "!*.txt"}), (Set{"src/x.c", "src/deep/z.c", "src/deep/.cache/q.c"}));
  EXPECT_EQ(Taken(tree, {"-g", "!.*"}), (Set{"a.c", "b.h", "src/x.c", "src/y.txt", "src/deep/z.c", "docs/readme.md",
                                            "docs/a.c", "build/out.o", "build/gen/a.c", "My Files/weird name.c"}));
  EXPECT_EQ(Taken(tree, {"--max-depth", "1"}), (Set{"a.c", "b.h", ".hidden.c"}));
  EXPECT_EQ(Taken(tree, {"--max-depth", "2", "-g", "{a,x}.c"}), (Set{"a.c", "src/x.c", "docs/a.c"}));
  EXPECT_EQ(Taken(tree, {"--max-depth", "0"}), Set{});
}

#ifndef _WIN32
TEST_F(BatchOptionsTest, GlobsAndDepthTakeWhatRipgrepTakes) {
  if (!Capture("rg --version")) GTEST_SKIP() << "ripgrep is not installed";
  const fs::path tree = dir_ / "tree";
  MakeNamedTree(tree);
  const std::vector<std::vector<std::string>> cases = {
      {"-g", "*.c"}, {"-g", "!src"}, {"-g", "**/deep/**"}, {"-g", "*.[ch]", "-g", "!a.*"}, {"--max-depth", "2"},
      {"-g", "docs/*", "--max-depth", "3"}, {"-g", "!**/.cache/**", "-g", "*.c"}, {"-g", "My Files/*"}};
  for (const auto& options : cases) {
    std::string command = "cd '" + tree.string() + "' && rg --files -uuu";
    for (const std::string& option : options) command += " '" + option + "'";
    const std::optional<std::string> listed = Capture(command);
    ASSERT_TRUE(listed.has_value()) << command;
    std::set<std::string> expected;
    for (const std::string& line : Lines(*listed)) expected.insert(line);
    EXPECT_EQ(Taken(tree, options), expected) << command;
  }
}
#endif

// --- seeing, counting, telling programs --------------------------------------------------------

TEST_F(BatchOptionsTest, ContextShowsTheBytesAroundEachOccurrenceMarked) {
  const fs::path file = File("a.bin", "0123PAT45PAT");
  const ProgramRun run = Vantrel({"-n", "-C", "3", "--find-ascii", "PAT", "--no-whole-string", Arg(file)});
  EXPECT_EQ(run.out, Arg(file) + ":0x00000004: 31 32 33 [50 41 54] 34 35 50\n" +
                         Arg(file) + ":0x00000009: 54 34 35 [50 41 54]\n");
}

TEST_F(BatchOptionsTest, StatsCountTheRunOnStandardError) {
  File("tree/a.bin", "PAT PAT");
  File("tree/b.bin", "none");
  const ProgramRun run = Vantrel({"-y", "--stats", "-f", "50 41 54", "-r", "58", Arg(dir_ / "tree")});
  EXPECT_EQ(run.status, 0);
  const std::vector<std::string> lines = Lines(run.err);
  ASSERT_EQ(lines.size(), 8u) << run.err;
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 6),
            (std::vector<std::string>{"2 files searched", "1 files with the pattern", "2 occurrences", "2 writes",
                                      "11 bytes searched", "0 files could not be read or written"}));
  EXPECT_NE(lines[6].find(" seconds"), std::string::npos);
  // The run's journal, in the state folder, named by the run's start time.
#ifdef _WIN32
  const std::string folder = Arg(state_.path() / "Vantrel");
#else
  const std::string folder = Arg(state_.path() / "vantrel");
#endif
  EXPECT_EQ(lines[7].rfind("journal: " + folder, 0), 0u) << lines[7];
  EXPECT_TRUE(lines[7].ends_with(".journal")) << lines[7];
  EXPECT_TRUE(fs::is_regular_file(lines[7].substr(9))) << lines[7];
}

#ifndef _WIN32
// A name with a newline and a colon reads as another hit in the text lines; with -0 the path
// ends at the NUL byte, and the rest of the line is as before.
TEST_F(BatchOptionsTest, NullEndsEachPathWithANulByte) {
  const fs::path odd = File("tree/x\nt:0x1", "..PAT");
  const fs::path tree = dir_ / "tree";
  const std::string expected = Arg(odd) + std::string(1, '\0') + "0x00000002\n";
  EXPECT_EQ(Vantrel({"-n", "-0", "-f", "50 41 54", Arg(tree)}).out, expected);
  const ProgramRun written = Vantrel({"-y", "--null", "-f", "50 41 54", "-r", "51", Arg(tree)});
  EXPECT_EQ(written.status, 0);
  EXPECT_EQ(written.out, expected);
  EXPECT_EQ(testing::ReadText(odd), "..QAT");
}

TEST_F(BatchOptionsTest, EveryJsonLineParsesAndItsCountsAreTheTextModes) {
  if (!Capture("python3 -c pass")) GTEST_SKIP() << "python3 is not installed";
  File("tree/a.bin", "PAT..PAT");
  File("tree/sub/b.bin", "xPAT");
  File(std::string("tree/bad-\xFF-name"), "PAT");
  const fs::path tree = dir_ / "tree";
  const ProgramRun json = Vantrel({"-n", "--json", "-f", "50 41 54", Arg(tree)});
  EXPECT_EQ(json.status, 0);
  testing::WriteFile(dir_ / "out.jsonl", json.out);
  const std::string check =
      "import json,sys\n"
      "rows=[json.loads(l) for l in open(sys.argv[1],encoding='utf-8')]\n"
      "s=rows[-1]['data']\n"
      "print(sum(r['type']=='occurrence' for r in rows), s['occurrences'], s['files_with_pattern'], s['files_searched'])\n"
      "import base64\n"
      "print([base64.b64decode(r['data']['path']['bytes']).endswith(b'/bad-\\xff-name') for r in rows if 'bytes' in r['data'].get('path',{})])\n";
  testing::WriteFile(dir_ / "check.py", check);
  const std::optional<std::string> parsed = Capture("python3 '" + (dir_ / "check.py").string() + "' '" + (dir_ / "out.jsonl").string() + "'");
  ASSERT_TRUE(parsed.has_value()) << json.out;
  const ProgramRun text = Vantrel({"-n", "--stats", "-f", "50 41 54", Arg(tree)});
  const std::vector<std::string> stats = Lines(text.err);
  ASSERT_GE(stats.size(), 3u);
  EXPECT_EQ(Lines(*parsed)[0], std::to_string(Lines(text.out).size()) + " 4 3 3");
  EXPECT_EQ(stats[2], "4 occurrences");
  EXPECT_EQ(stats[1], "3 files with the pattern");
  // A name that is not UTF-8 keeps every byte, as base64.
  EXPECT_EQ(Lines(*parsed)[1], "[True]");
}
#endif

// --- times and undo ------------------------------------------------------------------------

TEST_F(BatchOptionsTest, KeepMtimeKeepsTheTimeToTheNanosecond) {
  const fs::path file = File("a.bin", "..PAT..PAT");
  // An odd time with all its digits: a kept time is the very same, not the nearest second.
  fs::last_write_time(file, fs::last_write_time(file) - std::chrono::hours(24 * 400) - std::chrono::nanoseconds(123'456'700));
  const auto before = fs::last_write_time(file);
  const ProgramRun run = Vantrel({"-y", "--keep-mtime", "-f", "50 41 54", "-r", "58 59 5A", Arg(file)});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(testing::ReadText(file), "..XYZ..XYZ");
  EXPECT_EQ(fs::last_write_time(file), before);
}

// A thousand files, some with the pattern, written with backups and then put back: every
// file's bytes, length and modification time as before, and no backup left.
TEST_F(BatchOptionsTest, RestoreAfterABackedUpRunLeavesTheTreeAsItWas) {
  const fs::path tree = dir_ / "tree";
  std::mt19937 rng(9);
  for (int i = 0; i < 1000; ++i) {
    Bytes content = testing::RandomBytes(rng, rng() % 300, 200);
    if (i % 7 == 0) content.insert(content.begin() + static_cast<std::ptrdiff_t>(rng() % (content.size() + 1)), {'P', 'A', 'T'});
    const fs::path path = tree / ("d" + std::to_string(i % 13)) / ("f" + std::to_string(i));
    fs::create_directories(path.parent_path());
    testing::WriteFile(path, content);
  }
  std::map<std::string, std::pair<std::string, fs::file_time_type>> before;
  for (const auto& entry : fs::recursive_directory_iterator(tree)) {
    if (entry.is_regular_file()) before[entry.path().generic_string()] = {testing::ReadText(entry.path()), entry.last_write_time()};
  }
  const ProgramRun patched = Vantrel({"-y", "-b", "-f", "50 41 54", "-r", "58 59 5A 5A 5A", Arg(tree)});
  ASSERT_EQ(patched.status, 0) << patched.err;
  const ProgramRun restored = Vantrel({"--restore", "-j", "3", Arg(tree)});
  EXPECT_EQ(restored.status, 0) << restored.err;
  std::set<std::string> written;
  for (const std::string& line : Lines(patched.out)) written.insert(line.substr(0, line.rfind(":0x")));
  ASSERT_GT(written.size(), 100u);
  const std::vector<std::string> restored_lines = Lines(restored.out);
  EXPECT_EQ(std::set<std::string>(restored_lines.begin(), restored_lines.end()), written);
  std::map<std::string, std::pair<std::string, fs::file_time_type>> after;
  for (const auto& entry : fs::recursive_directory_iterator(tree)) {
    if (entry.is_regular_file()) after[entry.path().generic_string()] = {testing::ReadText(entry.path()), entry.last_write_time()};
  }
  EXPECT_TRUE(before == after);
  EXPECT_EQ(Vantrel({"--restore", Arg(tree)}).status, 1) << "nothing left to put back";
}

// A user's own file with the suffix is never taken: only a backup a run recorded making for
// that file is put back. Named alone, the user's file is refused with status 2.
TEST_F(BatchOptionsTest, RestoreTakesOnlyTheBackupsThatARunRecordedMaking) {
  const fs::path config = File("t/config", "mine");
  const fs::path own = File("t/config.bak", "old");
  const fs::path data = File("t/data", "xxAAAAxx");
  ASSERT_EQ(Vantrel({"-y", "-b", "-f", "41414141", "-r", "42424242", Arg(dir_ / "t")}).status, 0);
  ASSERT_EQ(testing::ReadText(data), "xxBBBBxx");
  const ProgramRun restored = Vantrel({"--restore", Arg(dir_ / "t")});
  EXPECT_EQ(restored.status, 0) << restored.err;
  EXPECT_EQ(restored.out, Arg(data) + "\n");
  EXPECT_EQ(restored.err, Arg(own) + ": left alone: no journal of " + std::string(kProgram) + " records it as a backup of '" +
                              Arg(config) + "'\n");
  EXPECT_EQ(testing::ReadText(data), "xxAAAAxx");
  EXPECT_EQ(testing::ReadText(config), "mine");
  EXPECT_EQ(testing::ReadText(own), "old");
  const ProgramRun alone = Vantrel({"--restore", Arg(config)});
  EXPECT_EQ(alone.status, 2);
  EXPECT_EQ(testing::ReadText(config), "mine");
  EXPECT_TRUE(fs::exists(own));
}

// A backup cut short or changed since the run made it is left alone with the reason; the
// others are put back, growth and all.
TEST_F(BatchOptionsTest, RestoreChecksThatEachBackupIsWholeBeforePuttingItBack) {
  const fs::path shorter = File("t/a", "xxAAAAxx");
  const fs::path changed = File("t/b", "yyAAAAyy");
  const fs::path grown = File("t/c", "zzAAAA");
  ASSERT_EQ(Vantrel({"-y", "-b", "-f", "41414141", "-r", "4242424242424242", Arg(dir_ / "t")}).status, 0);
  ASSERT_EQ(testing::ReadText(grown), "zzBBBBBBBB");
  testing::WriteFile(dir_ / "t" / "a.bak", "xxAAAAx");
  testing::WriteFile(dir_ / "t" / "b.bak", "yyAAAAyZ");
  const ProgramRun restored = Vantrel({"--restore", Arg(dir_ / "t")});
  EXPECT_EQ(restored.status, 2);
  EXPECT_EQ(restored.out, Arg(grown) + "\n");
  EXPECT_NE(restored.err.find(Arg(shorter) + ".bak: left alone: it is not whole: 7 bytes, and the backup made was 8\n"),
            std::string::npos) << restored.err;
  EXPECT_NE(restored.err.find(Arg(changed) + ".bak: left alone: its bytes are not the ones backed up (their CRC-32 differs)\n"),
            std::string::npos) << restored.err;
  EXPECT_EQ(testing::ReadText(grown), "zzAAAA");
  EXPECT_EQ(testing::ReadText(shorter), "xxBBBBBBBB");
  EXPECT_EQ(testing::ReadText(changed), "yyBBBBBBBB");
  EXPECT_TRUE(fs::exists(dir_ / "t" / "a.bak"));
}

// A file swapped for a link after the run, to a file out of the tree or to nothing: nothing is
// written through the link or made at its end, and the backup stays.
TEST_F(BatchOptionsTest, RestoreNeverWritesThroughALinkNorMakesAFileAtItsEnd) {
  const fs::path x = File("t/x", "xxAAAAxx");
  const fs::path y = File("t/y", "yyAAAAyy");
  const fs::path gone = File("t/gone", "ggAAAAgg");
  ASSERT_EQ(Vantrel({"-y", "-b", "-f", "41414141", "-r", "42424242", Arg(dir_ / "t")}).status, 0);
  const fs::path precious = File("out/p", "PRECIOUS");
  fs::remove(x);
  fs::remove(y);
  fs::remove(gone);
  std::error_code error;
  fs::create_symlink(precious, x, error);
  if (error) GTEST_SKIP() << "no symbolic links here: " << error.message();
  fs::create_symlink(dir_ / "out" / "new", y);
  const ProgramRun restored = Vantrel({"--restore", Arg(dir_ / "t")});
  EXPECT_EQ(restored.status, 2);
  EXPECT_EQ(restored.out, Arg(gone) + "\n") << "a file that is gone is made again";
  for (const fs::path& link : {x, y}) {
    EXPECT_NE(restored.err.find(Arg(link) + ": not put back from '" + Arg(link) + ".bak': it is a link, and nothing is written through one\n"),
              std::string::npos) << restored.err;
    EXPECT_TRUE(fs::exists(fs::path(link) += ".bak"));
  }
  EXPECT_EQ(testing::ReadText(precious), "PRECIOUS");
  EXPECT_FALSE(fs::exists(dir_ / "out" / "new"));
  EXPECT_EQ(testing::ReadText(gone), "ggAAAAgg");
}

// Text as the inside of a JSON string (the paths and reasons of these tests need no more).
std::string JsonEscaped(std::string_view text) {
  std::string escaped;
  for (const char ch : text) {
    if (ch == '\\' || ch == '"') escaped += '\\';
    escaped += ch;
  }
  return escaped;
}

// A path as a JSON string holds it.
std::string JsonPath(const fs::path& path) { return "{\"text\":\"" + JsonEscaped(Arg(path)) + "\"}"; }

// A restore reports as a run does: a line per file put back and per backup passed over, and
// the counts of --stats and of the JSON summary, with the journal that undoes it; on several
// threads (-j) as on one.
TEST_F(BatchOptionsTest, RestoreReportsInJsonAndStatsAsARunDoes) {
  const fs::path a = File("t/a", "xxAAAAxx");
  const fs::path b = File("t/s/b", "AAAA");
  const fs::path own = File("t/c.bak", "old");
  File("t/c", "mine");
  const std::vector<std::string> patch = {"-y", "-b", "-f", "41414141", "-r", "42424242", Arg(dir_ / "t")};
  ASSERT_EQ(Vantrel(patch).status, 0);
  const ProgramRun json = Vantrel({"--restore", "--json", "-j", "2", Arg(dir_ / "t")});
  EXPECT_EQ(json.status, 0) << json.err;
  EXPECT_EQ(json.err, "");
  std::vector<std::string> lines = Lines(json.out);
  ASSERT_EQ(lines.size(), 4u) << json.out;
  const std::string summary = lines.back();
  lines.pop_back();
  const std::string own_file = Arg(own).substr(0, Arg(own).size() - 4);
  EXPECT_EQ(std::set<std::string>(lines.begin(), lines.end()),
            (std::set<std::string>{
                "{\"type\":\"restore\",\"data\":{\"path\":" + JsonPath(a) + ",\"backup\":" + JsonPath(fs::path(a) += ".bak") + "}}",
                "{\"type\":\"restore\",\"data\":{\"path\":" + JsonPath(b) + ",\"backup\":" + JsonPath(fs::path(b) += ".bak") + "}}",
                "{\"type\":\"warning\",\"data\":{\"path\":" + JsonPath(own) + ",\"reason\":\"left alone: no journal of " +
                    std::string(kProgram) + " records it as a backup of '" + JsonEscaped(own_file) + "'\"}}"}));
  EXPECT_EQ(summary.rfind("{\"type\":\"summary\",\"data\":{\"backups\":3,\"put_back\":2,\"left_alone\":1,\"failed\":0,\"elapsed_ns\":", 0), 0u)
      << summary;
  EXPECT_NE(summary.find(",\"journal\":{\"text\":\""), std::string::npos) << summary;
  EXPECT_EQ(testing::ReadText(a), "xxAAAAxx");
  EXPECT_EQ(testing::ReadText(b), "AAAA");

  ASSERT_EQ(Vantrel(patch).status, 0);
  const ProgramRun stats = Vantrel({"--restore", "--stats", Arg(dir_ / "t")});
  EXPECT_EQ(stats.status, 0) << stats.err;
  const std::vector<std::string> put_back = Lines(stats.out);
  EXPECT_EQ(std::set<std::string>(put_back.begin(), put_back.end()), (std::set<std::string>{Arg(a), Arg(b)}));
  const std::string counts = "3 backups found\n2 put back\n1 left alone: no journal records them\n0 could not be read or put back\n";
  EXPECT_NE(stats.err.find(counts), std::string::npos) << stats.err;
  EXPECT_NE(stats.err.find(" seconds\njournal: "), std::string::npos) << stats.err;
  EXPECT_EQ(stats.err.rfind(Arg(own) + ": left alone: no journal of ", 0), 0u) << stats.err;
}

// A restore writes under its run's journal like any run: --undo gives the patched files back.
TEST_F(BatchOptionsTest, UndoAfterRestoreGivesThePatchedFilesBack) {
  const fs::path grown = File("t/g", "ggAAAA");
  const fs::path same = File("t/s", "ssAAAAs");
  ASSERT_EQ(Vantrel({"-y", "-b", "-f", "41414141", "-r", "4242424242424242", Arg(dir_ / "t")}).status, 0);
  ASSERT_EQ(Vantrel({"--restore", Arg(dir_ / "t")}).status, 0);
  ASSERT_EQ(testing::ReadText(grown), "ggAAAA");
  const ProgramRun undone = Vantrel({"--undo"});
  EXPECT_EQ(undone.status, 0) << undone.err;
  EXPECT_EQ(testing::ReadText(grown), "ggBBBBBBBB");
  EXPECT_EQ(testing::ReadText(same), "ssBBBBBBBB");
}

#ifndef _WIN32
TEST_F(BatchOptionsTest, RestoreOverAFifoSaysItIsNotARegularFile) {
  const fs::path file = File("t/f", "AAAA");
  ASSERT_EQ(Vantrel({"-y", "-b", "-f", "41414141", "-r", "42424242", Arg(file)}).status, 0);
  fs::remove(file);
  ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
  const ProgramRun restored = Vantrel({"--restore", Arg(file)});
  EXPECT_EQ(restored.status, 2);
  EXPECT_EQ(restored.err, Arg(file) + ": not put back from '" + Arg(file) + ".bak': not a regular file\n");
  EXPECT_EQ(fs::status(file).type(), fs::file_type::fifo);
}
#endif

// --- bad input -----------------------------------------------------------------------------

TEST_F(BatchOptionsTest, BadOptionsAreUsageErrorsAndWriteNothing) {
  const fs::path file = File("a.bin", "PAT");
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"-y", "-g", "a[b", "-f", "50", "-r", "51"}, "invalid glob 'a[b': unclosed character class; missing ']'"},
      {{"--restore", "-y"}, "--restore puts the backups of an earlier run back; it takes no -y"},
      {{"--restore", "-0"}, "--restore puts the backups of an earlier run back; it takes no -0"},
      {{"-y", "-C", "2", "-f", "50", "-r", "51"},
       "-C shows the bytes around each occurrence before anything is written: it works with --dry-run"},
      {{"-y", "--max-depth", "-1", "-f", "50", "-r", "51"}, "--max-depth needs a whole number, 0 or more, not '-1'"},
      {{"-y", "-j", "0", "-f", "50", "-r", "51"}, "-j needs a number of threads from 1 to 64, not '0'"},
      {{"-p", Arg(file), "-f", "50"}, "-p and -f exclude each other: the patch list holds the patterns and their replacements"},
      {{"--json", "-f", "50"}, "--json works with --yes or --dry-run"},
      {{"-0", "-f", "50"}, "-0 works with --yes or --dry-run"},
      {{"-n", "--null", "--json", "-f", "50"}, "--null ends the paths of the text lines, and --json writes none: give one of them"},
  };
  for (const auto& [options, message] : cases) {
    std::vector<std::string> args = options;
    args.push_back(Arg(file));
    const ProgramRun run = Vantrel(args);
    EXPECT_EQ(run.status, 2) << message;
    EXPECT_NE(run.err.find(": error: " + message + "\n"), std::string::npos) << run.err;
    EXPECT_EQ(testing::ReadText(file), "PAT");
  }
}

}  // namespace
}  // namespace vantrel
