// The platform-neutral part of the file classes: ownership of the handle as it moves. Open,
// Close and the operations are each platform's.
#include <utility>

#include "platform/mapped_file.h"
#include "platform/update_file.h"

namespace vantrel::os {

MappedFile::MappedFile(MappedFile&& other) noexcept
    : file_(std::exchange(other.file_, -1)), mapping_(std::exchange(other.mapping_, 0)),
      length_(std::exchange(other.length_, 0)) {}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
  if (this != &other) {
    Close();
    file_ = std::exchange(other.file_, -1);
    mapping_ = std::exchange(other.mapping_, 0);
    length_ = std::exchange(other.length_, 0);
  }
  return *this;
}

MappedFile::~MappedFile() { Close(); }

UpdateFile::UpdateFile(UpdateFile&& other) noexcept : file_(std::exchange(other.file_, -1)) {}

UpdateFile& UpdateFile::operator=(UpdateFile&& other) noexcept {
  if (this != &other) {
    (void)Close();
    file_ = std::exchange(other.file_, -1);
  }
  return *this;
}

UpdateFile::~UpdateFile() { (void)Close(); }

}  // namespace vantrel::os
