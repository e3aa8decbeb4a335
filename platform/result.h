// Results as values: an operation on the file system either gives its value or says why
// it could not, in the platform's own words. Nothing in the engine throws across a layer.
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace vantrel {

// Why a system call failed, as the platform reported it.
struct SystemError {
  int code = 0;         // errno on POSIX, GetLastError() on Windows
  std::string message;  // the platform's text for the code, UTF-8
};

// A value of type T, or the SystemError that prevented it.
template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}  // NOLINT: implicit by design
  Result(SystemError error) : state_(std::in_place_index<1>, std::move(error)) {}  // NOLINT

  bool ok() const { return state_.index() == 0; }
  explicit operator bool() const { return ok(); }

  T& value() { return *std::get_if<0>(&state_); }
  const T& value() const { return *std::get_if<0>(&state_); }
  T& operator*() { return value(); }
  const T& operator*() const { return value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }

  const SystemError& error() const { return *std::get_if<1>(&state_); }

 private:
  std::variant<T, SystemError> state_;
};

// Success with no value, or the error.
template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(SystemError error) : error_(std::move(error)), ok_(false) {}  // NOLINT: implicit by design

  bool ok() const { return ok_; }
  explicit operator bool() const { return ok_; }
  const SystemError& error() const { return error_; }

 private:
  SystemError error_;
  bool ok_ = true;
};

}  // namespace vantrel
