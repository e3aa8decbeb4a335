// Runs the built command-line program as a user would: arguments, a standard input given as
// text, and standard output, standard error and the exit status captured separately.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::testing {

struct ProgramRun {
  int status = -1;
  std::string out;
  std::string err;
};

struct RunOptions {
  std::string input;          // standard input; its end is the end of the input
  std::string locale;         // LC_ALL for the program on POSIX (the terminal's character set)
  bool close_output = false;  // standard output is a pipe whose reader has gone
  std::string output_file;    // POSIX: standard output goes to this file ("/dev/full")
  bool no_input_or_output = false;  // POSIX: started with descriptors 0 and 1 closed
};

// Arguments are UTF-8 (on POSIX, the bytes given to the program as they are).
ProgramRun RunProgram(const std::vector<std::string>& args, const RunOptions& options = {});

// Where the programs started after this keep their journals (their state folder), so that a
// test's runs neither read nor fill the user's own.
void UseStateFolder(const std::filesystem::path& folder);

// A path as an argument: its bytes on POSIX, UTF-8 on Windows.
std::string Arg(const std::filesystem::path& path);

}  // namespace vantrel::testing
