#include "cli/pattern_argument.h"
#include "cli/quoted.h"

#include <algorithm>
#include <optional>

#include "text/pattern_forms.h"

namespace vantrel::cli {
namespace {

namespace cp = vantrel::os;


std::string CodePageName(cp::CodePage page) {
  return page == cp::kUtf8 ? std::string("UTF-8") : "code page " + std::to_string(page.number);
}

std::variant<PatternValue, std::string> FromHex(const PatternArgument& argument) {
  const HexPattern hex = ParseHexPattern(argument.text);
  if (hex.nibbles == 0) return argument.option + " " + Quoted(argument.text) + " has no hex digits";
  if (hex.pattern.size() == 0) {
    return argument.option + " " + Quoted(argument.text) + " has no bytes: one digit is half a byte";
  }
  PatternValue result{hex.pattern, {}};
  if (hex.nibbles % 2 != 0) {
    result.warning = argument.option + " " + Quoted(argument.text) + " has an odd number of digits; the last one is " +
                     "ignored, so it stands for " + PatternText(hex.pattern);
  }
  return result;
}

TextForm TextFormOf(PatternForm form) {
  switch (form) {
    case PatternForm::kAnsi: return TextForm::kAnsi;
    case PatternForm::kUtf8: return TextForm::kUtf8;
    case PatternForm::kUtf16Le:
    case PatternForm::kHex: break;
  }
  return TextForm::kUtf16Le;
}

std::variant<PatternValue, std::string> FromText(const PatternArgument& argument, const TextEncoding& encoding) {
  const std::u16string text = cp::ToUtf16(argument.text, encoding.terminal);
  if (cp::FromUtf16(text, encoding.terminal) != argument.text) {
    return argument.option + " " + Quoted(argument.text) + " is not valid text in the terminal's character set (" +
           CodePageName(encoding.terminal) + ")";
  }
  // The platform puts '?' or a look-alike for what a code page lacks, and writing that into a
  // file would be a surprise: the text must be held whole.
  const TextForm form = TextFormOf(argument.form);
  FormBytes encoded = TextToFormBytes(form, text, encoding.ansi);
  if (!encoded.whole) {
    return argument.option + " " + Quoted(argument.text) + " has characters that " + CodePageName(encoding.ansi) +
           " cannot hold (see --codepage)";
  }
  if (encoding.whole_string) encoded.bytes.resize(encoded.bytes.size() + TerminatorLength(form));
  PatternValue result{ExactPattern(encoded.bytes), {}};
  if (result.pattern.size() == 0) {
    return argument.option + " '' has no bytes without its terminating zero (drop --no-whole-string)";
  }
  return result;
}

}  // namespace

std::variant<PatternValue, std::string> ConvertPattern(const PatternArgument& argument, const TextEncoding& encoding) {
  if (argument.form == PatternForm::kHex) return FromHex(argument);
  return FromText(argument, encoding);
}

}  // namespace vantrel::cli
