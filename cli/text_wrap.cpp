#include "cli/text_wrap.h"

#include <vector>

namespace vantrel::cli {
namespace {

// The code point of a UTF-8 lead byte and its continuation bytes, from text[at].
char32_t CodePointAt(std::string_view text, std::size_t& at) {
  const auto lead = static_cast<unsigned char>(text[at++]);
  if (lead < 0x80) return lead;
  const int more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
  char32_t point = lead & (0x3F >> more);
  for (int k = 0; k < more && at < text.size(); ++k) point = (point << 6) | (static_cast<unsigned char>(text[at++]) & 0x3F);
  return point;
}

// The ranges of wide characters that a manual can hold: CJK, Hangul, full-width forms.
bool IsWide(char32_t point) {
  return (point >= 0x1100 && point <= 0x115F) || (point >= 0x2E80 && point <= 0xA4CF) ||
         (point >= 0xAC00 && point <= 0xD7A3) || (point >= 0xF900 && point <= 0xFAFF) ||
         (point >= 0xFF00 && point <= 0xFF60) || (point >= 0xFFE0 && point <= 0xFFE6);
}

std::vector<std::string_view> Words(std::string_view paragraph) {
  std::vector<std::string_view> words;
  std::size_t at = 0;
  while (at < paragraph.size()) {
    const std::size_t start = paragraph.find_first_not_of(' ', at);
    if (start == std::string_view::npos) break;
    const std::size_t end = std::min(paragraph.find(' ', start), paragraph.size());
    words.push_back(paragraph.substr(start, end - start));
    at = end;
  }
  return words;
}

}  // namespace

std::size_t DisplayWidth(std::string_view text) {
  std::size_t width = 0;
  for (std::size_t at = 0; at < text.size();) width += IsWide(CodePointAt(text, at)) ? 2 : 1;
  return width;
}

std::string Wrap(std::string_view paragraph, std::size_t first_column, std::size_t indent, std::size_t width) {
  std::string out;
  std::size_t column = first_column;
  bool line_empty = true;
  for (std::string_view word : Words(paragraph)) {
    const std::size_t word_width = DisplayWidth(word);
    if (!line_empty && column + 1 + word_width > width) {
      out += '\n';
      out.append(indent, ' ');
      column = indent;
      line_empty = true;
    }
    if (!line_empty) out += ' ', ++column;
    out += word;
    column += word_width;
    line_empty = false;
  }
  out += '\n';
  return out;
}

}  // namespace vantrel::cli
