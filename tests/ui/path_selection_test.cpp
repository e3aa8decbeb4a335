// How a path reaches the path box: the command line, drops (with shortcuts), the browse
// button; and the Start command with its rules, its runs and their prompts.
#include <algorithm>
#include <filesystem>

#include "platform/path_text.h"
#include "platform/wide_text.h"
#include "res/resource.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/dialog_fixture.h"

namespace vantrel::testing {
namespace {

namespace fs = std::filesystem;

constexpr UINT kYesNo = MB_YESNO | MB_ICONQUESTION;
constexpr wchar_t kCaption[] = L"字符替换工具";

std::wstring Wide(std::string_view utf8) { return os::win32::Utf8ToWide(utf8); }

// offset: as the message prints it, "0x" and eight uppercase digits.
ShownBox Found(const fs::path& path, std::string_view offset, bool ask = true) {
  const std::string text = "文件\"" + os::PathText(path) + "\"\n找到关键位置：" + std::string(offset);
  return {Wide(text + (ask ? "。是否进行替换？" : "。")), kCaption, ask ? kYesNo : UINT{MB_ICONQUESTION}};
}
ShownBox GoOn() { return {Wide("字符替换成功，是否继续替换？"), kCaption, kYesNo}; }
ShownBox NotFound() { return {Wide("没有找到你要搜索的内容。"), kCaption, UINT{MB_ICONINFORMATION}}; }
ShownBox OpenFailed() { return {Wide("打开文件失败！"), kCaption, UINT{MB_ICONEXCLAMATION}}; }

// "搜索完毕" is captioned with the program's name: here the test program's.
ShownBox SearchFinished() {
  wchar_t module[MAX_PATH];
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  return {L"搜索完毕", fs::path(module).stem().native(), UINT{MB_OK}};
}

class PathTest : public DialogTest {
 protected:
  TempDir temp_;
  fs::path file_ = temp_ / "target.bin";
  fs::path dir_ = temp_ / "tree";

  void SetUp() override {
    DialogTest::SetUp();
    WriteFile(file_, "abc..abc");
    fs::create_directory(dir_);
  }
};

// --- AcceptPath, through drops and the command line ---------------------------------------

using AcceptPathTest = PathTest;

TEST_F(AcceptPathTest, DroppingADirectoryTurnsDirectoryModeOnAndAFileTurnsItOff) {
  Drop({dir_});
  EXPECT_EQ(Text(IDC_PATH), dir_.native());
  EXPECT_TRUE(Checked(IDC_OPEN_DIR));
  Drop({file_});
  EXPECT_EQ(Text(IDC_PATH), file_.native());
  EXPECT_FALSE(Checked(IDC_OPEN_DIR));
}

TEST_F(AcceptPathTest, OnlyTheFirstFileOfADropIsTaken) {
  Drop({file_, dir_});
  EXPECT_EQ(Text(IDC_PATH), file_.native());
  EXPECT_FALSE(Checked(IDC_OPEN_DIR));
}

TEST_F(AcceptPathTest, AMissingPathChangesNothing) {
  Drop({dir_});
  Drop({temp_ / "missing.bin"});
  EXPECT_EQ(Text(IDC_PATH), dir_.native());
  EXPECT_TRUE(Checked(IDC_OPEN_DIR));
}

TEST_F(AcceptPathTest, APathLongerThanStartCanReadIsIgnoredLikeAMissingOne) {
  // Start reads 259 characters of the path box; a longer path would be cut into another one.
  fs::path deep = temp_.path();
  while (deep.native().size() <= 259) deep /= std::wstring(40, L'd');
  fs::create_directories(L"\\\\?\\" + deep.native());
  Drop({file_});
  Drop({deep});
  EXPECT_EQ(Text(IDC_PATH), file_.native());
}

TEST_F(AcceptPathTest, NamesOutsideTheAnsiCodePageAreKept) {
  const fs::path named = temp_ / L"Ωμέγα_ß_中文_😀.bin";
  WriteFile(named, "x");
  Drop({named});
  EXPECT_EQ(Text(IDC_PATH), named.native());
}

TEST_F(AcceptPathTest, AShortcutIsReplacedByItsTargetAlsoWithTheExtensionInCapitals) {
  MakeShortcut(temp_ / "to-file.lnk", file_);
  MakeShortcut(temp_ / "TO-FILE2.LNK", file_);
  Drop({temp_ / "to-file.lnk"});
  EXPECT_EQ(Text(IDC_PATH), file_.native());
  SetText(IDC_PATH, L"");
  Drop({temp_ / "TO-FILE2.LNK"});
  EXPECT_EQ(Text(IDC_PATH), file_.native());
  EXPECT_FALSE(Checked(IDC_OPEN_DIR));
}

TEST_F(AcceptPathTest, AShortcutToADirectoryGivesItsPathButLeavesDirectoryModeOff) {
  Drop({dir_});
  MakeShortcut(temp_ / "to-dir.lnk", dir_);
  Drop({temp_ / "to-dir.lnk"});
  EXPECT_EQ(Text(IDC_PATH), dir_.native());
  EXPECT_FALSE(Checked(IDC_OPEN_DIR));
}

TEST_F(AcceptPathTest, AShortcutThatCannotBeResolvedEmptiesThePathBox) {
  WriteFile(temp_ / "broken.lnk", "this is not a shell link");
  Drop({file_});
  Drop({temp_ / "broken.lnk"});
  EXPECT_EQ(Text(IDC_PATH), L"");
}

TEST_F(AcceptPathTest, AFileWhoseNameOnlyContainsLnkIsNotAShortcut) {
  const fs::path named = temp_ / "x.lnk.bin";
  WriteFile(named, "x");
  Drop({named});
  EXPECT_EQ(Text(IDC_PATH), named.native());
}

TEST_F(AcceptPathTest, TheCommandLinePathIsAcceptedAtStart) {
  Open(dir_);
  EXPECT_EQ(Text(IDC_PATH), dir_.native());
  EXPECT_TRUE(Checked(IDC_OPEN_DIR));
  MakeShortcut(temp_ / "start.lnk", file_);
  Open(temp_ / "start.lnk");
  EXPECT_EQ(Text(IDC_PATH), file_.native());
  EXPECT_FALSE(Checked(IDC_OPEN_DIR));
  Open(temp_ / "missing");
  EXPECT_EQ(Text(IDC_PATH), L"");
}

// --- The browse button ---------------------------------------------------------------------

using BrowseTest = PathTest;

TEST_F(BrowseTest, InDirectoryModeTheFolderBrowserStartsAtThePathBox) {
  Drop({dir_});
  browser_.Choose(temp_.path().native());
  Click(IDC_BROWSE);
  EXPECT_EQ(browser_.calls(), (std::vector<BrowseCall>{{BrowseCall::Kind::kFolder, dir_.native()}}));
  EXPECT_EQ(Text(IDC_PATH), temp_.path().native());
  EXPECT_TRUE(Checked(IDC_OPEN_DIR));
}

TEST_F(BrowseTest, TheFileDialogTakesThePathBoxAsInitialNameOnlyFromFourCharacters) {
  browser_.Choose(std::nullopt);
  SetText(IDC_PATH, L"C:\\");
  Click(IDC_BROWSE);
  SetText(IDC_PATH, L"C:\\a");
  Click(IDC_BROWSE);
  EXPECT_EQ(browser_.calls(), (std::vector<BrowseCall>{{BrowseCall::Kind::kFile, L""},
                                                       {BrowseCall::Kind::kFile, L"C:\\a"}}));
  EXPECT_EQ(Text(IDC_PATH), L"C:\\a") << "a cancelled browse changes nothing";
}

TEST_F(BrowseTest, AChosenPathDoesNotChangeDirectoryMode) {
  browser_.Choose(dir_.native());
  Click(IDC_BROWSE);
  EXPECT_EQ(Text(IDC_PATH), dir_.native());
  EXPECT_FALSE(Checked(IDC_OPEN_DIR));
}

// --- Start ---------------------------------------------------------------------------------

class StartTest : public PathTest {
 protected:
  void Fill(const fs::path& path, std::wstring_view find_hex, std::wstring_view replace_hex) {
    SetText(IDC_PATH, path.native());
    SetText(IDC_FIND_HEX, find_hex);
    SetText(IDC_REPLACE_HEX, replace_hex);
  }
};

TEST_F(StartTest, APathOfTwoCharactersOpensTheBrowserInsteadOfARun) {
  Fill(L"C:", L"61", L"62");
  Click(IDC_START);
  EXPECT_EQ(browser_.calls(), (std::vector<BrowseCall>{{BrowseCall::Kind::kFile, L""}}));
  EXPECT_TRUE(boxes_.shown().empty());
}

TEST_F(StartTest, APathOfThreeCharactersStartsARun) {
  Fill(L"C:\\", L"61", L"62");  // a directory in file mode: the open failure
  Click(IDC_START);
  EXPECT_TRUE(browser_.calls().empty());
  EXPECT_EQ(boxes_.shown(), (std::vector<ShownBox>{OpenFailed()}));
}

TEST_F(StartTest, AnEmptyFindHexBoxDoesNothing) {
  Fill(file_, L"", L"58");
  Click(IDC_START);
  EXPECT_TRUE(boxes_.shown().empty());
  EXPECT_TRUE(browser_.calls().empty());
  EXPECT_EQ(ReadText(file_), "abc..abc");
}

TEST_F(StartTest, AFileRunAsksWritesOffersToGoOnAndEndsWithNotFound) {
  Fill(file_, L"61 62 63", L"58 59 5A");
  boxes_.Answer({true, true, true, true});
  Click(IDC_START);
  EXPECT_EQ(boxes_.shown(), (std::vector<ShownBox>{Found(file_, "0x00000000"), GoOn(), Found(file_, "0x00000005"), GoOn(), NotFound()}));
  EXPECT_EQ(ReadText(file_), "XYZ..XYZ");
  for (HWND owner : boxes_.owners()) EXPECT_EQ(owner, window());
}

TEST_F(StartTest, WithoutTheQuestionAFileRunWritesAndStillOffersToGoOn) {
  Fill(file_, L"61 62 63", L"31");
  dialog().SetChecked(IDC_ASK_REPLACE, false);
  boxes_.Answer({false});
  Click(IDC_START);
  EXPECT_EQ(boxes_.shown(), (std::vector<ShownBox>{GoOn()}));
  EXPECT_EQ(ReadText(file_), "1bc..abc");
}

TEST_F(StartTest, AnEmptyReplaceBoxShowsTheOffsetOnly) {
  Fill(file_, L"2E 61", L"");
  Click(IDC_START);
  EXPECT_EQ(boxes_.shown(), (std::vector<ShownBox>{Found(file_, "0x00000004", false)}));
  EXPECT_EQ(ReadText(file_), "abc..abc");
}

TEST_F(StartTest, AMissingFileInFileModeGivesTheOpenFailure) {
  Fill(temp_ / "missing.bin", L"61", L"62");
  Click(IDC_START);
  EXPECT_EQ(boxes_.shown(), (std::vector<ShownBox>{OpenFailed()}));
}

TEST_F(StartTest, ADirectoryRunWalksTheTreeQuietlyAndEndsWithSearchFinished) {
  WriteFile(dir_ / "one.bin", "..abc");
  fs::create_directory(dir_ / "sub");
  WriteFile(dir_ / "sub" / "two.bin", "abc");
  WriteFile(dir_ / "sub" / "none.bin", "xyz");
  Drop({dir_});
  Fill(dir_, L"61 62 63", L"58 59 5A");
  boxes_.Answer({true, true, true, true});
  Click(IDC_START);
  ASSERT_EQ(boxes_.shown().size(), 5u);
  // The listing's order decides which file comes first; each shows the question and go-on.
  std::vector<ShownBox> questions{boxes_.shown()[0], boxes_.shown()[2]};
  std::sort(questions.begin(), questions.end(), [](const ShownBox& a, const ShownBox& b) { return a.text < b.text; });
  std::vector<ShownBox> expected{Found(dir_ / "one.bin", "0x00000002"), Found(dir_ / "sub" / "two.bin", "0x00000000")};
  std::sort(expected.begin(), expected.end(), [](const ShownBox& a, const ShownBox& b) { return a.text < b.text; });
  EXPECT_EQ(questions, expected);
  EXPECT_EQ(boxes_.shown()[1], GoOn());
  EXPECT_EQ(boxes_.shown()[3], GoOn());
  EXPECT_EQ(boxes_.shown()[4], SearchFinished());
  EXPECT_EQ(ReadText(dir_ / "one.bin"), "..XYZ");
  EXPECT_EQ(ReadText(dir_ / "sub" / "two.bin"), "XYZ");
  EXPECT_EQ(ReadText(dir_ / "sub" / "none.bin"), "xyz");
}

TEST_F(StartTest, DirectoryModeWithTheNameOfAFileWalksNothingAndShowsSearchFinished) {
  Drop({dir_});
  Fill(file_, L"61", L"62");
  Click(IDC_START);
  EXPECT_EQ(boxes_.shown(), (std::vector<ShownBox>{SearchFinished()}));
  EXPECT_EQ(ReadText(file_), "abc..abc");
}

TEST_F(StartTest, ATypedPathLongerThan259CharactersIsNotCutButRefused) {
  Fill(file_.native() + std::wstring(300, L'x'), L"61", L"62");
  Click(IDC_START);
  ASSERT_EQ(boxes_.shown().size(), 1u);
  EXPECT_EQ(boxes_.shown()[0].type, UINT{MB_ICONEXCLAMATION});
  EXPECT_EQ(boxes_.shown()[0].caption, kCaption);
  EXPECT_EQ(ReadText(file_), "abc..abc");
}

TEST_F(StartTest, AFileNamedOutsideTheAnsiCodePageIsPatched) {
  const fs::path named = temp_ / L"Ωμέγα_中文_😀.bin";
  WriteFile(named, "--abc");
  Drop({named});
  SetText(IDC_FIND_HEX, L"61 62 63");
  SetText(IDC_REPLACE_HEX, L"41");
  boxes_.Answer({true, false});
  Click(IDC_START);
  EXPECT_EQ(boxes_.shown(), (std::vector<ShownBox>{Found(named, "0x00000002"), GoOn()}));
  EXPECT_EQ(ReadText(named), "--Abc");
}

}  // namespace
}  // namespace vantrel::testing
