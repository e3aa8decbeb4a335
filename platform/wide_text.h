// UTF-8 and UTF-16 at the Win32 boundary, inside the platform layer.
#pragma once

#include <string>
#include <string_view>

namespace vantrel::os::win32 {

std::string WideToUtf8(std::wstring_view wide);
std::wstring Utf8ToWide(std::string_view utf8);

}  // namespace vantrel::os::win32

#include <filesystem>

namespace vantrel::os::win32 {

// The path to hand to the wide file API: as it is when short, and in the extended "\\?\"
// form when it reaches MAX_PATH, so deep trees and long names work on every Windows.
std::wstring ApiPath(const std::filesystem::path& path);

}  // namespace vantrel::os::win32
