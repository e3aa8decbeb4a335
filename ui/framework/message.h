// One window message as a window or dialog procedure receives it.
#pragma once

#include <windows.h>

namespace vantrel::ui::framework {

struct Message {
  HWND window;
  UINT id;  // WM_COMMAND, WM_PAINT, ...
  WPARAM wparam;
  LPARAM lparam;
};

}  // namespace vantrel::ui::framework
