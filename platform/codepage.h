// Code pages: text in a narrow code page to and from UTF-16. Windows uses the platform's own
// conversions (MultiByteToWideChar / WideCharToMultiByte); POSIX uses iconv, so the text
// forms behave and are tested alike on both.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/result.h"

namespace vantrel::os {

// A code page by its Windows number: 936 (GBK), 1252 (Western), 65001 (UTF-8), ...
struct CodePage {
  unsigned number = 0;
  friend bool operator==(const CodePage&, const CodePage&) = default;
};

inline constexpr CodePage kUtf8{65001};

// The system's ANSI code page: GetACP() on Windows; on POSIX the locale's character set
// (LC_ALL / LC_CTYPE / LANG) as a code page number, UTF-8 when it names none we know.
CodePage SystemAnsiCodePage();

// A code page from a number ("936") or a name ("GBK", "cp1252", "UTF-8", "latin1").
// Empty when the platform cannot convert it.
std::optional<CodePage> FindCodePage(std::string_view name_or_number);

// The conversions between one code page and UTF-16, set up once for many texts: with iconv
// the set-up costs more than converting a box's text, and cutting a text to a limit converts
// many prefixes of it. Each text is converted from the code page's initial state.
class CodePageConverter {
 public:
  explicit CodePageConverter(CodePage cp);
  ~CodePageConverter();
  CodePageConverter(const CodePageConverter&) = delete;
  CodePageConverter& operator=(const CodePageConverter&) = delete;

  // Narrow text in the code page to UTF-16. Bytes that are not valid in it become U+FFFD, as
  // the platform's conversion does.
  std::u16string ToUtf16(std::string_view text);
  // UTF-16 to narrow text in the code page. Characters it cannot hold become '?', lone
  // surrogates U+FFFD (or '?').
  std::string FromUtf16(std::u16string_view text);

 private:
  struct Descriptors;  // the platform's set-up, made on first use of each direction
  CodePage cp_;
  std::unique_ptr<Descriptors> descriptors_;
};

// One text each, through a converter of their own.
std::u16string ToUtf16(std::string_view text, CodePage cp);
std::string FromUtf16(std::u16string_view text, CodePage cp);

}  // namespace vantrel::os
