#include "cli/pattern_argument.h"
#include "cli/quoted.h"

#include <algorithm>
#include <optional>

namespace vantrel::cli {
namespace {

namespace cp = vantrel::os;


std::string CodePageName(cp::CodePage page) {
  return page == cp::kUtf8 ? std::string("UTF-8") : "code page " + std::to_string(page.number);
}

std::variant<PatternBytes, std::string> FromHex(const PatternArgument& argument) {
  const auto digits = std::count_if(argument.text.begin(), argument.text.end(), IsHexDigit);
  if (digits == 0) return argument.option + " " + Quoted(argument.text) + " has no hex digits";
  PatternBytes result{HexTextToBytes(argument.text), {}};
  if (result.bytes.empty()) {
    return argument.option + " " + Quoted(argument.text) + " has no bytes: one digit is half a byte";
  }
  if (digits % 2 != 0) {
    result.warning = argument.option + " " + Quoted(argument.text) + " has an odd number of digits; the last one is " +
                     "ignored, so it stands for " + BytesToHexText(result.bytes);
  }
  return result;
}

std::string Utf16LeBytes(std::u16string_view text) {
  std::string bytes;
  for (char16_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

// The text in the form's encoding; nothing when the ANSI code page cannot hold it. The
// platform puts '?' or a look-alike for what a code page lacks, and writing that into a file
// would be a surprise, so the conversion must come back unchanged.
std::optional<std::string> Encode(PatternForm form, std::u16string_view text, const TextEncoding& encoding) {
  switch (form) {
    case PatternForm::kAnsi: {
      std::string narrow = cp::FromUtf16(text, encoding.ansi);
      if (cp::ToUtf16(narrow, encoding.ansi) != text) return std::nullopt;
      return narrow;
    }
    case PatternForm::kUtf8: return cp::FromUtf16(text, cp::kUtf8);
    case PatternForm::kUtf16Le:
    case PatternForm::kHex: break;
  }
  return Utf16LeBytes(text);
}

std::variant<PatternBytes, std::string> FromText(const PatternArgument& argument, const TextEncoding& encoding) {
  const std::u16string text = cp::ToUtf16(argument.text, encoding.terminal);
  if (cp::FromUtf16(text, encoding.terminal) != argument.text) {
    return argument.option + " " + Quoted(argument.text) + " is not valid text in the terminal's character set (" +
           CodePageName(encoding.terminal) + ")";
  }
  const std::optional<std::string> encoded = Encode(argument.form, text, encoding);
  if (!encoded) {
    return argument.option + " " + Quoted(argument.text) + " has characters that " + CodePageName(encoding.ansi) +
           " cannot hold (see --codepage)";
  }
  PatternBytes result{Bytes(encoded->begin(), encoded->end()), {}};
  if (encoding.whole_string) result.bytes.resize(result.bytes.size() + (argument.form == PatternForm::kUtf16Le ? 2 : 1));
  if (result.bytes.empty()) {
    return argument.option + " '' has no bytes without its terminating zero (drop --no-whole-string)";
  }
  return result;
}

}  // namespace

std::variant<PatternBytes, std::string> ConvertPattern(const PatternArgument& argument, const TextEncoding& encoding) {
  if (argument.form == PatternForm::kHex) return FromHex(argument);
  return FromText(argument, encoding);
}

}  // namespace vantrel::cli
