// The files a walk has met with the pattern in them, by identity, so that a file reached again
// under another name (a second hard link, a followed link) is not searched and patched twice.
// A file is identified only once the pattern is found in it: the others cost nothing.
#pragma once

#include <unordered_set>

#include "engine/file_source.h"
#include "engine/os/file_id.h"

namespace vantrel {

class FilesMet {
 public:
  // False when the open file was met before; records it otherwise. A file that cannot be
  // identified counts as new.
  bool Meet(const FileSource& file);

 private:
  std::unordered_set<os::FileId, os::FileIdHash> met_;
};

}  // namespace vantrel
