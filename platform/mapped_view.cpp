// The platform-neutral part of a mapped view: ownership of what was mapped.
#include <utility>

#include "platform/mapped_file.h"

namespace vantrel::os {

MappedView::MappedView(void* base, std::size_t base_size, std::size_t lead)
    : base_(base), base_size_(base_size), data_(static_cast<const std::uint8_t*>(base) + lead),
      size_(base_size - lead) {}

MappedView::MappedView(MappedView&& other) noexcept
    : base_(std::exchange(other.base_, nullptr)), base_size_(std::exchange(other.base_size_, 0)),
      data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

MappedView& MappedView::operator=(MappedView&& other) noexcept {
  if (this != &other) {
    Release();
    base_ = std::exchange(other.base_, nullptr);
    base_size_ = std::exchange(other.base_size_, 0);
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

MappedView::~MappedView() { Release(); }

void MappedView::Release() {
  if (base_ != nullptr) UnmapView(base_, base_size_);
  base_ = nullptr;
  data_ = nullptr;
  base_size_ = size_ = 0;
}

}  // namespace vantrel::os
