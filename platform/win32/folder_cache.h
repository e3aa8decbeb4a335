// Windows only: the folders below a walk's root opened last, by their names below the root
// ("" for the root itself, '\' between names), so that the files listed in a folder are
// opened relative to the very folder that was listed, at the cost of one native open each.
// The walk's threads share it. A folder dropped from it stays open while someone uses it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win32/handle.h"

namespace vantrel::os::win32 {

class FolderCache {
 public:
  explicit FolderCache(Handle root);

  // The folder of these names, or nothing when it is not kept.
  std::shared_ptr<const Handle> Find(const std::wstring& names);
  // Keeps a folder, dropping the one used longest ago when full.
  void Keep(const std::wstring& names, std::shared_ptr<const Handle> folder);

 private:
  struct Kept {
    std::wstring names;
    std::shared_ptr<const Handle> folder;
    std::uint64_t used = 0;
  };
  std::mutex mutex_;
  std::vector<Kept> kept_;  // the root first, never dropped
  std::uint64_t clock_ = 0;
};

}  // namespace vantrel::os::win32
