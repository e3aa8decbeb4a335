// The journal under the built program's writes, as a user meets it: where it is made, --undo
// with its checks and its refusals, --no-journal and --journal, and a journal that cannot be
// written. Recovery after a kill is tried by the kill test (tests/cli/kill_test.sh).
#include <gtest/gtest.h>

#include <chrono>

#include "tests/cli/program_run.h"
#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using testing::Arg;
using testing::ProgramRun;

#ifdef _WIN32
constexpr std::string_view kProgram = "vantrel-cli";
constexpr std::string_view kStateName = "Vantrel";
#else
constexpr std::string_view kProgram = "vantrel";
constexpr std::string_view kStateName = "vantrel";
#endif

class JournalTest : public ::testing::Test {
 protected:
  JournalTest() { testing::UseStateFolder(state_.path()); }
  fs::path File(const fs::path& name, std::string_view content) {
    const fs::path path = (dir_ / name).make_preferred();
    fs::create_directories(path.parent_path());
    testing::WriteFile(path, content);
    return path;
  }
  static ProgramRun Vantrel(const std::vector<std::string>& args) { return testing::RunProgram(args); }
  static ProgramRun Patch(const fs::path& path, std::vector<std::string> more = {}) {
    std::vector<std::string> args{"-y", "--find-ascii", "AB", "--no-whole-string", "--replace-ascii", "XYZ"};
    args.insert(args.end(), more.begin(), more.end());
    args.push_back(Arg(path));
    return Vantrel(args);
  }
  fs::path Folder() const { return state_.path() / kStateName; }
  std::vector<fs::path> Journals() const {
    std::vector<fs::path> found;
    std::error_code error;
    for (fs::directory_iterator entry(Folder(), error), end; !error && entry != end; entry.increment(error)) {
      found.push_back(entry->path());
    }
    return found;
  }
  std::string Program() const { return std::string(kProgram); }

  testing::TempDir state_;
  testing::TempDir dir_;
};

TEST_F(JournalTest, UndoPutsBackBytesLengthAndTimeNewestRunFirstAndOnlyOnce) {
  const fs::path grown = File("t/grown", "..AB..AB");  // the last write grows the file
  const fs::path plain = File("t/plain", "AB");
  const fs::path other = File("other", "AB");
  const auto old_time = fs::last_write_time(grown) - std::chrono::hours(100);
  fs::last_write_time(grown, old_time);
  ASSERT_EQ(Patch(dir_ / "t").status, 0);
  ASSERT_EQ(Patch(other).status, 0);
  ASSERT_EQ(testing::ReadText(grown), "..XYZ.XYZ");
  ASSERT_EQ(Journals().size(), 2u) << "one journal per run that wrote";
  ASSERT_EQ(Patch(other).status, 1) << "a run that writes nothing";
  EXPECT_EQ(Journals().size(), 2u) << "leaves no journal";

  // The default is the newest run's journal: only `other` goes back.
  const ProgramRun newest = Vantrel({"--undo"});
  EXPECT_EQ(newest.status, 0) << newest.err;
  EXPECT_EQ(newest.out, Arg(fs::absolute(other)) + "\n");
  EXPECT_EQ(testing::ReadText(other), "AB");
  EXPECT_EQ(testing::ReadText(grown), "..XYZ.XYZ");

  std::vector<fs::path> journals = Journals();
  std::sort(journals.begin(), journals.end());
  const ProgramRun first = Vantrel({"--undo", Arg(journals.front())});
  EXPECT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(testing::ReadText(grown), "..AB..AB");
  EXPECT_EQ(testing::ReadText(plain), "AB");
  EXPECT_EQ(fs::last_write_time(grown), old_time);
  EXPECT_EQ(first.out.size(), Arg(fs::absolute(grown)).size() + Arg(fs::absolute(plain)).size() + 2) << first.out;

  const ProgramRun again = Vantrel({"--undo", Arg(journals.front())});
  EXPECT_EQ(again.status, 2);
  EXPECT_EQ(again.out, "");
  EXPECT_EQ(again.err, Program() + ": '" + Arg(journals.front()) +
                           "': this run was undone already; nothing was put back\n");
}

TEST_F(JournalTest, UndoLeavesAloneAFileChangedSinceTheRunAndPutsBackTheRest) {
  const fs::path changed = File("t/changed", "AB..");
  const fs::path kept = File("t/kept", "AB");
  ASSERT_EQ(Patch(dir_ / "t").status, 0);
  testing::WriteFile(changed, "QQQ.");  // same length, other bytes where the run wrote
  const ProgramRun undo = Vantrel({"--undo"});
  EXPECT_EQ(undo.status, 2);
  EXPECT_EQ(undo.out, Arg(fs::absolute(kept)) + "\n");
  EXPECT_EQ(undo.err, Arg(fs::absolute(changed)) +
                          ": changed since the run (the bytes at 0 are not the ones it wrote); left alone\n");
  EXPECT_EQ(testing::ReadText(changed), "QQQ.");
  EXPECT_EQ(testing::ReadText(kept), "AB");
}

TEST_F(JournalTest, UndoOfAnAskingRunPutsBackEveryAnsweredWriteAndListsTheFileOnce) {
  const fs::path file = File("a", "AB..AB..AB");
  testing::RunOptions answers;
  answers.input = "y\ny\ny\ny\nn\n";  // two writes, then no to the third
  ASSERT_EQ(testing::RunProgram({"--find-ascii", "AB", "--no-whole-string", "--replace-ascii", "CD", Arg(file)}, answers)
                .status,
            0);
  ASSERT_EQ(testing::ReadText(file), "CD..CD..AB");
  const ProgramRun undo = Vantrel({"--undo"});
  EXPECT_EQ(undo.status, 0) << undo.err;
  EXPECT_EQ(undo.out, Arg(fs::absolute(file)) + "\n");
  EXPECT_EQ(testing::ReadText(file), "AB..AB..AB");
}

// A journal holds old bytes, the very pattern a run replaces: a walk of a tree that holds the
// state folder (a home folder), or the journal named by --journal, must never patch one, or
// the undo data of earlier runs, and of the run itself, is lost.
TEST_F(JournalTest, AWalkOfATreeThatHoldsTheJournalsPassesThemOver) {
  const fs::path first = File("first", "AB");
  ASSERT_EQ(Patch(first).status, 0);
  ASSERT_EQ(Journals().size(), 1u);
  const fs::path old_journal = Journals().front();
  const std::string old_bytes = testing::ReadText(old_journal);
  ASSERT_NE(old_bytes.find("AB"), std::string::npos) << "the journal holds the old bytes";

  const fs::path home = state_.path() / "home.txt";
  testing::WriteFile(home, "AB");
  for (const std::string mode : {"--dry-run", "-y"}) {
    const ProgramRun walk = Vantrel({mode, "-j1", "--find-ascii", "AB", "--no-whole-string", "--replace-ascii", "XYZ",
                                     Arg(state_.path())});
    EXPECT_EQ(walk.status, 0) << mode << walk.err;
    EXPECT_EQ(walk.out, Arg(home) + ":0x00000000\n") << mode << ": the journals are not listed either";
  }
  EXPECT_EQ(testing::ReadText(old_journal), old_bytes);
  EXPECT_EQ(testing::ReadText(home), "XYZ");

  // The journal of a run kept inside the tree it walks, made only at its first write.
  std::vector<fs::path> files;
  for (int i = 0; i < 20; ++i) files.push_back(File("tree/f" + std::to_string(i), "AB"));
  const fs::path inside = dir_ / "tree" / "sub" / "run.journal";
  fs::create_directories(inside.parent_path());
  const ProgramRun own = Patch(dir_ / "tree", {"-j1", "--journal", Arg(inside)});
  EXPECT_EQ(own.status, 0) << own.err;
  EXPECT_EQ(own.out.find("run.journal"), std::string::npos) << own.out;
  const ProgramRun undo = Vantrel({"--undo", Arg(inside)});
  EXPECT_EQ(undo.status, 0) << undo.err;
  for (const fs::path& file : files) EXPECT_EQ(testing::ReadText(file), "AB") << file;

  // Each earlier run is still undone exactly.
  EXPECT_EQ(Vantrel({"--undo"}).status, 0);
  EXPECT_EQ(testing::ReadText(home), "AB");
  EXPECT_EQ(Vantrel({"--undo", Arg(old_journal)}).status, 0);
  EXPECT_EQ(testing::ReadText(first), "AB");
}

TEST_F(JournalTest, NoJournalKeepsNoneAndThereIsNothingToUndo) {
  const fs::path file = File("a", "AB");
  ASSERT_EQ(Patch(file, {"--no-journal"}).status, 0);
  EXPECT_EQ(testing::ReadText(file), "XYZ");
  EXPECT_TRUE(Journals().empty());
  const ProgramRun undo = Vantrel({"--undo"});
  EXPECT_EQ(undo.status, 1);
  EXPECT_EQ(undo.err, Program() + ": no journal in '" + Arg(Folder()) + "': no run has written a file yet\n");
  const ProgramRun recover = Vantrel({"--recover"});
  EXPECT_EQ(recover.status, 1);
  EXPECT_EQ(recover.err, Program() + ": no unfinished run in '" + Arg(Folder()) + "': nothing to recover\n");
}

TEST_F(JournalTest, JournalFileGoesWhereToldAndOneThatCannotBeMadeLeavesTheFileUnwritten) {
  const fs::path file = File("a", "AB");
  const fs::path elsewhere = dir_ / "run.journal";
  const ProgramRun json = Patch(file, {"--journal", Arg(elsewhere), "--json"});
  ASSERT_EQ(json.status, 0) << json.err;
  std::string in_json;  // the path as JSON writes it: a Windows path's backslashes doubled
  for (char ch : Arg(elsewhere)) in_json += ch == '\\' ? std::string("\\\\") : std::string(1, ch);
  EXPECT_NE(json.out.find("\"journal\":{\"text\":\"" + in_json + "\"}"), std::string::npos) << json.out;
  EXPECT_TRUE(Journals().empty());
  const ProgramRun recover = Vantrel({"--recover", Arg(elsewhere)});
  EXPECT_EQ(recover.status, 1);
  EXPECT_EQ(recover.err, Program() + ": '" + Arg(elsewhere) +
                             "': this run finished; nothing to recover (--undo puts its files back)\n");
  ASSERT_EQ(Vantrel({"--undo", Arg(elsewhere)}).status, 0);
  EXPECT_EQ(testing::ReadText(file), "AB");

  // An existing file is never taken for a journal, nor a folder that is not there.
  const ProgramRun taken = Patch(file, {"--journal", Arg(elsewhere)});
  EXPECT_EQ(taken.status, 2);
  EXPECT_EQ(testing::ReadText(file), "AB");
  EXPECT_EQ(taken.err.rfind(Arg(file) + ": cannot write the journal " + Arg(elsewhere) + ": ", 0), 0u) << taken.err;
  EXPECT_NE(taken.err.find(" (the file is as it was)\n"), std::string::npos) << taken.err;
  EXPECT_EQ(Patch(file, {"--journal", Arg(dir_ / "none" / "j")}).status, 2);
  EXPECT_EQ(testing::ReadText(file), "AB");
}

TEST_F(JournalTest, JournalOptionsAreCheckedBeforeAnythingIsWritten) {
  const fs::path file = File("a", "AB");
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"--undo", "-y"}, "--undo works from a run's journal; it takes no -y"},
      {{"--recover", "--no-journal"}, "--recover works from a run's journal; it takes no --no-journal"},
      {{"--undo", "a", "b"}, "--undo takes one journal, not 2"},
      {{"--undo", "--recover"}, "the action on a journal is given twice (--undo and --recover)"},
      {{"-y", "-f", "41", "-r", "42", "--journal", "j", "--no-journal", "a"}, "--journal and --no-journal exclude each other"},
  };
  for (const auto& c : cases) {
    const ProgramRun run = Vantrel(c.args);
    EXPECT_EQ(run.status, 2) << c.message;
    EXPECT_EQ(run.err.substr(0, run.err.find('\n')), Program() + ": error: " + c.message);
  }
  EXPECT_EQ(testing::ReadText(file), "AB");
}

}  // namespace
}  // namespace vantrel
