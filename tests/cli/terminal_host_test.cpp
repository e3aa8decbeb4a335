// The interactive host: questions on the terminal, answers line by line.
#include "cli/terminal_host.h"

#include <gtest/gtest.h>

#include "tests/cli/fake_console.h"

namespace vantrel::cli {
namespace {

class TerminalHostTest : public ::testing::Test {
 protected:
  TerminalHostTest() { run_.find = {0x61, 0x62}; }

  bool Ask(std::initializer_list<std::string> lines) {
    console_.input.assign(lines.begin(), lines.end());
    Output output(console_, Channel::kOutput);
    Backups backups(std::nullopt);
    TerminalHost host(run_, console_, output, backups);
    return host.Prompt("是否进行替换？", PromptKind::kYesNo);
  }

  RunDescription run_;
  testing::FakeConsole console_;
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
  Backups backups(std::nullopt);
  TerminalHost host(run_, console_, output, backups);
  EXPECT_FALSE(host.Prompt("没有找到你要搜索的内容。", PromptKind::kInformation));
  EXPECT_EQ(console_.out, "没有找到你要搜索的内容。\n");
  EXPECT_EQ(console_.input.size(), 1u);
}

TEST_F(TerminalHostTest, MessagesGoWhereTheModeSendsThem) {
  console_.input = {"n"};
  Output output(console_, Channel::kError);
  Backups backups(std::nullopt);
  TerminalHost host(run_, console_, output, backups);
  host.Prompt("是否进行替换？", PromptKind::kYesNo);
  EXPECT_EQ(console_.out, "");
  EXPECT_EQ(console_.err, "是否进行替换？ [y/n] n\n");
}

TEST_F(TerminalHostTest, HandsTheRunTheWholePatternAsHexText) {
  run_.find = Bytes(100, 0xAB);  // longer than the dialog's box would hold
  run_.replacement = Bytes{0x01, 0x02};
  run_.ask = false;
  Output output(console_, Channel::kOutput);
  Backups backups(std::nullopt);
  TerminalHost host(run_, console_, output, backups);
  EXPECT_EQ(HexTextToBytes(host.FindHexText()), run_.find);
  EXPECT_EQ(host.ReplaceHexText(), "01 02");
  EXPECT_EQ(host.ReplaceHexLength(), 5u);
  EXPECT_FALSE(host.AskBeforeReplace());
}

TEST_F(TerminalHostTest, WithoutAReplacementTheReplaceTextIsEmpty) {
  Output output(console_, Channel::kOutput);
  Backups backups(std::nullopt);
  TerminalHost host(run_, console_, output, backups);
  EXPECT_EQ(host.ReplaceHexLength(), 0u);
}

}  // namespace
}  // namespace vantrel::cli
