#include "cli/completions.h"

#include <string_view>

#include "cli/help_text.h"
#include "cli/option_table.h"

namespace vantrel::cli {
namespace {

std::string CodePageWords() {
  std::string words;
  for (std::string_view page : CommonCodePages()) {
    if (!words.empty()) words += ' ';
    words += page;
  }
  return words;
}

// The names a shell word may be, "-f --find-hex" (an optional value: "--backup --backup=").
std::string Spellings(const OptionSpec& option) {
  std::string names;
  if (option.short_name != 0) names += std::string("-") + option.short_name + " ";
  names += "--" + std::string(option.long_name);
  if (option.takes == Takes::kOptionalValue) names += " --" + std::string(option.long_name) + "=";
  return names;
}

// An identifier for shell functions: "vantrel-cli" gives "vantrel_cli".
std::string Identifier() {
  std::string name(ProgramName());
  for (char& ch : name) {
    if (ch == '-') ch = '_';
  }
  return name;
}

// The bash "case" patterns of the options whose value is the next word, by what it is.
std::string BashValueCases() {
  std::string files, pages, words;
  for (const OptionSpec& option : OptionTable()) {
    if (option.takes != Takes::kValue) continue;
    std::string names;
    if (option.short_name != 0) names += std::string("-") + option.short_name + "|";
    names += "--" + std::string(option.long_name);
    std::string& list = option.value_kind == ValueKind::kFile ? files
                        : option.value_kind == ValueKind::kCodePage ? pages
                                                                    : words;
    list += (list.empty() ? "" : "|") + names;
  }
  std::string text;
  if (!files.empty()) text += "    " + files + ")\n      COMPREPLY=($(compgen -f -- \"$cur\"))\n      return ;;\n";
  if (!pages.empty()) {
    text += "    " + pages + ")\n      COMPREPLY=($(compgen -W \"" + CodePageWords() +
            "\" -- \"$cur\"))\n      return ;;\n";
  }
  if (!words.empty()) text += "    " + words + ")\n      return ;;\n";
  return text;
}

// zsh's _arguments wants [ ] : and \ escaped in a description.
std::string ZshDescription(std::string_view text) {
  std::string out;
  for (char ch : text) {
    if (ch == '[' || ch == ']' || ch == ':' || ch == '\\') out += '\\';
    if (ch == '\'') {
      out += "'\\''";
      continue;
    }
    out += ch;
  }
  return out;
}

std::string ZshValue(const OptionSpec& option) {
  const std::string name(option.value_name);
  switch (option.value_kind) {
    case ValueKind::kFile:
      return ":" + name + ":_files";
    case ValueKind::kCodePage:
      return ":" + name + ":(" + CodePageWords() + ")";
    case ValueKind::kWord:
      return ":" + name + ": ";
    case ValueKind::kNone:
      break;
  }
  return "";
}

std::string ZshSpec(const OptionSpec& option) {
  const std::string description = "[" + ZshDescription(option.summary) + "]";
  const std::string long_name = "--" + std::string(option.long_name);
  if (option.takes == Takes::kOptionalValue) {
    // Only attached: "--backup" alone, or "--backup=SUFFIX".
    std::string spec = "  '" + long_name + "=-" + description + ":" + ZshValue(option) + "'";
    if (option.short_name != 0) spec += " \\\n  '-" + std::string(1, option.short_name) + "-" + description + ":" + ZshValue(option) + "'";
    return spec;
  }
  const std::string value = option.takes == Takes::kValue ? ZshValue(option) : "";
  if (option.short_name == 0) return "  '" + long_name + description + value + "'";
  const std::string short_name = "-" + std::string(1, option.short_name);
  return "  '(" + short_name + " " + long_name + ")'{" + short_name + "," + long_name + "}'" + description + value +
         "'";
}

std::string FishQuoted(std::string_view text) {
  std::string out = "'";
  for (char ch : text) {
    if (ch == '\'' || ch == '\\') out += '\\';
    out += ch;
  }
  return out + "'";
}

std::string FishLine(const OptionSpec& option) {
  std::string line = "complete -c " + std::string(ProgramName());
  if (option.short_name != 0) line += " -s " + std::string(1, option.short_name);
  line += " -l " + std::string(option.long_name);
  if (option.takes == Takes::kValue) {
    switch (option.value_kind) {
      case ValueKind::kFile:
        line += " -r -F";
        break;
      case ValueKind::kCodePage:
        line += " -x -a " + FishQuoted(CodePageWords());
        break;
      default:
        line += " -x";
        break;
    }
  }
  return line + " -d " + FishQuoted(option.summary) + "\n";
}

}  // namespace

std::string BashCompletion() {
  std::string names;
  for (const OptionSpec& option : OptionTable()) names += (names.empty() ? "" : " ") + Spellings(option);
  const std::string function = "_" + Identifier();
  return "# bash completion for " + std::string(ProgramName()) + "\n" + function +
         "() {\n"
         "  local cur=\"${COMP_WORDS[COMP_CWORD]}\" prev=\"${COMP_WORDS[COMP_CWORD-1]}\"\n"
         "  case \"$prev\" in\n" +
         BashValueCases() +
         "  esac\n"
         "  if [[ $cur == -* ]]; then\n"
         "    COMPREPLY=($(compgen -W \"" +
         names +
         "\" -- \"$cur\"))\n"
         "    [[ ${COMPREPLY[0]} == *= ]] && compopt -o nospace\n"
         "    return\n"
         "  fi\n"
         "  COMPREPLY=($(compgen -f -- \"$cur\"))\n"
         "}\n"
         "complete -o filenames -o bashdefault -F " +
         function + " " + std::string(ProgramName()) + "\n";
}

std::string ZshCompletion() {
  std::string text = "#compdef " + std::string(ProgramName()) + "\n\n_arguments -s -S \\\n";
  for (const OptionSpec& option : OptionTable()) text += ZshSpec(option) + " \\\n";
  return text + "  '*:PATH:_files'\n";
}

std::string FishCompletion() {
  std::string text = "# fish completion for " + std::string(ProgramName()) + "\n";
  for (const OptionSpec& option : OptionTable()) text += FishLine(option);
  return text;
}

}  // namespace vantrel::cli
