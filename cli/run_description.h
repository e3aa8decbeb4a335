// What one start of the command line asks for, as the option parser understood it: the
// mode, the path, the patterns and the switches. The runs get nothing else.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "text/masked_pattern.h"
#include "platform/codepage.h"

namespace vantrel::cli {

enum class Mode {
  kInteractive,  // ask as the dialog asks (the default)
  kYes,          // replace every occurrence without asking: one forward pass per file
  kDryRun,       // list every occurrence, write nothing
  kRestore,      // put the backups of an earlier run back in place of their files
  kUndo,         // put every file of a run back, from its journal (path: the journal, or none)
  kRecover,      // put back the files a dead run caught in the middle (path: as kUndo)
};

struct RunDescription {
  Mode mode = Mode::kInteractive;
  std::filesystem::path path;
  bool directory = false;                               // -d: PATH must be a directory
  MaskedPattern find;                                   // never empty, unless a patch list is given
  std::optional<MaskedPattern> replacement;             // never empty when given
  std::optional<std::filesystem::path> patch_file;      // -p: the pairs come from this file
  vantrel::os::CodePage ansi;                           // the code page of ascii: sides
  bool ask = true;                                      // false with --no-ask
  bool follow_links = false;                            // -L: a walk follows links
  unsigned threads = 0;                                 // -j: 0 for one per core
  std::vector<std::string> globs;                       // -g, in the order given
  std::optional<std::size_t> max_depth;                 // --max-depth
  std::size_t context = 0;                              // -C: bytes shown around each occurrence
  bool stats = false;                                   // --stats
  bool json = false;                                    // --json
  bool null = false;                                    // -0: a NUL byte ends each path of the text lines
  bool keep_mtime = false;                              // --keep-mtime
  std::optional<std::filesystem::path> backup_suffix;   // --backup[=SUFFIX]
  std::filesystem::path restore_suffix;                 // --restore[=SUFFIX]
  std::vector<std::string> warnings;                    // said before the run, on standard error
  std::optional<std::filesystem::path> journal_file;    // --journal FILE
  bool no_journal = false;                              // --no-journal
  std::string command;                                  // the arguments, as the journal records them
};

}  // namespace vantrel::cli
