// A file of a walk removed below the walk's root: its folder is opened below the root with no
// link followed on the way (see TreeRoot), so a folder swapped for a link since the listing
// cannot lead the removal to a file of the same name out of the tree. What --restore does
// with a backup once it is put back.
#pragma once

#include <filesystem>

#include "platform/tree_root.h"
#include "platform/result.h"

namespace vantrel::os {

// Removes path, a file below root (read-only or not); on POSIX its removal is made to last
// on the device, as RemoveCopy's is. A link in place of the file is not followed: on POSIX the link itself goes, on
// Windows it is refused as any reparse point below a root is.
Result<void> RemoveBelow(const TreeRoot& root, const std::filesystem::path& path);

}  // namespace vantrel::os
