#include "cli/option_table.h"

#include <iterator>

namespace vantrel::cli {
namespace {

using enum OptionId;
using enum OptionGroup;

constexpr OptionSpec kOptions[] = {
    {kFindHex, 'f', "find-hex", Takes::kValue, "HEX", ValueKind::kWord, kPattern, "the pattern as hex digits",
     "the pattern as hex digits: \"4A 6B 00\", \"4a6b00\" and \"4A-6B-00\" are the same three bytes; '?' stands for "
     "any value of one digit: \"E8 ?? ?? ?? ?? 85 C0\""},
    {kFindAscii, 0, "find-ascii", Takes::kValue, "TEXT", ValueKind::kWord, kPattern,
     "the pattern as ANSI text", "the pattern as text in the ANSI code page"},
    {kFindUtf8, 0, "find-utf8", Takes::kValue, "TEXT", ValueKind::kWord, kPattern, "the pattern as UTF-8 text",
     "the pattern as UTF-8 text"},
    {kFindUnicode, 0, "find-unicode", Takes::kValue, "TEXT", ValueKind::kWord, kPattern,
     "the pattern as UTF-16LE text", "the pattern as UTF-16LE text"},
    {kReplaceHex, 'r', "replace-hex", Takes::kValue, "HEX", ValueKind::kWord, kPattern,
     "the replacement as hex digits",
     "the replacement as hex digits; '?' keeps the file's digit there (only over the bytes of the match)"},
    {kReplaceAscii, 0, "replace-ascii", Takes::kValue, "TEXT", ValueKind::kWord, kPattern,
     "the replacement as ANSI text", "the replacement as text in the ANSI code page"},
    {kReplaceUtf8, 0, "replace-utf8", Takes::kValue, "TEXT", ValueKind::kWord, kPattern,
     "the replacement as UTF-8 text", "the replacement as UTF-8 text"},
    {kReplaceUnicode, 0, "replace-unicode", Takes::kValue, "TEXT", ValueKind::kWord, kPattern,
     "the replacement as UTF-16LE text", "the replacement as UTF-16LE text"},
    {kPatch, 'p', "patch", Takes::kValue, "FILE", ValueKind::kFile, kPattern, "a patch list of many pairs",
     "many pairs in one pass, one per line of FILE (see Patch lists); with --yes or --dry-run"},
    {kNoWholeString, 0, "no-whole-string", Takes::kNothing, "", ValueKind::kNone, kPattern,
     "no terminating zero after a TEXT",
     "do not end a TEXT with a terminating zero; by default it ends with 00 (ASCII, UTF-8) or 00 00 (UTF-16LE), "
     "as with \"完整字符串\" in the dialog"},
    {kCodepage, 0, "codepage", Takes::kValue, "CP", ValueKind::kCodePage, kPattern,
     "the ANSI code page of the ASCII forms",
     "the ANSI code page of the ASCII forms: a number (936, 1252) or a name (GBK, cp1252, latin1); default: the "
     "system's ANSI code page on Windows, the locale's character set elsewhere"},

    {kNoAsk, 0, "no-ask", Takes::kNothing, "", ValueKind::kNone, kAction, "write without asking first",
     "write without asking first; still ask to go on"},
    {kYes, 'y', "yes", Takes::kNothing, "", ValueKind::kNone, kAction, "replace every occurrence without asking",
     "replace every occurrence without asking, in one forward pass over each file; the search goes on behind the "
     "longer of pattern and replacement, so it ends even when the replacement holds the pattern"},
    {kDryRun, 'n', "dry-run", Takes::kNothing, "", ValueKind::kNone, kAction, "list every occurrence, write nothing",
     "list every occurrence (all that do not overlap); write nothing"},
    {kBackup, 'b', "backup", Takes::kOptionalValue, "SUFFIX", ValueKind::kWord, kAction,
     "copy each file before its first write",
     "before the first write to a file, copy it to PATH+SUFFIX (default .bak), with its modification time: "
     "written under a temporary name, flushed, then renamed, so a backup is whole or absent, and recorded in the "
     "run's journal; an existing backup is never overwritten, and its file is then not written"},
    {kKeepMtime, 0, "keep-mtime", Takes::kNothing, "", ValueKind::kNone, kAction,
     "keep the modification times of written files",
     "give each written file back the modification time it had before the run"},
    {kRestore, 0, "restore", Takes::kOptionalValue, "SUFFIX", ValueKind::kWord, kAction,
     "put the backups of a run back",
     "undo a run with --backup: put every backup below PATH (default suffix .bak) that a journal records as made "
     "for its file, and that is still whole, back in place of its file, with its bytes, length and modification "
     "time, remove it, and list the files put back; any other file with the suffix is left alone with the reason, "
     "and nothing is read or written through a link. It walks as a run does (-g, --max-depth, -j), writes under "
     "the run's journal (--undo undoes it) and reports as a run does (--stats, --json)"},
    {kJournal, 0, "journal", Takes::kValue, "FILE", ValueKind::kFile, kAction, "keep the run's journal in FILE",
     "keep the run's journal in FILE (a new file) instead of the state folder"},
    {kNoJournal, 0, "no-journal", Takes::kNothing, "", ValueKind::kNone, kAction, "write without a journal",
     "write without a journal: a crash can then leave a file half written, and the run cannot be undone"},
    {kUndo, 0, "undo", Takes::kNothing, "", ValueKind::kNone, kAction, "put every file of a run back",
     "put back every file of the run whose journal is given in place of PATH (default: the newest run's), newest "
     "write first: old bytes, old length, old modification time; a file that is no longer the same file or holds "
     "other bytes where the run wrote is left alone and reported; lists each file put back; a run is undone once"},
    {kRecover, 0, "recover", Takes::kNothing, "", ValueKind::kNone, kAction,
     "put back the files a crashed run was writing",
     "after a crash or a kill, put back every file the run whose journal is given in place of PATH (default: the "
     "newest unfinished run) was in the middle of writing; files it wrote in full stay; lists each file put back"},

    {kDir, 'd', "dir", Takes::kNothing, "", ValueKind::kNone, kFiles, "walk PATH as a directory tree",
     "walk PATH as a directory tree, every file at any depth (implied when PATH is a directory); links (symbolic "
     "links, junctions) are passed over, and so are pipes and devices; every folder and file is opened below PATH "
     "with no link followed, so a name swapped for a link meanwhile is not followed either. PATH itself may be a "
     "link: it is followed, as the user named it"},
    {kFollow, 'L', "follow", Takes::kNothing, "", ValueKind::kNone, kFiles, "follow links in a walk",
     "a walk follows links, to files and to folders; a folder reached again is not walked again, and a file "
     "reached again is not patched again"},
    {kGlob, 'g', "glob", Takes::kValue, "GLOB", ValueKind::kWord, kFiles, "take only files matching GLOB",
     "take only files whose path below PATH matches GLOB; '!GLOB' leaves them out; repeatable, a later glob wins. "
     "The rules are ripgrep's: '*' stays within a folder, '**' crosses folders, a glob without '/' matches the "
     "name at any depth, one ending in '/' folders only; a folder left out is not entered"},
    {kMaxDepth, 0, "max-depth", Takes::kValue, "N", ValueKind::kWord, kFiles, "walk no deeper than N",
     "walk no deeper than N: 1 takes the files directly in PATH, 0 nothing"},
    {kThreads, 'j', "threads", Takes::kValue, "N", ValueKind::kWord, kFiles, "walk with N threads",
     "walk with N threads reading and searching files (default: one per core, at most 64); the output, its order "
     "and the exit status are the same whatever N is; the asking mode runs one thread"},

    {kContext, 'C', "context", Takes::kValue, "N", ValueKind::kWord, kShow,
     "show N bytes around each occurrence",
     "with --dry-run, show N bytes before and after each occurrence in hex, the occurrence in brackets"},
    {kStats, 0, "stats", Takes::kNothing, "", ValueKind::kNone, kShow, "print the counts at the end",
     "at the end, on standard error: files searched, files with the pattern, occurrences, writes, bytes "
     "searched, files that failed, and the time; of --restore: backups found, put back, left alone and failed"},
    {kJson, 0, "json", Takes::kNothing, "", ValueKind::kNone, kShow, "write JSON Lines",
     "write JSON Lines instead of the text lines (with --yes, --dry-run or --restore): {\"type\":\"occurrence\"} and "
     "{\"type\":\"write\"} with data.path, data.offset, data.line (a patch list's), data.found (hex); "
     "{\"type\":\"error\"} with data.path and data.reason; and a closing {\"type\":\"summary\"} with the counts "
     "of --stats. With --restore: {\"type\":\"restore\"} with data.path and data.backup, {\"type\":\"warning\"} "
     "(a backup left alone) and {\"type\":\"error\"} with data.path and data.reason. A path that is not UTF-8 is "
     "written as {\"bytes\":\"BASE64\"}, else {\"text\":\"...\"}"},
    {kNull, '0', "null", Takes::kNothing, "", ValueKind::kNone, kShow, "end each path with a NUL byte",
     "end the path of each result line with a NUL byte instead of ':' (with --yes or --dry-run), so a script "
     "can take any name, one with a newline or a colon in it too"},
    {kHelp, 'h', "help", Takes::kNothing, "", ValueKind::kNone, kShow, "show the manual", "show this manual"},
    {kVersion, 0, "version", Takes::kNothing, "", ValueKind::kNone, kShow, "show the version",
     "show the version, the platform the program was built for and the search kernels it uses on this "
     "processor"},
};

constexpr OptionGroupSpec kGroups[] = {
    {kPattern, "Pattern (exactly one, or a patch list) and replacement (at most one)"},
    {kAction, "What to do (by default, ask before each replacement)"},
    {kFiles, "Which files (a walk)"},
    {kShow, "What to show"},
};

constexpr std::string_view kCodePages[] = {"936", "1252", "GBK", "cp1252", "latin1", "UTF-8", "cp932", "cp949",
                                           "cp950", "cp1251"};

}  // namespace

std::span<const OptionSpec> OptionTable() { return kOptions; }

std::span<const OptionGroupSpec> OptionGroups() { return kGroups; }

const OptionSpec* FindLongOption(std::string_view name) {
  for (const OptionSpec& option : kOptions) {
    if (option.long_name == name) return &option;
  }
  return nullptr;
}

const OptionSpec* FindShortOption(char name) {
  for (const OptionSpec& option : kOptions) {
    if (option.short_name != 0 && option.short_name == name) return &option;
  }
  return nullptr;
}

std::span<const std::string_view> CommonCodePages() { return kCodePages; }

}  // namespace vantrel::cli
