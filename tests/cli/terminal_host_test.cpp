// The interactive host: questions on the terminal, answers line by line.
#include "cli/terminal_host.h"

#include <gtest/gtest.h>

#include "tests/cli/fake_console.h"

namespace vantrel::cli {
namespace {

class TerminalHostTest : public ::testing::Test {
 protected:
  bool Ask(std::initializer_list<std::string> lines) {
    console_.input.assign(lines.begin(), lines.end());
    Output output(console_, Channel::kOutput);
    Progress progress(output);
    Report report(output, {});
    TerminalHost host(Mode::kInteractive, console_, output, backups_, progress, report);
    return host.Prompt("是否进行替换？", PromptKind::kYesNo);
  }

  testing::FakeConsole console_;
  Backups backups_{std::nullopt};
};

TEST_F(TerminalHostTest, YesAndNoInAnySpelling) {
  for (const char* yes : {"y", "yes", "Y", "YES", "  yes \t"}) EXPECT_TRUE(Ask({yes})) << yes;
  for (const char* no : {"n", "no", "N", "No", " n "}) EXPECT_FALSE(Ask({no})) << no;
}

TEST_F(TerminalHostTest, AnyOtherLineAsksAgain) {
  EXPECT_TRUE(Ask({"", "maybe", "ye", "yes"}));
  EXPECT_EQ(console_.out, "是否进行替换？ [y/n] \n是否进行替换？ [y/n] maybe\n是否进行替换？ [y/n] ye\n"
                          "是否进行替换？ [y/n] yes\n");
}

TEST_F(TerminalHostTest, TheEndOfTheInputIsNo) {
  EXPECT_FALSE(Ask({}));
  EXPECT_FALSE(Ask({"what?"}));
  EXPECT_TRUE(console_.input.empty());
}

TEST_F(TerminalHostTest, AnswersFromATerminalAreNotEchoed) {
  console_.input_terminal = true;
  EXPECT_TRUE(Ask({"y"}));
  EXPECT_EQ(console_.out, "是否进行替换？ [y/n] ");
}

TEST_F(TerminalHostTest, NoticesAreShownOnTheirOwnLineWithoutAnAnswer) {
  console_.input = {"y"};
  Output output(console_, Channel::kOutput);
  Progress progress(output);
  Report report(output, {});
    TerminalHost host(Mode::kInteractive, console_, output, backups_, progress, report);
  EXPECT_FALSE(host.Prompt("没有找到你要搜索的内容。", PromptKind::kInformation));
  EXPECT_EQ(console_.out, "没有找到你要搜索的内容。\n");
  EXPECT_EQ(console_.input.size(), 1u);
}

TEST_F(TerminalHostTest, MessagesGoWhereTheModeSendsThem) {
  console_.input = {"n"};
  Output output(console_, Channel::kError);
  Progress progress(output);
  Report report(output, {});
    TerminalHost host(Mode::kYes, console_, output, backups_, progress, report);
  host.Prompt("是否进行替换？", PromptKind::kYesNo);
  EXPECT_EQ(console_.out, "");
  EXPECT_EQ(console_.err, "是否进行替换？ [y/n] n\n");
}

// What a run reports becomes result lines on standard output and "PATH: reason" on standard
// error, and the host keeps count of what was found and what failed.
TEST_F(TerminalHostTest, TurnsTheNewsOfARunIntoLinesAndCounts) {
  Output output(console_, Channel::kError);
  Progress progress(output);
  Report report(output, {});
    TerminalHost host(Mode::kYes, console_, output, backups_, progress, report);
  FileOutcome written;
  written.found = 1;
  host.Written("a.bin", Match{0x1A2B, 0, {}, {}, {}});
  host.FileDone("a.bin", written);
  FileOutcome changed;
  changed.found = 1;
  changed.failure = FileOutcome::Failure::kChanged;
  changed.changed_at = 16;
  host.FileDone("b.bin", changed);
  host.Unlistable("closed", SystemError{13, "Permission denied"});
  output.Flush();
  EXPECT_EQ(console_.out, "a.bin:0x00001A2B\n");
  EXPECT_EQ(console_.err,
            "b.bin: the bytes at 0x00000010 changed while the file was being patched; stopped there, and the file is as it was\n"
            "closed: Permission denied\n");
  EXPECT_TRUE(host.found());
  EXPECT_TRUE(host.failed());
}

}  // namespace
}  // namespace vantrel::cli
