// Code page conversions with the platform's own MultiByteToWideChar / WideCharToMultiByte.
#include "platform/codepage.h"

#include <windows.h>

#include "platform/codepage_names.h"

namespace vantrel::os {

CodePage SystemAnsiCodePage() { return CodePage{GetACP()}; }

std::optional<CodePage> FindCodePage(std::string_view name_or_number) {
  const std::optional<unsigned> number = CodePageNumber(name_or_number);
  if (!number || !IsValidCodePage(*number)) return std::nullopt;
  return CodePage{*number};
}

// The platform's conversions need no set-up.
struct CodePageConverter::Descriptors {};

CodePageConverter::CodePageConverter(CodePage cp) : cp_(cp) {}
CodePageConverter::~CodePageConverter() = default;

std::u16string CodePageConverter::ToUtf16(std::string_view text) { return os::ToUtf16(text, cp_); }

std::string CodePageConverter::FromUtf16(std::u16string_view text) { return os::FromUtf16(text, cp_); }

std::u16string ToUtf16(std::string_view text, CodePage cp) {
  if (text.empty()) return {};
  const int size = MultiByteToWideChar(cp.number, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (size <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(cp.number, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return std::u16string(wide.begin(), wide.end());
}

std::string FromUtf16(std::u16string_view text, CodePage cp) {
  if (text.empty()) return {};
  const std::wstring wide(text.begin(), text.end());
  const int size = WideCharToMultiByte(cp.number, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                       nullptr, nullptr);
  if (size <= 0) return {};
  std::string narrow(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(cp.number, 0, wide.data(), static_cast<int>(wide.size()), narrow.data(), size, nullptr, nullptr);
  return narrow;
}

}  // namespace vantrel::os
