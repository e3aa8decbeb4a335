// Options are read the way getopt_long reads them: "-f HEX", "-fHEX", "--find-hex HEX",
// "--find-hex=HEX", clusters of short flags ("-yd"), "--" before a PATH that starts with '-'.
// An optional value (--backup) must be attached: "-b.orig", "--backup=.orig".
#include "cli/command_line.h"
#include "cli/quoted.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>
#include <vector>

#include "cli/option_table.h"
#include "platform/argument_path.h"
#include "cli/patch_list.h"
#include "cli/pattern_argument.h"
#include "glob/glob_set.h"

namespace vantrel::cli {
namespace {

// The parser's names for the options; the table holds their spellings.
using Id = OptionId;

constexpr std::string_view kDefaultBackupSuffix = ".bak";

struct Given {
  Id id;
  std::string spelled;  // "-f", "--find-hex": as the user wrote the option
  std::optional<std::string> value;
};

struct Tokens {
  std::vector<Given> options;
  std::vector<std::string> paths;
};


constexpr std::size_t kMaxThreads = 64;
constexpr std::size_t kMaxContext = 4096;

std::size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// The long option the user most likely meant: the only one the name begins, or one a
// couple of typing slips away.
std::optional<std::string_view> Suggest(std::string_view name) {
  std::vector<std::string_view> extending;
  for (const OptionSpec& option : OptionTable()) {
    if (!name.empty() && option.long_name.substr(0, name.size()) == name) extending.push_back(option.long_name);
  }
  if (extending.size() == 1) return extending.front();
  const OptionSpec* nearest = nullptr;
  std::size_t best = 3;
  for (const OptionSpec& option : OptionTable()) {
    const std::size_t distance = EditDistance(name, option.long_name);
    if (distance < best) best = distance, nearest = &option;
  }
  if (nearest == nullptr) return std::nullopt;
  return nearest->long_name;
}

UsageError UnknownLong(std::string_view name) {
  std::string message = "unknown option " + Quoted("--" + std::string(name));
  if (auto meant = Suggest(name)) message += "; did you mean " + Quoted("--" + std::string(*meant)) + "?";
  return {message};
}

UsageError MissingValue(std::string_view spelled) {
  return {"option " + Quoted(spelled) + " needs a value"};
}

// One "--name[=value]" argument; may take the next argument as its value.
std::optional<UsageError> ReadLong(std::span<const std::string> args, std::size_t& i, Tokens& tokens) {
  const std::string_view body = std::string_view(args[i]).substr(2);
  const std::size_t equals = body.find('=');
  const std::string_view name = body.substr(0, equals);
  const OptionSpec* option = FindLongOption(name);
  if (option == nullptr) return UnknownLong(name);
  Given given{option->id, "--" + std::string(name), std::nullopt};
  if (equals != std::string_view::npos) {
    if (option->takes == Takes::kNothing) return UsageError{"option " + Quoted(given.spelled) + " takes no value"};
    given.value = std::string(body.substr(equals + 1));
  } else if (option->takes == Takes::kValue) {
    if (i + 1 >= args.size()) return MissingValue(given.spelled);
    given.value = args[++i];
  }
  tokens.options.push_back(std::move(given));
  return std::nullopt;
}

// One "-abc" cluster of short options; the last may take the rest or the next argument.
std::optional<UsageError> ReadShort(std::span<const std::string> args, std::size_t& i, Tokens& tokens) {
  const std::string_view cluster = std::string_view(args[i]).substr(1);
  for (std::size_t k = 0; k < cluster.size(); ++k) {
    const OptionSpec* option = FindShortOption(cluster[k]);
    if (option == nullptr) return UsageError{"unknown option " + Quoted(std::string("-") + cluster[k])};
    Given given{option->id, std::string("-") + cluster[k], std::nullopt};
    const std::string_view rest = cluster.substr(k + 1);
    if (option->takes == Takes::kValue) {
      if (!rest.empty()) {
        given.value = std::string(rest);
      } else if (i + 1 < args.size()) {
        given.value = args[++i];
      } else {
        return MissingValue(given.spelled);
      }
      tokens.options.push_back(std::move(given));
      return std::nullopt;
    }
    if (option->takes == Takes::kOptionalValue && !rest.empty()) {
      given.value = std::string(rest);
      tokens.options.push_back(std::move(given));
      return std::nullopt;
    }
    tokens.options.push_back(std::move(given));
  }
  return std::nullopt;
}

std::variant<Tokens, UsageError> Tokenize(std::span<const std::string> args) {
  Tokens tokens;
  bool options_ended = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::optional<UsageError> error;
    if (options_ended || arg.size() < 2 || arg[0] != '-') {
      tokens.paths.push_back(arg);
    } else if (arg == "--") {
      options_ended = true;
    } else if (arg[1] == '-') {
      error = ReadLong(args, i, tokens);
    } else {
      error = ReadShort(args, i, tokens);
    }
    if (error) return *error;
  }
  return tokens;
}

PatternForm FormOf(Id id) {
  switch (id) {
    case Id::kFindAscii:
    case Id::kReplaceAscii: return PatternForm::kAnsi;
    case Id::kFindUtf8:
    case Id::kReplaceUtf8: return PatternForm::kUtf8;
    case Id::kFindUnicode:
    case Id::kReplaceUnicode: return PatternForm::kUtf16Le;
    default: return PatternForm::kHex;
  }
}

// The options of a run once each has been seen, before their values are interpreted.
struct Chosen {
  const Given* find = nullptr;
  const Given* replace = nullptr;
  const Given* patch = nullptr;
  const Given* codepage = nullptr;
  const Given* threads = nullptr;
  const Given* backup = nullptr;
  const Given* yes = nullptr;
  const Given* dry_run = nullptr;
  const Given* max_depth = nullptr;
  const Given* context = nullptr;
  const Given* restore = nullptr;
  const Given* json = nullptr;
  const Given* null = nullptr;
  const Given* stats = nullptr;
  const Given* keep_mtime = nullptr;
  const Given* journal = nullptr;
  const Given* no_journal = nullptr;
  const Given* journal_command = nullptr;  // --undo or --recover
  std::vector<const Given*> globs;
  bool directory = false;
  bool follow_links = false;
  bool whole_string = true;
  bool ask = true;
};

std::optional<UsageError> Once(const Given*& slot, const Given& given, std::string_view what) {
  if (slot != nullptr) {
    return UsageError{std::string(what) + " given twice (" + slot->spelled + " and " + given.spelled + ")"};
  }
  slot = &given;
  return std::nullopt;
}

std::variant<Chosen, UsageError> Choose(const std::vector<Given>& options) {
  Chosen chosen;
  for (const Given& given : options) {
    std::optional<UsageError> error;
    switch (given.id) {
      case Id::kFindHex:
      case Id::kFindAscii:
      case Id::kFindUtf8:
      case Id::kFindUnicode: error = Once(chosen.find, given, "the pattern to find is"); break;
      case Id::kReplaceHex:
      case Id::kReplaceAscii:
      case Id::kReplaceUtf8:
      case Id::kReplaceUnicode: error = Once(chosen.replace, given, "the replacement is"); break;
      case Id::kPatch: error = Once(chosen.patch, given, "--patch is"); break;
      case Id::kCodepage: error = Once(chosen.codepage, given, "--codepage is"); break;
      case Id::kThreads: error = Once(chosen.threads, given, "--threads is"); break;
      case Id::kBackup: error = Once(chosen.backup, given, "--backup is"); break;
      case Id::kMaxDepth: error = Once(chosen.max_depth, given, "--max-depth is"); break;
      case Id::kContext: error = Once(chosen.context, given, "--context is"); break;
      case Id::kRestore: error = Once(chosen.restore, given, "--restore is"); break;
      case Id::kYes: chosen.yes = &given; break;
      case Id::kDryRun: chosen.dry_run = &given; break;
      case Id::kJson: chosen.json = &given; break;
      case Id::kNull: chosen.null = &given; break;
      case Id::kStats: chosen.stats = &given; break;
      case Id::kKeepMtime: chosen.keep_mtime = &given; break;
      case Id::kJournal: error = Once(chosen.journal, given, "--journal is"); break;
      case Id::kNoJournal: chosen.no_journal = &given; break;
      case Id::kUndo:
      case Id::kRecover: error = Once(chosen.journal_command, given, "the action on a journal is"); break;
      case Id::kGlob: chosen.globs.push_back(&given); break;
      case Id::kDir: chosen.directory = true; break;
      case Id::kFollow: chosen.follow_links = true; break;
      case Id::kNoWholeString: chosen.whole_string = false; break;
      case Id::kNoAsk: chosen.ask = false; break;
      case Id::kHelp:
      case Id::kVersion: break;
    }
    if (error) return *error;
  }
  return chosen;
}

// --restore puts backups back: none of the options of a search goes with it, only those of
// a walk and its report (-g, --max-depth, -L, -j, --stats, --json, the journal's).
std::optional<UsageError> CheckRestore(const Chosen& chosen) {
  for (const Given* other : {chosen.find, chosen.replace, chosen.patch, chosen.yes, chosen.dry_run, chosen.backup,
                             chosen.context, chosen.null, chosen.keep_mtime}) {
    if (other != nullptr) {
      return UsageError{chosen.restore->spelled + " puts the backups of an earlier run back; it takes no " + other->spelled};
    }
  }
  if (chosen.restore->value && chosen.restore->value->empty()) {
    return UsageError{"the backup suffix is empty: the backup would be the file itself"};
  }
  return std::nullopt;
}

// --undo and --recover work from a journal: no option of a search goes with them, and the
// journal, when named, stands in place of PATH.
std::optional<UsageError> CheckJournalCommand(const Chosen& chosen, const std::vector<std::string>& paths) {
  for (const Given* other : {chosen.find, chosen.replace, chosen.patch, chosen.yes, chosen.dry_run, chosen.backup,
                             chosen.context, chosen.json, chosen.keep_mtime, chosen.restore, chosen.journal,
                             chosen.no_journal}) {
    if (other != nullptr) {
      return UsageError{chosen.journal_command->spelled + " works from a run's journal; it takes no " + other->spelled};
    }
  }
  if (paths.size() > 1) {
    return UsageError{chosen.journal_command->spelled + " takes one journal, not " + std::to_string(paths.size())};
  }
  if (!paths.empty() && paths.front().empty()) return UsageError{"the journal's name is empty"};
  return std::nullopt;
}

std::optional<UsageError> CheckSearch(const Chosen& chosen) {
  if (chosen.journal != nullptr && chosen.no_journal != nullptr) {
    return UsageError{chosen.journal->spelled + " and " + chosen.no_journal->spelled + " exclude each other"};
  }
  if (chosen.journal != nullptr && chosen.journal->value->empty()) return UsageError{"the journal's name is empty"};
  if (chosen.patch != nullptr && (chosen.find != nullptr || chosen.replace != nullptr)) {
    const Given* other = chosen.find != nullptr ? chosen.find : chosen.replace;
    return UsageError{chosen.patch->spelled + " and " + other->spelled +
                      " exclude each other: the patch list holds the patterns and their replacements"};
  }
  if (chosen.find == nullptr && chosen.patch == nullptr) {
    return UsageError{"nothing to find: give the pattern with -f HEX, --find-ascii TEXT, --find-utf8 TEXT or "
                      "--find-unicode TEXT, or a patch list with -p FILE"};
  }
  if (chosen.yes != nullptr && chosen.dry_run != nullptr) {
    return UsageError{chosen.yes->spelled + " and " + chosen.dry_run->spelled + " exclude each other"};
  }
  if (chosen.yes != nullptr && chosen.find != nullptr && chosen.replace == nullptr) {
    return UsageError{chosen.yes->spelled + " needs a replacement (-r HEX, --replace-ascii TEXT, ...); " +
                      "to list the occurrences use --dry-run"};
  }
  const bool batch = chosen.yes != nullptr || chosen.dry_run != nullptr;
  for (const Given* batch_only : {chosen.patch, chosen.json, chosen.null}) {
    if (batch_only != nullptr && !batch) return UsageError{batch_only->spelled + " works with --yes or --dry-run"};
  }
  if (chosen.null != nullptr && chosen.json != nullptr) {
    return UsageError{chosen.null->spelled + " ends the paths of the text lines, and " + chosen.json->spelled +
                      " writes none: give one of them"};
  }
  if (chosen.context != nullptr && chosen.dry_run == nullptr) {
    return UsageError{chosen.context->spelled + " shows the bytes around each occurrence before anything is written: " +
                      "it works with --dry-run"};
  }
  if (chosen.backup != nullptr && chosen.backup->value && chosen.backup->value->empty()) {
    return UsageError{"the backup suffix is empty: the backup would be the file itself"};
  }
  return std::nullopt;
}

std::optional<UsageError> CheckPaths(const std::vector<std::string>& paths) {
  if (paths.empty()) return UsageError{"no PATH given: name the file, or the directory to walk"};
  if (paths.size() > 1) {
    return UsageError{"more than one PATH (" + Quoted(paths[0]) + ", " + Quoted(paths[1]) +
                      "): give one file, or one directory to walk"};
  }
  if (paths.front().empty()) return UsageError{"the PATH is empty: name the file, or the directory to walk"};
  return std::nullopt;
}

std::optional<UsageError> CheckChoice(const Chosen& chosen, const std::vector<std::string>& paths) {
  if (chosen.journal_command != nullptr) return CheckJournalCommand(chosen, paths);
  std::optional<UsageError> error = chosen.restore != nullptr ? CheckRestore(chosen) : CheckSearch(chosen);
  return error ? error : CheckPaths(paths);
}

std::variant<MaskedPattern, UsageError> Convert(const Given& given, const TextEncoding& encoding,
                                                std::vector<std::string>& warnings) {
  auto converted = ConvertPattern({FormOf(given.id), given.value.value_or(""), given.spelled}, encoding);
  if (auto* problem = std::get_if<std::string>(&converted)) return UsageError{*problem};
  PatternValue& value = std::get<PatternValue>(converted);
  if (!value.warning.empty()) warnings.push_back(value.warning);
  return std::move(value.pattern);
}

// A whole number from 0 to `most`, or nothing.
std::optional<std::size_t> ParseCount(std::string_view text, std::size_t most) {
  std::size_t count = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || count > most) return std::nullopt;
  return count;
}

// The numbers and lists of a run: threads, depth, context and globs.
std::optional<UsageError> DescribeWalk(const Chosen& chosen, RunDescription& run) {
  if (chosen.threads != nullptr) {
    const std::optional<std::size_t> threads = ParseCount(*chosen.threads->value, kMaxThreads);
    if (!threads || *threads == 0) {
      return UsageError{chosen.threads->spelled + " needs a number of threads from 1 to " + std::to_string(kMaxThreads) +
                        ", not " + Quoted(*chosen.threads->value)};
    }
    run.threads = static_cast<unsigned>(*threads);
  }
  if (chosen.max_depth != nullptr) {
    run.max_depth = ParseCount(*chosen.max_depth->value, std::numeric_limits<std::size_t>::max() / 2);
    if (!run.max_depth) {
      return UsageError{chosen.max_depth->spelled + " needs a whole number, 0 or more, not " +
                        Quoted(*chosen.max_depth->value)};
    }
  }
  if (chosen.context != nullptr) {
    const std::optional<std::size_t> context = ParseCount(*chosen.context->value, kMaxContext);
    if (!context) {
      return UsageError{chosen.context->spelled + " needs a number of bytes from 0 to " + std::to_string(kMaxContext) +
                        ", not " + Quoted(*chosen.context->value)};
    }
    run.context = *context;
  }
  for (const Given* glob : chosen.globs) run.globs.push_back(*glob->value);
  if (auto globs = GlobSet::Build(run.globs); std::holds_alternative<GlobError>(globs)) {
    return UsageError{std::get<GlobError>(globs).message};
  }
  return std::nullopt;
}

// The patterns of a run given with -f and -r.
std::optional<UsageError> DescribePatterns(const Chosen& chosen, const TextEncoding& encoding, RunDescription& run) {
  auto find = Convert(*chosen.find, encoding, run.warnings);
  if (auto* error = std::get_if<UsageError>(&find)) return *error;
  run.find = std::get<MaskedPattern>(std::move(find));
  if (chosen.replace == nullptr) return std::nullopt;
  auto replacement = Convert(*chosen.replace, encoding, run.warnings);
  if (auto* error = std::get_if<UsageError>(&replacement)) return *error;
  run.replacement = std::get<MaskedPattern>(std::move(replacement));
  if (std::string problem = WildcardBeyondPattern(run.find, *run.replacement); !problem.empty()) {
    return UsageError{chosen.replace->spelled + " " + Quoted(*chosen.replace->value) + ": " + problem};
  }
  return std::nullopt;
}

Mode ModeOf(const Chosen& chosen) {
  if (chosen.journal_command != nullptr) return chosen.journal_command->id == Id::kUndo ? Mode::kUndo : Mode::kRecover;
  if (chosen.restore != nullptr) return Mode::kRestore;
  if (chosen.yes != nullptr) return Mode::kYes;
  if (chosen.dry_run != nullptr) return Mode::kDryRun;
  return Mode::kInteractive;
}

// --undo and --recover: the journal named, or none for the default one.
RunDescription DescribeJournalCommand(const Chosen& chosen, const std::vector<std::string>& paths) {
  RunDescription run;
  run.mode = ModeOf(chosen);
  if (!paths.empty()) run.path = os::PathFromArgument(paths.front());
  return run;
}

// The arguments as one line, for the journal's reader.
std::string CommandText(std::span<const std::string> args) {
  std::string text;
  for (const std::string& arg : args) text += (text.empty() ? "" : " ") + Quoted(arg);
  return text;
}

Command Describe(const Chosen& chosen, const std::string& path, const CommandLineSetting& setting) {
  TextEncoding encoding{setting.terminal, setting.default_ansi, chosen.whole_string};
  if (chosen.codepage != nullptr) {
    const std::optional<vantrel::os::CodePage> page = vantrel::os::FindCodePage(*chosen.codepage->value);
    if (!page) {
      return UsageError{"unknown code page " + Quoted(*chosen.codepage->value) +
                        " (give a number such as 936 or 1252, or a name such as GBK)"};
    }
    encoding.ansi = *page;
  }
  RunDescription run;
  run.mode = ModeOf(chosen);
  run.path = os::PathFromArgument(path);
  run.directory = chosen.directory;
  run.follow_links = chosen.follow_links;
  run.ask = chosen.ask;
  run.ansi = encoding.ansi;
  run.stats = chosen.stats != nullptr;
  run.json = chosen.json != nullptr;
  run.null = chosen.null != nullptr;
  run.keep_mtime = chosen.keep_mtime != nullptr;
  run.no_journal = chosen.no_journal != nullptr;
  if (chosen.journal != nullptr) run.journal_file = os::PathFromArgument(*chosen.journal->value);
  if (auto error = DescribeWalk(chosen, run)) return *error;
  if (chosen.patch != nullptr) run.patch_file = os::PathFromArgument(*chosen.patch->value);
  if (chosen.find != nullptr) {
    if (auto error = DescribePatterns(chosen, encoding, run)) return *error;
  }
  if (chosen.backup != nullptr) {
    run.backup_suffix = os::PathFromArgument(chosen.backup->value.value_or(std::string(kDefaultBackupSuffix)));
  }
  if (chosen.restore != nullptr) {
    run.restore_suffix = os::PathFromArgument(chosen.restore->value.value_or(std::string(kDefaultBackupSuffix)));
  }
  return run;
}

bool Asked(const Tokens& tokens, Id id) {
  return std::any_of(tokens.options.begin(), tokens.options.end(), [id](const Given& given) { return given.id == id; });
}

}  // namespace

Command ParseCommandLine(std::span<const std::string> args, const CommandLineSetting& setting) {
  auto tokenized = Tokenize(args);
  if (auto* error = std::get_if<UsageError>(&tokenized)) return *error;
  const Tokens& tokens = std::get<Tokens>(tokenized);
  if (Asked(tokens, Id::kHelp)) return ShowHelp{};
  if (Asked(tokens, Id::kVersion)) return ShowVersion{};
  auto chosen = Choose(tokens.options);
  if (auto* error = std::get_if<UsageError>(&chosen)) return *error;
  if (auto error = CheckChoice(std::get<Chosen>(chosen), tokens.paths)) return *error;
  if (std::get<Chosen>(chosen).journal_command != nullptr) return DescribeJournalCommand(std::get<Chosen>(chosen), tokens.paths);
  Command command = Describe(std::get<Chosen>(chosen), tokens.paths.front(), setting);
  if (auto* run = std::get_if<RunDescription>(&command)) run->command = CommandText(args);
  return command;
}

}  // namespace vantrel::cli
