// The run on one file, driven by a scripted host: every prompt in order, and the file after.
#include "runs/run_file.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/path_text.h"
#include "tests/support/scripted_host.h"
#include "tests/support/temp_dir.h"

namespace vantrel {
namespace {

using testing::Shown;
using testing::ScriptedHost;
using testing::ToBytes;

constexpr auto kYesNo = PromptKind::kYesNo;

class ReplaceInFileTest : public ::testing::Test {
 protected:
  std::filesystem::path File(std::string_view content) {
    testing::WriteFile(path_, content);
    return path_;
  }
  std::string Content() const { return testing::ReadText(path_); }
  // offset: as the message prints it, "0x" and eight uppercase digits.
  Shown Found(std::string_view offset, bool ask = true) const {
    const std::string text = "文件\"" + os::PathText(path_) + "\"\n找到关键位置：" + std::string(offset);
    return {text + (ask ? "。是否进行替换？" : "。"), ask ? kYesNo : PromptKind::kOkQuestion};
  }
  static Shown GoOn() { return {std::string("字符替换成功，是否继续替换？"), kYesNo}; }
  static Shown NotFound() { return {std::string("没有找到你要搜索的内容。"), PromptKind::kInformation}; }

  testing::TempDir dir_;
  std::filesystem::path path_ = dir_ / "target.bin";
};

// "abc" is 61 62 63, "XYZ" is 58 59 5A.
TEST_F(ReplaceInFileTest, AsksWritesOffersToGoOnAndSearchesAgainFromTheStart) {
  ScriptedHost host("61 62 63", "58 59 5A");
  host.Answer({true, true, true, true});
  ReplaceInFile(File("abc..abc"), false, host.job(), host);
  EXPECT_EQ(host.prompts(), (std::vector<Shown>{Found("0x00000000"), GoOn(), Found("0x00000005"), GoOn(), NotFound()}));
  EXPECT_EQ(Content(), "XYZ..XYZ");
}

TEST_F(ReplaceInFileTest, AnswerNoToTheQuestionWritesNothing) {
  ScriptedHost host("61 62 63", "58 59 5A");
  host.Answer({false});
  ReplaceInFile(File("..abc"), false, host.job(), host);
  EXPECT_EQ(host.prompts(), (std::vector<Shown>{Found("0x00000002")}));
  EXPECT_EQ(Content(), "..abc");
}

TEST_F(ReplaceInFileTest, AnswerNoToGoOnEndsTheRunAfterOneWrite) {
  ScriptedHost host("61 62 63", "58 59 5A");
  host.Answer({true, false});
  ReplaceInFile(File("abcabc"), false, host.job(), host);
  EXPECT_EQ(host.prompts(), (std::vector<Shown>{Found("0x00000000"), GoOn()}));
  EXPECT_EQ(Content(), "XYZabc");
}

TEST_F(ReplaceInFileTest, WithoutTheQuestionWritesAndStillOffersToGoOn) {
  ScriptedHost host("61 62 63", "58 59 5A", /*ask=*/false);
  host.Answer({true, false});
  ReplaceInFile(File("abcabc"), false, host.job(), host);
  EXPECT_EQ(host.prompts(), (std::vector<Shown>{GoOn(), GoOn()}));
  EXPECT_EQ(Content(), "XYZXYZ");
}

TEST_F(ReplaceInFileTest, AnEmptyReplacementBoxShowsTheOffsetAndWritesNothingEvenWhenQuiet) {
  for (bool quiet : {false, true}) {
    ScriptedHost host("61 62 63", "");
    ReplaceInFile(File("....abc"), quiet, host.job(), host);
    EXPECT_EQ(host.prompts(), (std::vector<Shown>{Found("0x00000004", false)}));
    EXPECT_EQ(Content(), "....abc");
  }
}

TEST_F(ReplaceInFileTest, QuietSilencesOnlyTheOpenFailureAndNotFound) {
  ScriptedHost missing("61", "62");
  ReplaceInFile(dir_ / "missing", true, missing.job(), missing);
  EXPECT_TRUE(missing.prompts().empty());

  ScriptedHost absent("7A", "62");
  ReplaceInFile(File("abc"), true, absent.job(), absent);
  EXPECT_TRUE(absent.prompts().empty());

  ScriptedHost found("61 62 63", "58 59 5A");
  found.Answer({true, true});
  ReplaceInFile(File("abc"), true, found.job(), found);
  EXPECT_EQ(found.prompts(), (std::vector<Shown>{Found("0x00000000"), GoOn()}));  // the last search fails silently
  EXPECT_EQ(Content(), "XYZ");
}

TEST_F(ReplaceInFileTest, AFileThatCannotBeOpenedIsReportedInFileMode) {
  ScriptedHost host("61", "62");
  const FileOutcome outcome = ReplaceInFile(dir_ / "missing", false, host.job(), host);
  EXPECT_EQ(host.prompts(), (std::vector<Shown>{{std::string("打开文件失败！"), PromptKind::kWarning}}));
  EXPECT_EQ(outcome.failure, FileOutcome::Failure::kRead);
}

TEST_F(ReplaceInFileTest, TheOffsetIsShownWithEightDigits) {
  ScriptedHost host("21", "");
  ReplaceInFile(File(std::string(0x1A2B, '.') + "!"), false, host.job(), host);
  ASSERT_EQ(host.prompts().size(), 1u);
  EXPECT_NE(host.prompts()[0].text.find("找到关键位置：0x00001A2B。"), std::string::npos) << host.prompts()[0];
}

TEST_F(ReplaceInFileTest, AShorterReplacementChangesOnlyTheFirstBytesOfTheMatch) {
  ScriptedHost host("61 62 63 64 65", "31 32 33");
  host.Answer({true, false});
  ReplaceInFile(File("<abcde>"), false, host.job(), host);
  EXPECT_EQ(Content(), "<123de>");
}

TEST_F(ReplaceInFileTest, ALongerReplacementAtTheEndGrowsTheFile) {
  ScriptedHost host("61 62 63", "31 32 33 34 35");
  host.Answer({true, false});
  ReplaceInFile(File("..abc"), false, host.job(), host);
  EXPECT_EQ(Content(), "..12345");
}

TEST_F(ReplaceInFileTest, ALongerReplacementInsideTheFileOverwritesTheBytesBehindTheMatch) {
  ScriptedHost host("61 62", "31 32 33 34");
  host.Answer({true, false});
  ReplaceInFile(File("ab....."), false, host.job(), host);
  EXPECT_EQ(Content(), "1234...");
}

TEST_F(ReplaceInFileTest, AReplacementEqualToTheMatchFindsTheSameOffsetUntilTheUserSaysNo) {
  ScriptedHost host("61 62", "61 62");
  host.Answer({true, true, true, true, true, false});
  ReplaceInFile(File(".ab"), false, host.job(), host);
  EXPECT_EQ(host.prompts(), (std::vector<Shown>{Found("0x00000001"), GoOn(), Found("0x00000001"), GoOn(), Found("0x00000001"), GoOn()}));
  EXPECT_EQ(Content(), ".ab");
}

// With answers no one sees, the question that the write itself brings back is not asked.
TEST_F(ReplaceInFileTest, AnswersNoOneSeesEndWhenTheWriteOnlyBringsTheQuestionBack) {
  ScriptedHost kept("61 62", "61 62");
  kept.AnswersUnseen().Answer({true, true, true, true});
  ReplaceInFile(File(".ab"), false, kept.job(), kept);
  EXPECT_EQ(kept.prompts(), (std::vector<Shown>{Found("0x00000001"), GoOn()}));
  EXPECT_EQ(kept.stops(), (std::vector<std::pair<AskStop, std::int64_t>>{{AskStop::kPatternKept, 1}}));

  // Growing by a byte a write: asked at each new offset until a write grows the file.
  ScriptedHost grows("61 62", "78 61 62");
  grows.AnswersUnseen().Answer({true, true, true, true, true, true, true, true});
  ReplaceInFile(File(".ab."), false, grows.job(), grows);
  EXPECT_EQ(grows.prompts(), (std::vector<Shown>{Found("0x00000001"), GoOn(), Found("0x00000002"), GoOn()}));
  EXPECT_EQ(grows.stops(), (std::vector<std::pair<AskStop, std::int64_t>>{{AskStop::kFileGrows, 3}}));
  EXPECT_EQ(Content(), ".xxab");

  // A longer replacement that leaves no pattern behind ends as it always did.
  ScriptedHost gone("61 62", "31 32 33");
  gone.AnswersUnseen().Answer({true, true, true});
  ReplaceInFile(File("..ab"), false, gone.job(), gone);
  EXPECT_EQ(gone.prompts(), (std::vector<Shown>{Found("0x00000002"), GoOn(), NotFound()}));
  EXPECT_TRUE(gone.stops().empty());
}

TEST_F(ReplaceInFileTest, AFindPatternOfZeroBytesIsNothingToFind) {
  ScriptedHost host("6", "58");  // a lone digit decodes to no bytes
  host.Answer({true, true});
  ReplaceInFile(File("abc"), false, host.job(), host);
  EXPECT_EQ(host.prompts(), (std::vector<Shown>{NotFound()}));
  EXPECT_EQ(Content(), "abc");
}

TEST_F(ReplaceInFileTest, AFileChangedWhileTheQuestionIsOpenIsNotWritten) {
  ScriptedHost host("61 62 63", "58 59 5A");
  host.Answer({true});
  host.OnPrompt([this](const Shown& prompt) {
    if (prompt.kind == kYesNo) testing::WriteFile(path_, "..abd..");
  });
  const FileOutcome outcome = ReplaceInFile(File("..abc.."), false, host.job(), host);
  EXPECT_EQ(host.prompts(),
            (std::vector<Shown>{Found("0x00000002"), {std::string("文件内容已改变，未进行替换。"), PromptKind::kWarning}}));
  EXPECT_EQ(Content(), "..abd..");
  EXPECT_EQ(outcome.failure, FileOutcome::Failure::kChanged);
}

TEST_F(ReplaceInFileTest, AFileTruncatedWhileTheQuestionIsOpenIsNotWrittenOrGrown) {
  ScriptedHost host("61 62 63", "58 59 5A");
  host.Answer({true});
  host.OnPrompt([this](const Shown& prompt) {
    if (prompt.kind == kYesNo) testing::WriteFile(path_, "..a");
  });
  ReplaceInFile(File("..abc"), false, host.job(), host);
  EXPECT_EQ(host.prompts().back(), (Shown{std::string("文件内容已改变，未进行替换。"), PromptKind::kWarning}));
  EXPECT_EQ(Content(), "..a");
}

TEST_F(ReplaceInFileTest, AFileDeletedWhileTheQuestionIsOpenGivesTheWriteFailure) {
  ScriptedHost host("61 62 63", "58 59 5A");
  host.Answer({true});
  host.OnPrompt([this](const Shown& prompt) {
    if (prompt.kind == kYesNo) std::filesystem::remove(path_);
  });
  ReplaceInFile(File("abc"), false, host.job(), host);
  EXPECT_EQ(host.prompts().back(), (Shown{std::string("写入文件失败！"), PromptKind::kWarning}));
  EXPECT_FALSE(std::filesystem::exists(path_));
}

// A host that has to prepare each write (the command line's backups) sees the file as it was
// found, and a failed preparation leaves the file unwritten.
class PreparingHost : public ScriptedHost {
 public:
  using ScriptedHost::ScriptedHost;
  std::function<Result<void>(const std::filesystem::path&)> prepare;
  Result<void> BeforeWrite(const std::filesystem::path& path, const os::TreeRoot*) override { return prepare(path); }
};

TEST_F(ReplaceInFileTest, TheHostPreparesEveryWriteWhileTheFileIsUnchanged) {
  PreparingHost host("61 62 63", "58 59 5A", /*ask=*/false);
  host.Answer({true, true});
  std::vector<std::string> seen;
  host.prepare = [&](const std::filesystem::path& path) -> Result<void> {
    const Bytes now = testing::ReadFile(path);
    seen.emplace_back(now.begin(), now.end());
    return {};
  };
  ReplaceInFile(File("abc.abc"), false, host.job(), host);
  EXPECT_EQ(seen, (std::vector<std::string>{"abc.abc", "XYZ.abc"}));
  EXPECT_EQ(Content(), "XYZ.XYZ");
}

TEST_F(ReplaceInFileTest, AFailedPreparationWritesNothingAndReportsTheWriteFailure) {
  PreparingHost host("61 62 63", "58 59 5A");
  host.Answer({true});
  host.prepare = [](const std::filesystem::path&) -> Result<void> { return SystemError{17, "backup exists"}; };
  const FileOutcome outcome = ReplaceInFile(File("..abc"), true, host.job(), host);
  EXPECT_EQ(host.prompts(), (std::vector<Shown>{Found("0x00000002"), {std::string("写入文件失败！"), PromptKind::kWarning}}));
  EXPECT_EQ(Content(), "..abc");
  EXPECT_EQ(outcome.failure, FileOutcome::Failure::kWrite);
  EXPECT_EQ(outcome.error.message, "backup exists");
  EXPECT_EQ(outcome.written, 0);
}

}  // namespace
}  // namespace vantrel
