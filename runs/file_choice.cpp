// A directory at the depth limit is not entered: everything in it would lie beyond.
#include "runs/file_choice.h"

#include <algorithm>

namespace vantrel {
namespace {

std::size_t DepthOf(std::string_view relative_path) {
  if (relative_path.empty()) return 0;
  return static_cast<std::size_t>(std::count(relative_path.begin(), relative_path.end(), '/')) + 1;
}

}  // namespace

bool FileChoice::TakesFile(std::string_view relative_path) const {
  if (max_depth && DepthOf(relative_path) > *max_depth) return false;
  return globs.TakesFile(relative_path);
}

bool FileChoice::TakesName(const std::filesystem::path& name) const {
  const auto& text = name.native();
  return text.size() > name_ending.size() && text.ends_with(name_ending);
}

bool FileChoice::EntersDirectory(std::string_view relative_path) const {
  if (max_depth && DepthOf(relative_path) >= *max_depth) return false;
  return relative_path.empty() || globs.EntersDirectory(relative_path);
}

}  // namespace vantrel
