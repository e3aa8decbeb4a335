#include "platform/wide_text.h"

#include <windows.h>

namespace vantrel::os::win32 {

std::string WideToUtf8(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                       nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) {
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), size, nullptr, nullptr);
  }
  return out;
}

std::wstring Utf8ToWide(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
  if (size > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), size);
  return out;
}

}  // namespace vantrel::os::win32

namespace vantrel::os::win32 {

std::wstring ApiPath(const std::filesystem::path& path) {
  const std::wstring& native = path.native();
  // A little below MAX_PATH, so a directory's "\*" search pattern still fits.
  if (native.size() < MAX_PATH - 4 || native.rfind(L"\\\\?\\", 0) == 0) return native;
  std::error_code error;
  const std::filesystem::path absolute = path.is_absolute() ? path : std::filesystem::absolute(path, error);
  if (error) return native;
  // The extended form is taken literally: separators must be backslashes, no "." or "..".
  std::wstring text = absolute.lexically_normal().make_preferred().native();
  if (text.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + text.substr(2);
  return L"\\\\?\\" + text;
}

}  // namespace vantrel::os::win32
