// A test helper (native only) for comparing the file choice with ripgrep's, run by
// glob_vs_rg.sh:
//   glob_driver files [--max-depth=N] [--glob=GLOB]...   the files of the current directory the
//                                                        choice takes, each followed by a NUL
//                                                        (as `rg --files -0`); status 2 and the
//                                                        message for a malformed glob
//   glob_driver tree SEED DIR                            makes a random tree in DIR
//   glob_driver args SEED                                a random option list for both, each
//                                                        argument followed by a NUL
// Trees and globs draw on one small stock of names, so that globs meet the names they were
// made from: hidden names, names with dots, spaces, newlines, glob characters and bytes that
// are not UTF-8.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "runs/file_choice.h"

namespace {

namespace fs = std::filesystem;
using vantrel::FileChoice;
using vantrel::GlobError;
using vantrel::GlobSet;

const std::vector<std::string> kNames = {
    "a",     "b",       "ab",     "abc",  ".h",    ".hidden", "x.txt", "y.txt", ".txt",   "a.c",  "b.rs",
    "foo.",  "x.tar.gz", "a b",   "a\nb", "[x]",   "{a,b}",   "!x",    "#x",    "\xC3\xA9", "e\xC3\xA9",
    "\xFF",  "a\xFF",   "a,b",    "-a",   "a\\b",  "**",      "dir",   "sub",   "x",      ".git", "c.txt."};

// Pieces of globs: names, wildcards, and the syntax around them.
const std::vector<std::string> kGlobPieces = {
    "a",   "b",    "x",   "dir",  "sub",  ".txt", ".c",  "txt",  ".h",   "*",   "*",    "**",   "**", "?",
    "/",   "/",    "/",   "[a-c]", "[!a]", "[^.]", "[/]", "[]]",  "[a-]", "{a,b}", "{x.txt,*.c}", "{**/a,b}",
    "{a/**,x}", "{}",  "}",   ",",    "\\*", "\\",  "\\!", "\\#", ".",    "-",   " ",    "\xC3\xA9", "\xFF",
    "[\xC3\xA9]", "[a-\xC3\xA9]", "\n", "[", "{", "[b-a]", "x{a,}", "{,a}", "*.txt", "*.c", "a*", "**/x",
    "dir/**", "**/sub/*", "*/*", ".*"};

std::string Pick(std::mt19937& random, const std::vector<std::string>& from) {
  return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random)];
}

int Below(std::mt19937& random, int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(random); }

// Up to about 300 entries, folders five deep.
void MakeTree(std::mt19937& random, const fs::path& dir, int depth, int& budget) {
  const int entries = 3 + Below(random, 10);
  for (int i = 0; i < entries && budget > 0; ++i, --budget) {
    const fs::path path = dir / Pick(random, kNames);
    if (fs::exists(fs::symlink_status(path))) continue;
    if (depth < 5 && Below(random, 3) == 0) {
      fs::create_directory(path);
      MakeTree(random, path, depth + 1, budget);
    } else {
      std::ofstream(path) << "x";
    }
  }
}

// A component of a glob: a name of the stock, a name with a wildcard in it, or a piece of
// glob syntax.
std::string RandomComponent(std::mt19937& random) {
  std::string name = Pick(random, kNames);
  const auto at = static_cast<std::size_t>(Below(random, static_cast<int>(name.size())));
  switch (Below(random, 10)) {
    case 0: case 1: case 2: return name;
    case 3: return name.replace(at, 1, "?");
    case 4: return name.replace(at, 1, "[" + name.substr(at, 1) + "-z]");
    case 5: return name.substr(0, at) + "*";
    case 6: return "*" + name.substr(at);
    default: return Pick(random, kGlobPieces);
  }
}

// Mostly short globs built from the names of the trees, so that most of them take some
// files and leave others; now and then a malformed one.
std::string RandomGlob(std::mt19937& random) {
  std::string glob;
  if (Below(random, 3) == 0) glob += "!";
  if (Below(random, 10) == 0) glob += "/";
  const int components = 1 + (Below(random, 3) == 0 ? 1 + Below(random, 2) : 0);
  for (int i = 0; i < components; ++i) glob += (i > 0 ? "/" : "") + RandomComponent(random);
  if (Below(random, 10) == 0) glob += "/";
  return glob;
}

int PrintArguments(std::mt19937& random) {
  std::vector<std::string> args;
  if (Below(random, 3) == 0) args.push_back("--max-depth=" + std::to_string(Below(random, 6)));
  const int globs = Below(random, 4);
  for (int i = 0; i < globs; ++i) args.push_back("--glob=" + RandomGlob(random));
  for (const std::string& arg : args) std::fwrite(arg.c_str(), 1, arg.size() + 1, stdout);
  return 0;
}

void ListFiles(const FileChoice& choice, const fs::path& dir, const std::string& relative) {
  for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    const std::string path = relative.empty() ? name : relative + "/" + name;
    if (entry.is_symlink()) continue;  // neither followed nor listed, as in ripgrep without -L
    if (entry.is_directory()) {
      if (choice.EntersDirectory(path)) ListFiles(choice, entry.path(), path);
    } else if (entry.is_regular_file() && choice.TakesFile(path)) {
      std::fwrite(path.c_str(), 1, path.size() + 1, stdout);
    }
  }
}

int PrintFiles(const std::vector<std::string>& options) {
  FileChoice choice;
  std::vector<std::string> globs;
  for (const std::string& option : options) {
    if (option.starts_with("--glob=")) {
      globs.push_back(option.substr(7));
    } else if (option.starts_with("--max-depth=")) {
      choice.max_depth = std::stoul(option.substr(12));
    } else {
      std::cerr << "glob_driver: unknown option " << option << "\n";
      return 2;
    }
  }
  auto built = GlobSet::Build(globs);
  if (const auto* error = std::get_if<GlobError>(&built)) {
    std::cerr << "glob_driver: " << error->message << "\n";
    return 2;
  }
  choice.globs = std::get<GlobSet>(std::move(built));
  if (choice.EntersDirectory("")) ListFiles(choice, ".", "");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() >= 1 && args[0] == "files") return PrintFiles({args.begin() + 1, args.end()});
  if (args.size() == 3 && args[0] == "tree") {
    std::mt19937 random(static_cast<unsigned>(std::stoul(args[1])));
    fs::create_directories(args[2]);
    int budget = 300;
    MakeTree(random, args[2], 1, budget);
    return 0;
  }
  if (args.size() == 2 && args[0] == "args") {
    std::mt19937 random(static_cast<unsigned>(std::stoul(args[1])));
    return PrintArguments(random);
  }
  std::cerr << "usage: glob_driver files [--max-depth=N] [--glob=GLOB]... | tree SEED DIR | args SEED\n";
  return 2;
}
