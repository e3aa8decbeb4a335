#include "runs/files_met.h"

namespace vantrel {

bool FilesMet::Meet(const FileSource& file) {
  const std::optional<os::FileId> id = IdentityToCheck(file);
  return !id || Record(*id);
}

std::optional<os::FileId> FilesMet::IdentityToCheck(const FileSource& file) const {
  Result<os::FileIdentity> identity = file.Identify();
  if (!identity || (identity->links <= 1 && !following_links_)) return std::nullopt;
  return identity->id;
}

}  // namespace vantrel
