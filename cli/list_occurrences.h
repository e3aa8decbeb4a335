// --dry-run on one file: every occurrence that does not overlap the one before, in order,
// one result line each, PATH:0xOFFSET. Nothing is written.
#pragma once

#include <filesystem>

#include "cli/batch_file.h"

namespace vantrel::cli {

FileResult ListOccurrencesInFile(const std::filesystem::path& path, const BatchContext& context);

}  // namespace vantrel::cli
