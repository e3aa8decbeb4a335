// The files a walk has met, so that a file reached again under another name is not searched
// and patched twice. Only a file with several names (hard links) can be reached twice, unless
// the walk follows links; the others are not even recorded. A file is met when it is opened,
// in walk order: the first of its names in that order is the one run on, and every later
// name is passed over as "met before", nothing searched, whatever the threads.
#pragma once

#include <optional>
#include <unordered_set>

#include "files/file_source.h"
#include "platform/file_id.h"

namespace vantrel {

class FileFinisher;

class FilesMet {
 public:
  explicit FilesMet(bool following_links = false) : following_links_(following_links) {}
  virtual ~FilesMet() = default;

  // False when the open file was met before; records it otherwise. A file that cannot be
  // identified counts as new.
  virtual bool Meet(const FileSource& file);

  // The identity to check, when the file may be reached again under another name.
  std::optional<os::FileId> IdentityToCheck(const FileSource& file) const;
  // False when id was recorded before.
  bool Record(const os::FileId& id) { return met_.insert(id).second; }

 private:
  bool following_links_;
  std::unordered_set<os::FileId, os::FileIdHash> met_;
};

// What a run on one file borrows from the walk it is part of.
struct FileRunContext {
  FilesMet* met = nullptr;       // the files met so far; nothing outside a walk
  ReadBuffer* buffer = nullptr;  // memory for reading small files, kept from file to file
  // Where a replace-all run hands a small file whose last write is taken, to be finished
  // with others (file_finisher.h); its news and its end are then told from there.
  FileFinisher* finisher = nullptr;
};

}  // namespace vantrel
