// Code page conversions with iconv. Invalid input is replaced as Windows replaces it:
// undecodable bytes become U+FFFD, characters the target cannot hold become '?'.
#include "platform/codepage.h"

#include <iconv.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "platform/codepage_names.h"

namespace vantrel::os {
namespace {

// One iconv conversion descriptor, closed when it goes.
class Converter {
 public:
  Converter(const std::string& to, const std::string& from) : cd_(iconv_open(to.c_str(), from.c_str())) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts in; on input it cannot convert, calls replace(out) and skips `skip(in)` bytes.
  template <class Replace, class Skip>
  std::string Run(std::string_view in, Replace replace, Skip skip) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // each text from the initial state
    std::string out;
    char buffer[1024];
    char* src = const_cast<char*>(in.data());
    std::size_t left = in.size();
    while (left > 0) {
      char* dst = buffer;
      std::size_t room = sizeof buffer;
      const std::size_t result = iconv(cd_, &src, &left, &dst, &room);
      out.append(buffer, static_cast<std::size_t>(dst - buffer));
      if (result != static_cast<std::size_t>(-1)) continue;
      if (errno == E2BIG) continue;
      replace(out);
      const std::size_t step = std::min(left, skip(std::string_view(src, left)));
      src += step;
      left -= step;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    }
    return out;
  }

 private:
  iconv_t cd_;
};

std::string Utf16Bytes(std::u16string_view text) {
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

std::u16string Utf16FromBytes(std::string_view bytes) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                         static_cast<unsigned char>(bytes[i + 1]) << 8));
  }
  return text;
}

bool IsHighSurrogate(unsigned unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

// How many bytes of UTF-16LE input one character takes: 4 for a valid pair, else 2.
std::size_t Utf16CharBytes(std::string_view in) {
  if (in.size() >= 4) {
    const unsigned first = static_cast<unsigned char>(in[0]) | static_cast<unsigned char>(in[1]) << 8;
    const unsigned second = static_cast<unsigned char>(in[2]) | static_cast<unsigned char>(in[3]) << 8;
    if (IsHighSurrogate(first) && second >= 0xDC00 && second <= 0xDFFF) return 4;
  }
  return 2;
}

// How many bytes of an ill-formed UTF-8 sequence one U+FFFD stands for: the longest start of
// a well-formed sequence (its "maximal subpart"), at least one byte. Windows replaces alike.
std::size_t Utf8BadSequenceBytes(std::string_view in) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(in[i]); };
  const unsigned lead = byte(0);
  std::size_t length = 0;
  unsigned low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    low = lead == 0xE0 ? 0xA0 : 0x80;   // no overlong forms
    high = lead == 0xED ? 0x9F : 0xBF;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    low = lead == 0xF0 ? 0x90 : 0x80;   // no overlong forms
    high = lead == 0xF4 ? 0x8F : 0xBF;  // nothing above U+10FFFF
  } else {
    return 1;
  }
  std::size_t taken = 1;
  while (taken < length && taken < in.size()) {
    const unsigned next = byte(taken);
    if (taken == 1 ? (next < low || next > high) : (next < 0x80 || next > 0xBF)) break;
    ++taken;
  }
  return taken;
}

std::string LocaleCharset() {
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == 0) continue;
    const char* dot = std::strchr(value, '.');
    if (dot == nullptr) return {};
    const char* at = std::strchr(dot, '@');
    return std::string(dot + 1, at != nullptr ? at : dot + std::strlen(dot));
  }
  return {};
}

}  // namespace

CodePage SystemAnsiCodePage() {
  if (auto number = CodePageNumber(LocaleCharset())) {
    if (FindCodePage(std::to_string(*number))) return CodePage{*number};
  }
  return kUtf8;
}

std::optional<CodePage> FindCodePage(std::string_view name_or_number) {
  const std::optional<unsigned> number = CodePageNumber(name_or_number);
  if (!number) return std::nullopt;
  Converter probe("UTF-16LE", IconvName(*number));
  if (!probe.ok()) return std::nullopt;
  return CodePage{*number};
}

struct CodePageConverter::Descriptors {
  std::optional<Converter> to_utf16;
  std::optional<Converter> from_utf16;
};

CodePageConverter::CodePageConverter(CodePage cp) : cp_(cp), descriptors_(std::make_unique<Descriptors>()) {}
CodePageConverter::~CodePageConverter() = default;

std::u16string CodePageConverter::ToUtf16(std::string_view text) {
  std::optional<Converter>& converter = descriptors_->to_utf16;
  if (!converter) converter.emplace("UTF-16LE", IconvName(cp_.number));
  if (!converter->ok()) return {};
  const bool utf8 = cp_ == kUtf8;
  const std::string bytes = converter->Run(
      text, [](std::string& out) { out.append("\xFD\xFF", 2); },
      [utf8](std::string_view bad) { return utf8 ? Utf8BadSequenceBytes(bad) : std::size_t{1}; });
  return Utf16FromBytes(bytes);
}

std::string CodePageConverter::FromUtf16(std::u16string_view text) {
  std::optional<Converter>& converter = descriptors_->from_utf16;
  if (!converter) converter.emplace(IconvName(cp_.number), "UTF-16LE");
  if (!converter->ok()) return {};
  const bool utf8 = cp_ == kUtf8;
  return converter->Run(
      Utf16Bytes(text), [utf8](std::string& out) { out.append(utf8 ? "\xEF\xBF\xBD" : "?"); }, Utf16CharBytes);
}

std::u16string ToUtf16(std::string_view text, CodePage cp) { return CodePageConverter(cp).ToUtf16(text); }

std::string FromUtf16(std::u16string_view text, CodePage cp) { return CodePageConverter(cp).FromUtf16(text); }

}  // namespace vantrel::os
