// What one start of the command line asks for, as the option parser understood it: the
// mode, the path, the two byte patterns and the switches. The runs get nothing else.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/hex_text.h"

namespace vantrel::cli {

enum class Mode {
  kInteractive,  // ask as the dialog asks (the default)
  kYes,          // replace every occurrence without asking: one forward pass per file
  kDryRun,       // list every occurrence, write nothing
};

struct RunDescription {
  Mode mode = Mode::kInteractive;
  std::filesystem::path path;
  bool directory = false;                            // -d: PATH must be a directory
  Bytes find;                                        // never empty
  std::optional<Bytes> replacement;                  // never empty when given
  bool ask = true;                                   // false with --no-ask
  bool follow_links = false;                         // -L: a walk follows links
  unsigned threads = 0;                              // -j: 0 for one per core
  std::optional<std::filesystem::path> backup_suffix;  // --backup[=SUFFIX]
  std::vector<std::string> warnings;                 // said before the run, on standard error
};

}  // namespace vantrel::cli
