// --yes on one file: one forward pass that replaces every occurrence not overlapped by an
// earlier replacement, going on behind the longer of pattern and replacement, so the pass
// ends even when the replacement holds the pattern. The file is read once; every write is
// careful (the bytes are read back first) and goes through one update stream, whose close
// is checked. Each write is one result line, PATH:0xOFFSET.
#pragma once

#include <filesystem>

#include "cli/batch_file.h"

namespace vantrel::cli {

FileResult ReplaceAllInFile(const std::filesystem::path& path, const BatchContext& context);

}  // namespace vantrel::cli
