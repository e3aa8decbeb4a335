// Every option of the command line, once. The parser reads its names from this table, and
// --help, the man page and the shell completions are written from it, so a new option is in
// all of them or in none: add a row here and a case where the parser chooses.
#pragma once

#include <span>
#include <string_view>

namespace vantrel::cli {

enum class OptionId {
  kFindHex, kFindAscii, kFindUtf8, kFindUnicode,
  kReplaceHex, kReplaceAscii, kReplaceUtf8, kReplaceUnicode,
  kPatch, kDir, kFollow, kNoWholeString, kNoAsk, kYes, kDryRun, kBackup, kCodepage, kThreads,
  kGlob, kMaxDepth, kContext, kStats, kJson, kNull, kRestore, kKeepMtime, kHelp, kVersion,
  kJournal, kNoJournal, kUndo, kRecover,
};

// A value is given "--name VALUE" or "--name=VALUE"; an optional one only attached
// ("--backup=.orig", "-b.orig"), so that the next word stays the PATH.
enum class Takes { kNothing, kValue, kOptionalValue };

// What a value is, for the shell completions.
enum class ValueKind {
  kNone,      // no value
  kFile,      // a file name: complete file names
  kCodePage,  // a code page: offer the common ones
  kWord,      // anything else (hex, text, a number, a glob): nothing to offer
};

// The groups --help and the man page show the options in, in this order.
enum class OptionGroup { kPattern, kAction, kFiles, kShow };

struct OptionSpec {
  OptionId id;
  char short_name;              // 0 for none
  std::string_view long_name;   // without the dashes
  Takes takes;
  std::string_view value_name;  // "HEX", "SUFFIX"; empty when it takes none
  ValueKind value_kind;
  OptionGroup group;
  std::string_view summary;     // a few words, for the completion menus
  std::string_view help;        // the whole description, one paragraph
};

struct OptionGroupSpec {
  OptionGroup group;
  std::string_view title;  // as --help shows it, "Which files (a walk)"
};

// Every option, in the order of the manual.
std::span<const OptionSpec> OptionTable();

// Every group, in the order of the manual.
std::span<const OptionGroupSpec> OptionGroups();

// The option of a long name (without "--") or a short letter, or nullptr.
const OptionSpec* FindLongOption(std::string_view name);
const OptionSpec* FindShortOption(char name);

// The code pages the completions offer for --codepage.
std::span<const std::string_view> CommonCodePages();

}  // namespace vantrel::cli
