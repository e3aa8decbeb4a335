#include "tests/cli/program_run.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/path_text.h"
#include "platform/system_error.h"
#include "tests/support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>

#include <cstdio>

#include "platform/wide_text.h"
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

extern char** environ;
#endif

namespace vantrel::testing {
namespace {

std::string Slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

#ifdef _WIN32

// The program's path as Windows sees it: Wine shows the Unix root as drive Z:.
std::wstring ProgramPath() {
  std::string path = VANTREL_CLI_PROGRAM;
  if (!path.empty() && path[0] == '/') {
    path = "Z:" + path;
    for (char& ch : path) ch = ch == '/' ? '\\' : ch;
  }
  return os::win32::Utf8ToWide(path);
}

// Quotes one argument the way the C runtime splits a command line.
std::wstring Quote(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t ch : arg) {
    if (ch == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(ch == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted.push_back(ch);
  }
  quoted.append(backslashes * 2, L'\\');
  return quoted + L"\"";
}

HANDLE OpenInherited(const std::filesystem::path& path, bool write) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                     write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string LastErrorText(const std::string& what) {
  const SystemError error = os::LastSystemError();
  return what + ": " + error.message + " (error " + std::to_string(error.code) + ")";
}

// An exit code from an exception that ended the process (0xC0000005 and the like), not from
// the program's own exit.
bool IsExceptionCode(DWORD code) { return (code & 0xC0000000u) == 0xC0000000u; }

std::string Hex(DWORD code) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(code));
  return text;
}

int Spawn(const std::vector<std::string>& args, const RunOptions& options, const std::filesystem::path& in,
          const std::filesystem::path& out, const std::filesystem::path& err, std::string& trouble) {
  std::wstring command = Quote(ProgramPath());
  for (const std::string& arg : args) command += L" " + Quote(os::win32::Utf8ToWide(arg));
  // The first handle that cannot be opened is the reason the program cannot start.
  const auto open = [&trouble](const std::filesystem::path& path, bool write) {
    const HANDLE handle = OpenInherited(path, write);
    if (handle == INVALID_HANDLE_VALUE && trouble.empty()) trouble = LastErrorText("cannot open " + os::PathText(path));
    return handle;
  };
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = open(in, false);
  startup.hStdError = open(err, true);
  HANDLE pipe_read = nullptr;
  if (options.close_output) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    CreatePipe(&pipe_read, &startup.hStdOutput, &inherit, 0);
    CloseHandle(pipe_read);  // no reader: every write fails as a broken pipe
  } else {
    startup.hStdOutput = open(out, true);
  }
  PROCESS_INFORMATION process{};
  BOOL started = FALSE;
  if (trouble.empty()) {
    started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    if (!started) trouble = LastErrorText("CreateProcess failed");
  }
  CloseHandle(startup.hStdInput);
  CloseHandle(startup.hStdOutput);
  CloseHandle(startup.hStdError);
  if (!started) return -1;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 0;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  if (IsExceptionCode(status)) {
    trouble = "it ended with the exception " + Hex(status);
    return -1;
  }
  return static_cast<int>(status);
}

#else

int Spawn(const std::vector<std::string>& args, const RunOptions& options, const std::filesystem::path& in,
          const std::filesystem::path& out, const std::filesystem::path& err, std::string& trouble) {
  std::vector<std::string> env_text;
  for (char** e = environ; *e != nullptr; ++e) {
    if (std::strncmp(*e, "LC_ALL=", 7) != 0 && std::strncmp(*e, "LANG=", 5) != 0) env_text.emplace_back(*e);
  }
  env_text.push_back("LC_ALL=" + (options.locale.empty() ? std::string("C.UTF-8") : options.locale));
  std::vector<char*> env;
  for (std::string& e : env_text) env.push_back(e.data());
  env.push_back(nullptr);

  std::vector<std::string> argv_text = {VANTREL_CLI_PROGRAM};
  argv_text.insert(argv_text.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : argv_text) argv.push_back(a.data());
  argv.push_back(nullptr);

  int pipe_fds[2] = {-1, -1};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
  if (options.no_input_or_output) {
    posix_spawn_file_actions_addclose(&actions, 0);
    posix_spawn_file_actions_addclose(&actions, 1);
  } else if (options.close_output) {
    if (pipe(pipe_fds) != 0) return -1;
    close(pipe_fds[0]);  // no reader: every write fails with EPIPE
    posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipe_fds[1]);
  } else {
    const char* to = options.output_file.empty() ? out.c_str() : options.output_file.c_str();
    posix_spawn_file_actions_addopen(&actions, 1, to, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  }
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t child = 0;
  const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), env.data());
  posix_spawn_file_actions_destroy(&actions);
  if (pipe_fds[1] >= 0) close(pipe_fds[1]);
  if (spawned != 0) {
    trouble = std::string("posix_spawn failed: ") + std::strerror(spawned);
    return -1;
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

#endif

}  // namespace

ProgramRun RunProgram(const std::vector<std::string>& args, const RunOptions& options) {
  TempDir io;
  WriteFile(io / "in", options.input);
  ProgramRun run;
  std::string trouble;
  run.status = Spawn(args, options, io / "in", io / "out", io / "err", trouble);
  EXPECT_GE(run.status, 0) << VANTREL_CLI_PROGRAM << " did not run to its end: " << trouble;
  run.out = Slurp(io / "out");
  run.err = Slurp(io / "err");
  return run;
}

std::string Arg(const std::filesystem::path& path) { return os::PathText(path); }

void UseStateFolder(const std::filesystem::path& folder) {
#ifdef _WIN32
  _wputenv_s(L"LOCALAPPDATA", folder.wstring().c_str());
#else
  setenv("XDG_STATE_HOME", folder.c_str(), 1);
#endif
}

}  // namespace vantrel::testing
