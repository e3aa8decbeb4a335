// The manual in its four forms (--help, the man page, the bash, zsh and fish completions),
// all written from the option table: every option the parser takes must be in each of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/completions.h"
#include "cli/help_text.h"
#include "cli/man_page.h"
#include "cli/option_table.h"

namespace vantrel::cli {
namespace {

const CommandLineSetting kUtf8Terminal{vantrel::os::kUtf8, vantrel::os::kUtf8};

// The option given on an otherwise sound command line, with a value it accepts.
std::vector<std::string> CommandWith(const OptionSpec& option) {
  std::vector<std::string> args{"--" + std::string(option.long_name)};
  if (option.takes == Takes::kValue) {
    args.emplace_back(option.value_kind == ValueKind::kCodePage ? "1252" : "1");
  }
  args.insert(args.end(), {"a.bin"});
  return args;
}

bool ParserTakes(const std::vector<std::string>& args) {
  const Command command = ParseCommandLine(args, kUtf8Terminal);
  const auto* error = std::get_if<UsageError>(&command);
  return error == nullptr || !error->message.starts_with("unknown option");
}

std::string RoffName(std::string_view name) {
  std::string out;
  for (char ch : name) out += ch == '-' ? std::string("\\-") : std::string(1, ch);
  return out;
}

TEST(ManualTest, EveryOptionTheParserTakesIsInTheHelpTheManPageAndEachCompletion) {
  EXPECT_FALSE(ParserTakes({"--no-such-option", "a.bin"}));  // the check below can fail
  const std::string help = HelpText();
  const std::string man = ManPage("2026-12-09");
  const std::string bash = BashCompletion();
  const std::string zsh = ZshCompletion();
  const std::string fish = FishCompletion();
  for (const OptionSpec& option : OptionTable()) {
    const std::string name(option.long_name);
    EXPECT_TRUE(ParserTakes(CommandWith(option))) << name;
    EXPECT_NE(help.find("--" + name), std::string::npos) << name;
    EXPECT_NE(man.find("\\fB\\-\\-" + RoffName(name) + "\\fR"), std::string::npos) << name;
    EXPECT_TRUE(bash.find(" --" + name + " ") != std::string::npos || bash.find(" --" + name + "\"") != std::string::npos)
        << name;
    EXPECT_NE(zsh.find("--" + name), std::string::npos) << name;
    EXPECT_NE(fish.find(" -l " + name + " "), std::string::npos) << name;
    if (option.short_name == 0) continue;
    const std::string letter(1, option.short_name);
    EXPECT_TRUE(ParserTakes({"-" + letter, "1", "a.bin"})) << letter;
    EXPECT_NE(help.find("-" + letter + ", --" + name), std::string::npos) << letter;
    EXPECT_NE(man.find("\\fB\\-" + letter + "\\fR, \\fB\\-\\-" + RoffName(name)), std::string::npos) << letter;
    EXPECT_NE(bash.find(" -" + letter + " "), std::string::npos) << letter;
    const std::string zsh_short = option.takes == Takes::kOptionalValue ? "'-" + letter + "-["  // only attached
                                                                        : "{-" + letter + ",--" + name + "}";
    EXPECT_NE(zsh.find(zsh_short), std::string::npos) << letter;
    EXPECT_NE(fish.find(" -s " + letter + " -l " + name), std::string::npos) << letter;
  }
}

TEST(ManualTest, TheManPageHasTheUsualSectionsInOrderAndOnlyEscapedText) {
  const std::string man = ManPage("2026-12-09");
  EXPECT_TRUE(man.starts_with(".TH VANTREL 1 2026-12-09 \"vantrel ") || man.starts_with(".TH VANTREL-CLI 1 "))
      << man.substr(0, 60);
  std::size_t at = 0;
  for (const char* section : {".SH NAME\n", ".SH SYNOPSIS\n", ".SH DESCRIPTION\n", ".SH OPTIONS\n",
                              ".SH EXIT STATUS\n", ".SH EXAMPLES\n", ".SH FILES\n", ".SH SEE ALSO\n"}) {
    const std::size_t found = man.find(section, at);
    ASSERT_NE(found, std::string::npos) << section;
    at = found;
  }
  for (char ch : man) ASSERT_LT(static_cast<unsigned char>(ch), 0x80) << "a byte outside ASCII";
  // The dialog's Chinese label and the GBK example, as named characters.
  EXPECT_NE(man.find("\"\\[u5B8C]\\[u6574]\\[u5B57]\\[u7B26]\\[u4E32]\""), std::string::npos);
  // Quotes in an example stay: they are on a text line, not in a macro's arguments.
  EXPECT_NE(man.find("\\fB" + RoffName(ProgramName()) + " \\-f \"6A 75 6D 70\" \\-r \"6E 6F 70 21\" game.exe\\fR"),
            std::string::npos);
  std::string filled = man;  // as roff fills the source lines of a paragraph
  std::replace(filled.begin(), filled.end(), '\n', ' ');
  EXPECT_NE(filled.find("with the escapes \\e\" \\e\\e \\e0 and \\exNN"), std::string::npos);
  std::istringstream lines(man);
  for (std::string line; std::getline(lines, line);) {
    EXPECT_FALSE(line.starts_with("'")) << line;
    if (line.starts_with(".")) {
      const std::string macro = line.substr(0, line.find(' '));
      EXPECT_TRUE(macro == ".TH" || macro == ".SH" || macro == ".SS" || macro == ".TP" || macro == ".B" ||
                  macro == ".I" || macro == ".br")
          << line;
    }
  }
}

}  // namespace
}  // namespace vantrel::cli
