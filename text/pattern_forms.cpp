#include "text/pattern_forms.h"

#include "text/text_limits.h"

namespace vantrel {
namespace {

Bytes AsBytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

Bytes Utf16LeBytes(std::u16string_view text) {
  Bytes bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t unit : text) {
    bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  return bytes;
}

// A narrow form: the text in the code page, cut to the limit; whole when nothing was cut and
// the bytes read back as the same text (a code page writes '?' for what it cannot hold).
FormBytes NarrowForm(std::u16string_view text, os::CodePage cp, std::size_t limit) {
  os::CodePageConverter converter(cp);
  const std::string narrow = NarrowPrefix(text, converter, limit);
  return {AsBytes(narrow), converter.ToUtf16(narrow) == text};
}

std::string_view UpToZeroByte(std::span<const std::uint8_t> bytes) {
  std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  return text.substr(0, text.find('\0'));
}

}  // namespace

FormBytes TextToFormBytes(TextForm form, std::u16string_view text, os::CodePage ansi, std::size_t limit) {
  switch (form) {
    case TextForm::kAnsi: return NarrowForm(text, ansi, limit);
    case TextForm::kUtf8: return NarrowForm(text, os::kUtf8, limit);
    case TextForm::kUtf16Le: break;
  }
  const std::u16string_view taken = Utf16Prefix(text, limit);
  return {Utf16LeBytes(taken), taken.size() == text.size()};
}

std::u16string FormBytesToText(TextForm form, std::span<const std::uint8_t> bytes, os::CodePage ansi) {
  switch (form) {
    case TextForm::kAnsi: return os::ToUtf16(UpToZeroByte(bytes), ansi);
    case TextForm::kUtf8: return os::ToUtf16(UpToZeroByte(bytes), os::kUtf8);
    case TextForm::kUtf16Le: break;
  }
  std::u16string text;
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    const unsigned high = i + 1 < bytes.size() ? bytes[i + 1] : 0u;
    const auto unit = static_cast<char16_t>(bytes[i] | high << 8);
    if (unit == 0) break;
    text.push_back(unit);
  }
  return text;
}

std::size_t TerminatorLength(TextForm form) { return form == TextForm::kUtf16Le ? 2 : 1; }

}  // namespace vantrel
