#include "cli/help_text.h"

#include <string>

#include "cli/manual.h"
#include "cli/option_table.h"
#include "cli/text_wrap.h"

namespace vantrel::cli {
namespace {

constexpr std::size_t kWidth = 80;
constexpr std::size_t kDescriptionColumn = 29;

constexpr std::string_view kName = VANTREL_PROGRAM_NAME;

// The text with each "$" replaced by the program's name.
std::string Named(std::string_view text) {
  std::string out;
  for (char ch : text) {
    if (ch == '$') {
      out += kName;
    } else {
      out += ch;
    }
  }
  return out;
}

// "  -f, --find-hex HEX", "      --backup[=SUFFIX]".
std::string OptionHead(const OptionSpec& option) {
  std::string head = option.short_name != 0 ? std::string("  -") + option.short_name + ", " : std::string(6, ' ');
  head += "--";
  head += option.long_name;
  if (option.takes == Takes::kValue) head += " " + std::string(option.value_name);
  if (option.takes == Takes::kOptionalValue) head += "[=" + std::string(option.value_name) + "]";
  return head;
}

std::string OptionLines(const OptionSpec& option) {
  std::string text = OptionHead(option);
  if (text.size() + 1 > kDescriptionColumn) {
    text += '\n';
    text.append(kDescriptionColumn, ' ');
  } else {
    text.append(kDescriptionColumn - text.size(), ' ');
  }
  return text + Wrap(option.help, kDescriptionColumn, kDescriptionColumn, kWidth);
}

std::string OptionSections() {
  std::string text;
  for (const OptionGroupSpec& group : OptionGroups()) {
    text += std::string(group.title) + ":\n";
    for (const OptionSpec& option : OptionTable()) {
      if (option.group == group.group) text += OptionLines(option);
    }
    text += '\n';
  }
  return text;
}

// "Title: text", wrapped.
std::string Note(std::string_view title, std::string_view text) {
  const std::string head = std::string(title) + ":";
  return head + " " + Wrap(text, head.size() + 1, 0, kWidth);
}


}  // namespace

std::string_view ProgramName() { return kName; }

std::string_view Version() { return VANTREL_VERSION; }

std::string HelpText() {
  const Manual& manual = TheManual();
  std::string text;
  for (std::size_t i = 0; i < manual.usage.size(); ++i) {
    text += (i == 0 ? "Usage: " : "       ") + Named("$ ") + std::string(manual.usage[i]) + "\n";
  }
  text += "\n" + Wrap(manual.description, 0, 0, kWidth) + "\n";
  text += OptionSections();
  for (const ManualNote& note : manual.notes) text += Note(note.title, note.text) + "\n";
  text += Note("Exit status", manual.exit_status);
  text += "\nExamples:\n";
  for (const ManualExample& example : manual.examples) {
    text += "  " + Named(example.command) + "\n      " + Named(example.what) + "\n";
  }
  return text;
}

std::string UsageErrorText(std::string_view message) {
  std::string text(kName);
  text += ": error: ";
  text += message;
  text += "\nTry '";
  text += kName;
  text += " --help' for the options and examples.\n";
  return text;
}

}  // namespace vantrel::cli
