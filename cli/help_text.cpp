#include "cli/help_text.h"

#include <string>

namespace vantrel::cli {
namespace {

// $ stands for the program's name.
constexpr std::string_view kManual = R"(Usage: $ [OPTIONS] PATH
       $ --restore[=SUFFIX] PATH

Finds a byte pattern in a file, or in every file below a directory, and
overwrites it in place. Nothing is inserted or removed: the replacement is
written over the bytes found (and over those behind them when it is longer);
a file grows only when a replacement reaches past its end.

Pattern (exactly one, or a patch list) and replacement (at most one):
  -f, --find-hex HEX         the pattern as hex digits: "4A 6B 00", "4a6b00" and
                             "4A-6B-00" are the same three bytes; '?' stands for
                             any value of one digit: "E8 ?? ?? ?? ?? 85 C0"
      --find-ascii TEXT      the pattern as text in the ANSI code page
      --find-utf8 TEXT       the pattern as UTF-8 text
      --find-unicode TEXT    the pattern as UTF-16LE text
  -r, --replace-hex HEX      the replacement as hex digits; '?' keeps the file's
                             digit there (only over the bytes of the match)
      --replace-ascii TEXT   the replacement as text in the ANSI code page
      --replace-utf8 TEXT    the replacement as UTF-8 text
      --replace-unicode TEXT the replacement as UTF-16LE text
  -p, --patch FILE           many pairs in one pass, one per line of FILE (see
                             Patch lists); with --yes or --dry-run
      --no-whole-string      do not end a TEXT with a terminating zero; by
                             default it ends with 00 (ASCII, UTF-8) or 00 00
                             (UTF-16LE), as with "完整字符串" in the dialog
      --codepage CP          the ANSI code page of the ASCII forms: a number
                             (936, 1252) or a name (GBK, cp1252, latin1);
                             default: the system's ANSI code page on Windows,
                             the locale's character set elsewhere

What to do (by default, ask before each replacement):
      --no-ask               write without asking first; still ask to go on
  -y, --yes                  replace every occurrence without asking, in one
                             forward pass over each file; the search goes on
                             behind the longer of pattern and replacement, so
                             it ends even when the replacement holds the pattern
  -n, --dry-run              list every occurrence (all that do not overlap);
                             write nothing
  -b, --backup[=SUFFIX]      before the first write to a file, copy it to
                             PATH+SUFFIX (default .bak), with its modification
                             time; an existing backup is never overwritten, and
                             its file is then not written
      --keep-mtime           give each written file back the modification time
                             it had before the run
      --restore[=SUFFIX]     undo a run with --backup: put every backup below
                             PATH (default suffix .bak) back in place of its
                             file, with its bytes, length and modification time,
                             remove it, and list the files put back

Which files (a walk):
  -d, --dir                  walk PATH as a directory tree, every file at any
                             depth (implied when PATH is a directory); links
                             (symbolic links, junctions) are passed over, and
                             so are pipes and devices
  -L, --follow               a walk follows links, to files and to folders; a
                             folder reached again is not walked again, and a
                             file reached again is not patched again
  -g, --glob GLOB            take only files whose path below PATH matches GLOB;
                             '!GLOB' leaves them out; repeatable, a later glob
                             wins. The rules are ripgrep's: '*' stays within a
                             folder, '**' crosses folders, a glob without '/'
                             matches the name at any depth, one ending in '/'
                             folders only; a folder left out is not entered
      --max-depth N          walk no deeper than N: 1 takes the files directly
                             in PATH, 0 nothing
  -j, --threads N            walk with N threads reading and searching files
                             (default: one per core, at most 64); the output,
                             its order and the exit status are the same
                             whatever N is; the asking mode runs one thread

What to show:
  -C, --context N            with --dry-run, show N bytes before and after each
                             occurrence in hex, the occurrence in brackets
      --stats                at the end, on standard error: files searched,
                             files with the pattern, occurrences, writes, bytes
                             searched, files that failed, and the time
      --json                 write JSON Lines instead of the text lines (with
                             --yes or --dry-run): {"type":"occurrence"} and
                             {"type":"write"} with data.path, data.offset,
                             data.line (a patch list's), data.found (hex);
                             {"type":"error"} with data.path and data.reason;
                             and a closing {"type":"summary"} with the counts of
                             --stats. A path that is not UTF-8 is written as
                             {"bytes":"BASE64"}, else {"text":"..."}
  -h, --help                 show this manual
      --version              show the version

HEX: digits 0-9, A-F, a-f, and '?' for an unknown digit (a '?' was ignored
before version 1.2); everything else is ignored. TEXT: read in the terminal's
character set, then converted to the form asked for.

Patch lists: one pair per line, FIND => REPLACE. Each side is hex (digits, '?'
and blanks) or text written ascii:"...", utf8:"..." or unicode:"..." with the
escapes \" \\ \0 and \xNN (a byte; in unicode:"" the character U+00NN). A text
side gets no terminating zero unless it writes \0; --codepage applies to
ascii:. Blank lines and lines starting with '#' are left out. At each offset
the earliest occurrence of any pair is taken; at a tie the pair listed first.
Each result line ends with the pair's line number: PATH:0xOFFSET:LINE. A line
that does not parse stops the run before anything is written.

Questions: answer y, yes, n or no on a line; another line asks again, and the
end of the input counts as no. When standard input is not a terminal, answers
are read from it line by line.

Output: each write of --yes and each occurrence of --dry-run is one line on
standard output, PATH:0xOFFSET, with eight hex digits or more. --yes and
--dry-run say nothing of a file without the pattern; a file that cannot be read
or written is reported on standard error as "PATH: reason", and a walk goes on
with the other files. The asking mode shows the dialog's messages. On a
terminal, a run that takes over half a second shows its progress on one line.

Exit status: 0 when the pattern was found at least once (written or not), or a
backup was put back; 1 when it was found nowhere (no backup was found); 2 on a
usage error or when a file could not be read or written.

Examples:
  $ -f "6A 75 6D 70" -r "6E 6F 70 21" game.exe
      ask before each "jump" in game.exe is overwritten with "nop!"
  $ --find-ascii Trial --replace-ascii "Full " --no-whole-string -y a.exe
      replace every "Trial" in a.exe without asking
  $ --find-ascii 试用版 --replace-ascii 正式版 --codepage 936 -yb a.exe
      patch a GBK string from a UTF-8 terminal, keeping a copy in a.exe.bak
  $ -f "E8 ?? ?? ?? ?? 85 C0" -r "90 ?? ?? ?? ?? 85 C0" -y a.exe
      change the first byte of each such call, keeping the four behind it
  $ -p fr.patch -y a.exe
      apply every pair of the patch list fr.patch in one pass
  $ -f "DE AD BE EF" --dry-run -C 4 -g '*.bin' --max-depth 2 firmware/
      list DE AD BE EF with the bytes around it, in .bin files two levels deep
  $ -f "DE AD BE EF" -r "00 00 00 00" -y -b --stats firmware/ && $ --restore firmware/
      patch with backups, then put every file back as it was
  yes | $ -f 00FF -r FF00 --no-ask data.bin
      answer yes to every question from a pipe
)";

constexpr std::string_view kName = VANTREL_PROGRAM_NAME;

}  // namespace

std::string_view ProgramName() { return kName; }

std::string_view Version() { return VANTREL_VERSION; }

std::string HelpText() {
  std::string text;
  for (char ch : kManual) {
    if (ch == '$') {
      text += kName;
    } else {
      text += ch;
    }
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
