#include "platform/win32/folder_cache.h"

#include <algorithm>
#include <utility>

namespace vantrel::os::win32 {
namespace {

// Enough for the folders a parallel walk has files of in flight; each costs one handle.
constexpr std::size_t kKept = 64;

}  // namespace

FolderCache::FolderCache(Handle root) {
  kept_.push_back({std::wstring(), std::make_shared<const Handle>(std::move(root)), 0});
}

std::shared_ptr<const Handle> FolderCache::Find(const std::wstring& names) {
  std::lock_guard lock(mutex_);
  for (Kept& kept : kept_) {
    if (kept.names == names) {
      kept.used = ++clock_;
      return kept.folder;
    }
  }
  return nullptr;
}

void FolderCache::Keep(const std::wstring& names, std::shared_ptr<const Handle> folder) {
  std::lock_guard lock(mutex_);
  for (Kept& kept : kept_) {
    if (kept.names == names) {
      kept.folder = std::move(folder);
      kept.used = ++clock_;
      return;
    }
  }
  if (kept_.size() < kKept) {
    kept_.push_back({names, std::move(folder), ++clock_});
    return;
  }
  const auto oldest = std::min_element(kept_.begin() + 1, kept_.end(),
                                       [](const Kept& a, const Kept& b) { return a.used < b.used; });
  *oldest = Kept{names, std::move(folder), ++clock_};
}

}  // namespace vantrel::os::win32
