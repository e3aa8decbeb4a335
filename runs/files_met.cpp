#include "runs/files_met.h"

namespace vantrel {

bool FilesMet::Meet(const FileSource& file) {
  Result<os::FileId> id = file.Identify();
  return !id || met_.insert(*id).second;
}

}  // namespace vantrel
