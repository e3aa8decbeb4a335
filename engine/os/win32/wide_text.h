// UTF-8 and UTF-16 at the Win32 boundary, inside the platform layer.
#pragma once

#include <string>
#include <string_view>

namespace vantrel::os::win32 {

std::string WideToUtf8(std::wstring_view wide);
std::wstring Utf8ToWide(std::string_view utf8);

}  // namespace vantrel::os::win32
