// A solid GDI brush that is deleted with its owner.
#pragma once

#include <windows.h>

namespace vantrel::ui::framework {

class SolidBrush {
 public:
  SolidBrush() = default;
  explicit SolidBrush(COLORREF colour) : brush_(CreateSolidBrush(colour)) {}
  ~SolidBrush() { Reset(); }
  SolidBrush(const SolidBrush&) = delete;
  SolidBrush& operator=(const SolidBrush&) = delete;
  SolidBrush(SolidBrush&& other) noexcept : brush_(other.brush_) { other.brush_ = nullptr; }
  SolidBrush& operator=(SolidBrush&& other) noexcept {
    if (this != &other) {
      Reset();
      brush_ = other.brush_;
      other.brush_ = nullptr;
    }
    return *this;
  }

  HBRUSH get() const { return brush_; }

 private:
  void Reset() {
    if (brush_) DeleteObject(brush_);
    brush_ = nullptr;
  }

  HBRUSH brush_ = nullptr;
};

}  // namespace vantrel::ui::framework
