#include "cli/man_page.h"

#include <cstdint>
#include <cstdio>

#include "cli/help_text.h"
#include "cli/manual.h"
#include "cli/option_table.h"

namespace vantrel::cli {
namespace {

// The code point of the UTF-8 sequence at text[i], and how many bytes it takes. The texts are
// the program's own, so a broken sequence is taken byte by byte.
std::pair<std::uint32_t, std::size_t> CodePointAt(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
  const std::uint8_t lead = byte(i);
  std::size_t length = 1;
  std::uint32_t point = lead;
  if (lead >= 0xF0) {
    length = 4;
    point = lead & 0x07u;
  } else if (lead >= 0xE0) {
    length = 3;
    point = lead & 0x0Fu;
  } else if (lead >= 0xC0) {
    length = 2;
    point = lead & 0x1Fu;
  }
  if (length == 1 || i + length > text.size()) return {lead, 1};
  for (std::size_t k = 1; k < length; ++k) point = (point << 6) | (byte(i + k) & 0x3Fu);
  return {point, length};
}

// Text as roff shows it literally: backslashes and minus signs escaped, everything outside
// ASCII as a named code point, and a line that would start with a control character guarded.
std::string Roff(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const char ch = text[i];
    if (static_cast<unsigned char>(ch) >= 0x80) {
      const auto [point, length] = CodePointAt(text, i);
      char name[16];
      std::snprintf(name, sizeof name, "\\[u%04X]", static_cast<unsigned>(point));
      out += name;
      i += length;
      continue;
    }
    if (ch == '\\') {
      out += "\\e";
    } else if (ch == '-') {
      out += "\\-";
    } else if ((ch == '.' || ch == '\'') && (out.empty() || out.back() == '\n')) {
      out += "\\&";
      out += ch;
    } else {
      out += ch;
    }
    ++i;
  }
  return out;
}

// A paragraph as roff source: escaped, and broken at blanks into lines of at most about 78
// bytes (roff fills them again), none of them starting with a control character.
std::string Paragraph(std::string_view text) {
  constexpr std::size_t kLine = 78;
  const std::string escaped = Roff(text);
  std::string out;
  std::size_t line_start = 0;
  std::size_t last_blank = std::string::npos;
  for (char ch : escaped) {
    if (ch == ' ') last_blank = out.size();
    out += ch;
    if (out.size() - line_start > kLine && last_blank != std::string::npos && last_blank > line_start) {
      out[last_blank] = '\n';
      line_start = last_blank + 1;
      last_blank = std::string::npos;
      if (out[line_start] == '.' || out[line_start] == '\'') out.insert(line_start, "\\&");
    }
  }
  return out;
}

// The manual's "$" is the program's name.
std::string Named(std::string_view text) {
  std::string out;
  for (char ch : text) {
    if (ch == '$') {
      out += ProgramName();
    } else {
      out += ch;
    }
  }
  return out;
}

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& ch : out) {
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
  }
  return out;
}

// ".TP" head of one option: "\fB\-f\fR, \fB\-\-find\-hex\fR \fIHEX\fR".
std::string OptionHead(const OptionSpec& option) {
  std::string head;
  if (option.short_name != 0) head += "\\fB\\-" + std::string(1, option.short_name) + "\\fR, ";
  head += "\\fB\\-\\-" + Roff(option.long_name) + "\\fR";
  if (option.takes == Takes::kValue) head += " \\fI" + Roff(option.value_name) + "\\fR";
  if (option.takes == Takes::kOptionalValue) head += "[=\\fI" + Roff(option.value_name) + "\\fR]";
  return head;
}

std::string Synopsis(const Manual& manual) {
  std::string text = ".SH SYNOPSIS\n";
  for (std::size_t i = 0; i < manual.usage.size(); ++i) {
    if (i > 0) text += ".br\n";
    text += ".B " + Roff(ProgramName()) + "\n" + Roff(manual.usage[i]) + "\n";
  }
  return text;
}

std::string Options() {
  std::string text = ".SH OPTIONS\n";
  for (const OptionGroupSpec& group : OptionGroups()) {
    text += ".SS " + Roff(group.title) + "\n";
    for (const OptionSpec& option : OptionTable()) {
      if (option.group != group.group) continue;
      text += ".TP\n" + OptionHead(option) + "\n" + Paragraph(option.help) + ".\n";
    }
  }
  return text;
}

std::string Notes(const Manual& manual) {
  std::string text;
  for (const ManualNote& note : manual.notes) text += ".SS " + Roff(note.title) + "\n" + Paragraph(note.text) + "\n";
  return text;
}

std::string Examples(const Manual& manual) {
  std::string text = ".SH EXAMPLES\n";
  for (const ManualExample& example : manual.examples) {
    // On a text line, not in a macro's arguments, where quotes would group words and vanish.
    text += ".TP\n\\fB" + Roff(Named(example.command)) + "\\fR\n" + Paragraph(Named(example.what)) + ".\n";
  }
  return text;
}

std::string Files(const Manual& manual) {
  std::string text = ".SH FILES\n";
  for (const ManualFile& file : manual.files) text += ".TP\n.I " + Roff(file.path) + "\n" + Paragraph(file.what) + ".\n";
  return text;
}

}  // namespace

std::string ManPage(std::string_view date) {
  const Manual& manual = TheManual();
  std::string page = ".TH " + Upper(ProgramName()) + " 1 " + std::string(date) + " \"" + Roff(ProgramName()) + " " +
                     Roff(Version()) + "\" \"User Commands\"\n";
  page += ".SH NAME\n" + Roff(ProgramName()) + " \\- " + Roff(manual.summary) + "\n";
  page += Synopsis(manual);
  page += ".SH DESCRIPTION\n" + Paragraph(manual.description) + "\n";
  page += Notes(manual);
  page += Options();
  page += ".SH EXIT STATUS\n" + Paragraph(manual.exit_status) + "\n";
  page += Examples(manual);
  page += Files(manual);
  page += ".SH SEE ALSO\n" + Roff(manual.see_also) + "\n";
  return page;
}

}  // namespace vantrel::cli
