#include "tests/cli/program_run.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "engine/os/path_text.h"
#include "tests/support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>

#include "engine/os/win32/wide_text.h"
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

int Spawn(const std::vector<std::string>& args, const RunOptions& options, const std::filesystem::path& in,
          const std::filesystem::path& out, const std::filesystem::path& err) {
  std::wstring command = Quote(ProgramPath());
  for (const std::string& arg : args) command += L" " + Quote(os::win32::Utf8ToWide(arg));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = OpenInherited(in, false);
  startup.hStdError = OpenInherited(err, true);
  HANDLE pipe_read = nullptr;
  if (options.close_output) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    CreatePipe(&pipe_read, &startup.hStdOutput, &inherit, 0);
    CloseHandle(pipe_read);  // no reader: every write fails as a broken pipe
  } else {
    startup.hStdOutput = OpenInherited(out, true);
  }
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                      &startup, &process);
  CloseHandle(startup.hStdInput);
  CloseHandle(startup.hStdOutput);
  CloseHandle(startup.hStdError);
  if (!started) return -1;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 0;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return static_cast<int>(status);
}

#else

int Spawn(const std::vector<std::string>& args, const RunOptions& options, const std::filesystem::path& in,
          const std::filesystem::path& out, const std::filesystem::path& err) {
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
  if (options.close_output) {
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
  if (spawned != 0) return -1;
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
  run.status = Spawn(args, options, io / "in", io / "out", io / "err");
  EXPECT_GE(run.status, 0) << "the program did not start: " << VANTREL_CLI_PROGRAM;
  run.out = Slurp(io / "out");
  run.err = Slurp(io / "err");
  return run;
}

std::string Arg(const std::filesystem::path& path) { return os::PathText(path); }

}  // namespace vantrel::testing
