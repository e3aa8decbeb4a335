// GetLastError() as a SystemError, with the system's own text for the code.
#include "platform/system_error.h"

#include <windows.h>

#include "platform/wide_text.h"

namespace vantrel::os {

SystemError LastSystemError() { return MakeSystemError(static_cast<int>(GetLastError())); }

SystemError MakeSystemError(int code) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring wide = length > 0 && text != nullptr ? std::wstring(text, length) : L"error " + std::to_wstring(code);
  if (text != nullptr) LocalFree(text);
  while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'\r' || wide.back() == L' ' || wide.back() == L'.')) {
    wide.pop_back();
  }
  return {code, win32::WideToUtf8(wide)};
}

}  // namespace vantrel::os
