#include "cli/patch_list.h"

#include <cstdio>

#include "cli/quoted.h"
#include "text/pattern_forms.h"

namespace vantrel::cli {
namespace {

struct Prefix {
  std::string_view text;
  TextForm form;
};
constexpr Prefix kTextForms[] = {
    {"ascii:\"", TextForm::kAnsi}, {"utf8:\"", TextForm::kUtf8}, {"unicode:\"", TextForm::kUtf16Le}};

bool IsBlank(char ch) { return ch == ' ' || ch == '\t'; }

void SkipBlanks(std::string_view& rest) {
  while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
}

int HexValue(char ch) {
  if (ch >= '0' && ch <= '9') return ch - '0';
  if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
  if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
  return -1;
}

// One side as it is read: the pattern, or why not.
using Side = std::variant<MaskedPattern, std::string>;

// A hex side, up to `end`: only hex digits, '?' and blanks, an even number of nibbles.
Side HexSide(std::string_view text) {
  for (char ch : text) {
    if (HexValue(ch) < 0 && ch != '?' && !IsBlank(ch)) {
      return Quoted(std::string(1, ch)) + " is no hex digit, '?' or blank (a text side is written ascii:\"...\")";
    }
  }
  const HexPattern hex = ParseHexPattern(text);
  if (hex.nibbles == 0) return std::string("a side has no bytes");
  if (hex.nibbles % 2 != 0) return std::string("an odd number of hex digits: ") + Quoted(std::string(text));
  return hex.pattern;
}

// Appends the bytes of a run of plain text (UTF-8 in the file) in the form.
std::string AppendText(std::string_view run, TextForm form, vantrel::os::CodePage ansi, Bytes& bytes) {
  const std::u16string wide = vantrel::os::ToUtf16(run, vantrel::os::kUtf8);
  if (vantrel::os::FromUtf16(wide, vantrel::os::kUtf8) != run) return "text that is not valid UTF-8";
  const FormBytes encoded = TextToFormBytes(form, wide, ansi);
  if (!encoded.whole) return Quoted(std::string(run)) + " has characters that code page " + std::to_string(ansi.number) +
                             " cannot hold (see --codepage)";
  bytes.insert(bytes.end(), encoded.bytes.begin(), encoded.bytes.end());
  return {};
}

// A byte written as an escape: itself in a narrow form, the character U+00NN in UTF-16LE.
void AppendByte(std::uint8_t byte, TextForm form, Bytes& bytes) {
  bytes.push_back(byte);
  if (form == TextForm::kUtf16Le) bytes.push_back(0);
}

// A text side from just behind its opening quote; rest is left behind the closing quote.
Side TextSide(std::string_view& rest, TextForm form, vantrel::os::CodePage ansi) {
  Bytes bytes;
  std::string run;
  const auto flush = [&]() -> std::string {
    std::string problem = AppendText(run, form, ansi, bytes);
    run.clear();
    return problem;
  };
  while (!rest.empty()) {
    const char ch = rest.front();
    rest.remove_prefix(1);
    if (ch == '"') {
      if (std::string problem = flush(); !problem.empty()) return problem;
      if (bytes.empty()) return std::string("a side has no bytes");
      return ExactPattern(bytes);
    }
    if (ch != '\\') {
      run.push_back(ch);
      continue;
    }
    if (rest.empty()) break;
    const char escape = rest.front();
    rest.remove_prefix(1);
    if (escape == '"' || escape == '\\') {
      run.push_back(escape);
    } else if (escape == '0' || escape == 'x') {
      if (std::string problem = flush(); !problem.empty()) return problem;
      int value = 0;
      if (escape == 'x') {
        if (rest.size() < 2 || HexValue(rest[0]) < 0 || HexValue(rest[1]) < 0) {
          return std::string("\\x needs two hex digits");
        }
        value = HexValue(rest[0]) * 16 + HexValue(rest[1]);
        rest.remove_prefix(2);
      }
      AppendByte(static_cast<std::uint8_t>(value), form, bytes);
    } else {
      return "unknown escape " + Quoted(std::string("\\") + escape) + " (the escapes are \\\", \\\\, \\0 and \\xNN)";
    }
  }
  return std::string("a text side has no closing quote");
}

// One side from the front of rest; `last`: the side reaches to the end of the line.
Side ReadSide(std::string_view& rest, bool last, vantrel::os::CodePage ansi) {
  SkipBlanks(rest);
  for (const Prefix& prefix : kTextForms) {
    if (rest.substr(0, prefix.text.size()) == prefix.text) {
      rest.remove_prefix(prefix.text.size());
      return TextSide(rest, prefix.form, ansi);
    }
  }
  const std::size_t end = last ? rest.size() : rest.find("=>");
  const std::string_view hex = rest.substr(0, end == std::string_view::npos ? rest.size() : end);
  rest.remove_prefix(hex.size());
  return HexSide(hex);
}

std::variant<PatchPair, std::string> ReadPair(std::string_view line, std::size_t number, vantrel::os::CodePage ansi) {
  std::string_view rest = line;
  Side find = ReadSide(rest, false, ansi);
  if (auto* problem = std::get_if<std::string>(&find)) return "the pattern: " + *problem;
  SkipBlanks(rest);
  if (rest.substr(0, 2) != "=>") return std::string("no '=>' between the pattern and its replacement");
  rest.remove_prefix(2);
  Side replacement = ReadSide(rest, true, ansi);
  if (auto* problem = std::get_if<std::string>(&replacement)) return "the replacement: " + *problem;
  SkipBlanks(rest);
  if (!rest.empty()) return "unexpected " + Quoted(std::string(rest)) + " after the replacement";
  PatchPair pair{std::get<MaskedPattern>(std::move(find)), std::get<MaskedPattern>(std::move(replacement)), number};
  if (std::string problem = WildcardBeyondPattern(pair.find, pair.replacement); !problem.empty()) return problem;
  return pair;
}

}  // namespace

std::string WildcardBeyondPattern(const MaskedPattern& find, const MaskedPattern& replacement) {
  for (std::size_t i = find.size(); i < replacement.size(); ++i) {
    if (replacement.mask[i] != 0xFF) {
      return "a '?' in the replacement lies beyond the " + std::to_string(find.size()) +
             " bytes of the pattern, where there is no byte of the file to keep";
    }
  }
  return {};
}

std::variant<std::vector<PatchPair>, std::string> ParsePatchList(std::string_view text, std::string_view name,
                                                                 vantrel::os::CodePage ansi) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // a UTF-8 byte order mark
  std::vector<PatchPair> pairs;
  for (std::size_t number = 1; !text.empty(); ++number) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::string_view content = line;
    SkipBlanks(content);
    if (content.empty() || content.front() == '#') continue;
    auto pair = ReadPair(content, number, ansi);
    if (auto* problem = std::get_if<std::string>(&pair)) {
      return std::string(name) + ":" + std::to_string(number) + ": " + *problem;
    }
    pairs.push_back(std::get<PatchPair>(std::move(pair)));
  }
  if (pairs.empty()) return std::string(name) + ": no pairs (each line is FIND => REPLACE)";
  return pairs;
}

}  // namespace vantrel::cli
