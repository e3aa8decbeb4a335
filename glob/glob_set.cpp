// The verdict of a glob set (ignore crate: Override::matched over Gitignore's matching).
#include "glob/glob_set.h"

namespace vantrel {

std::variant<GlobSet, GlobError> GlobSet::Build(std::span<const std::string> arguments) {
  GlobSet set;
  for (const std::string& argument : arguments) {
    auto parsed = Glob::Parse(argument);
    if (auto* error = std::get_if<GlobError>(&parsed)) return std::move(*error);
    auto& glob = std::get<std::optional<Glob>>(parsed);
    if (!glob) continue;
    set.has_including_glob_ = set.has_including_glob_ || !glob->excludes();
    set.globs_.push_back(std::move(*glob));
  }
  return set;
}

GlobSet::Verdict GlobSet::Judge(std::string_view path, bool is_directory) const {
  for (auto glob = globs_.rbegin(); glob != globs_.rend(); ++glob) {
    if (glob->directories_only() && !is_directory) continue;
    if (glob->Matches(path)) return glob->excludes() ? Verdict::kExcluded : Verdict::kIncluded;
  }
  return Verdict::kUnmatched;
}

bool GlobSet::TakesFile(std::string_view relative_path) const {
  switch (Judge(relative_path, false)) {
    case Verdict::kIncluded: return true;
    case Verdict::kExcluded: return false;
    case Verdict::kUnmatched: return !has_including_glob_;
  }
  return false;
}

bool GlobSet::EntersDirectory(std::string_view relative_path) const {
  return Judge(relative_path, true) != Verdict::kExcluded;
}

}  // namespace vantrel
