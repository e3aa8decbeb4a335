// Writes the man page and the shell completions into a folder, at build time, from the same
// option table and manual that --help shows: `vantrel_docs DIR DATE`.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "cli/completions.h"
#include "cli/help_text.h"
#include "cli/man_page.h"

namespace {

bool WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (out) return true;
  std::fprintf(stderr, "vantrel_docs: cannot write %s\n", path.string().c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: vantrel_docs DIR DATE\n");
    return 2;
  }
  namespace cli = vantrel::cli;
  const std::filesystem::path dir = argv[1];
  const std::string name(cli::ProgramName());
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  const bool written = WriteFile(dir / (name + ".1"), cli::ManPage(argv[2])) &&
                       WriteFile(dir / (name + ".bash"), cli::BashCompletion()) &&
                       WriteFile(dir / ("_" + name), cli::ZshCompletion()) &&
                       WriteFile(dir / (name + ".fish"), cli::FishCompletion());
  return written ? 0 : 1;
}
