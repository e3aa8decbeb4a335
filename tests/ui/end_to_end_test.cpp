// Vantrel.exe from the outside: the built program is started as a separate process with a
// path on its command line, its boxes are filled and read with WM_SETTEXT and WM_GETTEXT,
// Start is pressed, and its real message boxes are read and answered.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "res/resource.h"
#include "tests/support/temp_dir.h"

namespace vantrel::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The program beside this test in the build tree.
fs::path ProgramPath() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  return (fs::path(self).parent_path() / VANTREL_EXE_FROM_TEST).lexically_normal();
}

std::wstring TextOf(HWND window) {
  wchar_t text[1024] = {};
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &copied);
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

struct DialogSearch {
  DWORD pid;
  const std::wstring& caption;
  HWND except;
  HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM data) {
  auto& search = *reinterpret_cast<DialogSearch*>(data);
  DWORD owner_pid = 0;
  GetWindowThreadProcessId(window, &owner_pid);
  if (owner_pid != search.pid || window == search.except || !IsWindowVisible(window)) return TRUE;
  if (ClassOf(window) != L"#32770" || TextOf(window) != search.caption) return TRUE;
  search.found = window;
  return FALSE;
}

// A top-level dialog window of process `pid` with this caption, other than `except`.
HWND FindDialogOf(DWORD pid, const std::wstring& caption, HWND except = nullptr) {
  DialogSearch search{pid, caption, except, nullptr};
  EnumWindows(&MatchDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

class Program {
 public:
  explicit Program(const fs::path& argument) {
    std::wstring command = L"\"" + ProgramPath().native() + L"\" \"" + argument.native() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    started_ = CreateProcessW(ProgramPath().c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &info_);
  }
  ~Program() {
    if (!started_) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info_.hProcess, 99);
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool started() const { return started_; }
  DWORD pid() const { return info_.dwProcessId; }

  // Waits for a dialog of the program with the caption; null after the timeout.
  HWND WaitForDialog(const std::wstring& caption, HWND except = nullptr, std::chrono::milliseconds timeout = 30s) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
      if (HWND found = FindDialogOf(pid(), caption, except)) return found;
      std::this_thread::sleep_for(50ms);
    }
    return nullptr;
  }

  // The exit code once the program ended, or -1 after the timeout.
  long WaitForExit(std::chrono::milliseconds timeout = 15s) {
    if (WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return static_cast<long>(code);
  }

 private:
  PROCESS_INFORMATION info_{};
  bool started_ = false;
};

// One message box of the program: its text, then the button pressed, then gone.
std::wstring Answer(Program& program, HWND main, int button) {
  HWND box = program.WaitForDialog(L"字符替换工具", main, 15s);
  if (!box) return L"(no message box)";
  const std::wstring text = TextOf(GetDlgItem(box, 0xFFFF));
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
  for (int i = 0; i < 200 && IsWindow(box); ++i) std::this_thread::sleep_for(25ms);
  return text;
}

class EndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(fs::exists(ProgramPath())) << "not built: " << ProgramPath().string(); }
  TempDir temp_;
};

TEST_F(EndToEndTest, AFileFromTheCommandLineIsPatchedThroughTheRealMessageBoxes) {
  const fs::path file = temp_ / "target.bin";
  WriteFile(file, "abc..abc");
  Program program(file);
  ASSERT_TRUE(program.started());
  const HWND main = program.WaitForDialog(L"Vantrel");
  ASSERT_NE(main, nullptr) << "the Vantrel window did not appear";
  EXPECT_EQ(TextOf(GetDlgItem(main, IDC_PATH)), file.native());

  SendMessageW(GetDlgItem(main, IDC_FIND_HEX), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"61 62 63"));
  SendMessageW(GetDlgItem(main, IDC_REPLACE_HEX), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"58 59 5A"));
  PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_START, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(main, IDC_START)));

  const std::wstring found0 = L"文件\"" + file.native() + L"\"\n找到关键位置：0x00000000。是否进行替换？";
  const std::wstring found5 = L"文件\"" + file.native() + L"\"\n找到关键位置：0x00000005。是否进行替换？";
  EXPECT_EQ(Answer(program, main, IDYES), found0);
  EXPECT_EQ(Answer(program, main, IDYES), L"字符替换成功，是否继续替换？");
  EXPECT_EQ(Answer(program, main, IDYES), found5);
  EXPECT_EQ(Answer(program, main, IDYES), L"字符替换成功，是否继续替换？");
  EXPECT_EQ(Answer(program, main, IDOK), L"没有找到你要搜索的内容。");
  EXPECT_EQ(ReadText(file), "XYZ..XYZ");

  PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(program.WaitForExit(), 0);
}

TEST_F(EndToEndTest, TextSetFromOutsideIntoTheAsciiBoxFillsTheOtherForms) {
  Program program(temp_ / "missing");
  ASSERT_TRUE(program.started());
  const HWND main = program.WaitForDialog(L"Vantrel");
  ASSERT_NE(main, nullptr);
  SendMessageW(GetDlgItem(main, IDC_FIND_ASCII), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"abc"));
  EXPECT_EQ(TextOf(GetDlgItem(main, IDC_FIND_HEX)), L"61 62 63 00");
  EXPECT_EQ(TextOf(GetDlgItem(main, IDC_FIND_UTF8)), L"abc");
  PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(program.WaitForExit(), 0);
}

TEST_F(EndToEndTest, ADirectoryOnTheCommandLineTurnsDirectoryModeOn) {
  Program program(temp_.path());
  ASSERT_TRUE(program.started());
  const HWND main = program.WaitForDialog(L"Vantrel");
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(TextOf(GetDlgItem(main, IDC_PATH)), temp_.path().native());
  EXPECT_EQ(SendMessageW(GetDlgItem(main, IDC_OPEN_DIR), BM_GETCHECK, 0, 0), BST_CHECKED);
  PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(program.WaitForExit(), 0);
}

TEST_F(EndToEndTest, AClickNotificationForControl1008EndsTheProcessAtOnceWithCodeZero) {
  Program program(temp_ / "missing");
  ASSERT_TRUE(program.started());
  const HWND main = program.WaitForDialog(L"Vantrel");
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDC_END_PROCESS, BN_CLICKED), 0);
  EXPECT_EQ(program.WaitForExit(), 0);
}

}  // namespace
}  // namespace vantrel::testing
