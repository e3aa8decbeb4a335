// Windows only: a HANDLE owned by one value, closed when the value goes.
#pragma once

#include <windows.h>

#include <utility>

namespace vantrel::os::win32 {

class Handle {
 public:
  Handle() = default;
  explicit Handle(HANDLE handle) : handle_(handle) {}
  Handle(Handle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  Handle& operator=(Handle&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() { Reset(); }

  HANDLE get() const { return handle_; }
  // Gives the handle up to the caller, who closes it.
  HANDLE release() { return std::exchange(handle_, nullptr); }

 private:
  void Reset() {
    if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = nullptr;
  }
  HANDLE handle_ = nullptr;
};

}  // namespace vantrel::os::win32
