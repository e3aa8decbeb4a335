#include "ui/message_boxes.h"

#include <string>

namespace vantrel::ui {

int WindowsMessageBoxes::Show(HWND owner, std::wstring_view text, std::wstring_view caption, UINT type) {
  return MessageBoxW(owner, std::wstring(text).c_str(), std::wstring(caption).c_str(), type);
}

}  // namespace vantrel::ui
