// A pattern or a replacement as given on the command line, in one of the four forms, and the
// bytes it stands for. Text arrives in the terminal's character set and is converted to the
// form asked for; the terminating zero of the dialog's "完整字符串" is appended unless the
// user turned it off. Unlike the dialog's boxes, no length limit applies.
#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "text/hex_text.h"
#include "text/masked_pattern.h"
#include "platform/codepage.h"

namespace vantrel::cli {

enum class PatternForm {
  kHex,      // hex text, as the dialog's "HEX" boxes take it
  kAnsi,     // "ASCII": the text in a narrow code page (--codepage)
  kUtf8,     // "UTF-8"
  kUtf16Le,  // "UNICODE"
};

struct PatternArgument {
  PatternForm form = PatternForm::kHex;
  std::string text;    // as given, in the terminal's character set
  std::string option;  // as the user spelled it, for messages: "-f", "--find-ascii"
};

struct TextEncoding {
  vantrel::os::CodePage terminal;  // the character set of the arguments
  vantrel::os::CodePage ansi;      // the code page of the ASCII form
  bool whole_string = true;        // append the terminating zero to a text form
};

// The pattern, or why there is none worth searching for or writing (a sentence for the user).
// A hex form may hold `?` nibbles, which match any value (in a pattern to find) or keep the
// file's value (in a replacement); a text form is exact.
struct PatternValue {
  MaskedPattern pattern;
  std::string warning;  // something the user should know but that does not stop the run
};
std::variant<PatternValue, std::string> ConvertPattern(const PatternArgument& argument, const TextEncoding& encoding);

}  // namespace vantrel::cli
