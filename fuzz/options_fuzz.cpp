// The command line's option parser on any argument vector: it gives a usage error (one line,
// not empty) or a valid run (a path, a find pattern that is never empty, a replacement that
// is never empty when given, and one with --yes), the manual or the version; never a crash.
//
// Input: arguments separated by NUL bytes; the first byte picks the terminal's character set
// and the default ANSI code page.
#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "cli/command_line.h"
#include "fuzz/check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantrel;
  if (size < 1) return 0;
  const cli::CommandLineSetting setting{
      (data[0] & 1) != 0 ? os::kUtf8 : os::CodePage{1252},
      (data[0] & 2) != 0 ? os::CodePage{936} : os::CodePage{1252},
  };
  std::vector<std::string> args;
  std::string current;
  for (std::size_t i = 1; i < size && args.size() < 64; ++i) {
    if (data[i] == 0) {
      args.push_back(current);
      current.clear();
    } else {
      current.push_back(static_cast<char>(data[i]));
    }
  }
  args.push_back(current);

  const cli::Command command = cli::ParseCommandLine(args, setting);
  if (const auto* error = std::get_if<cli::UsageError>(&command)) {
    FUZZ_CHECK(!error->message.empty());
    FUZZ_CHECK(error->message.find('\n') == std::string::npos);
  }
  if (const auto* run = std::get_if<cli::RunDescription>(&command)) {
    FUZZ_CHECK(!run->path.empty());
    const bool patch_list = run->patch_file.has_value();
    FUZZ_CHECK(run->mode == cli::Mode::kRestore || patch_list || run->find.size() > 0);
    FUZZ_CHECK(!run->replacement || run->replacement->size() > 0);
    FUZZ_CHECK(run->mode != cli::Mode::kYes || patch_list || run->replacement.has_value());
    FUZZ_CHECK(!patch_list || run->mode == cli::Mode::kYes || run->mode == cli::Mode::kDryRun);
    FUZZ_CHECK(run->context == 0 || run->mode == cli::Mode::kDryRun);
  }
  return 0;
}
