// How the dialog shows a message box. The program uses the platform's message boxes; tests
// put a scripted set in their place, which records each box and answers it.
#pragma once

#include <windows.h>

#include <string_view>

namespace vantrel::ui {

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;

  // Shows a modal message box owned by owner, with MessageBox's type flags (MB_YESNO, icons);
  // returns the button pressed (IDOK, IDYES, IDNO).
  virtual int Show(HWND owner, std::wstring_view text, std::wstring_view caption, UINT type) = 0;
};

// The platform's message boxes (MessageBoxW).
class WindowsMessageBoxes : public MessageBoxes {
 public:
  int Show(HWND owner, std::wstring_view text, std::wstring_view caption, UINT type) override;
};

}  // namespace vantrel::ui
