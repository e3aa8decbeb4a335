#include "cli/manual.h"

namespace vantrel::cli {
namespace {

constexpr std::string_view kUsage[] = {"[OPTIONS] PATH", "--restore[=SUFFIX] PATH", "--undo [JOURNAL]",
                                       "--recover [JOURNAL]"};

constexpr ManualNote kNotes[] = {
    {"HEX",
     "digits 0-9, A-F, a-f, and '?' for an unknown digit (a '?' was ignored before version 1.2); everything else "
     "is ignored."},
    {"TEXT", "read in the terminal's character set, then converted to the form asked for."},
    {"Patch lists",
     "one pair per line, FIND => REPLACE. Each side is hex (digits, '?' and blanks) or text written ascii:\"...\", "
     "utf8:\"...\" or unicode:\"...\" with the escapes \\\" \\\\ \\0 and \\xNN (a byte; in unicode:\"\" the "
     "character U+00NN). A text side gets no terminating zero unless it writes \\0; --codepage applies to ascii:. "
     "Blank lines and lines starting with '#' are left out. At each offset the earliest occurrence of any pair is "
     "taken; at a tie the pair listed first. Each result line ends with the pair's line number: "
     "PATH:0xOFFSET:LINE. A line that does not parse stops the run before anything is written."},
    {"Journal",
     "every run that writes keeps a journal in the state folder, one file per run named by its start time: "
     "before any byte of a file changes, the journal holds the file's old length, modification time and the old "
     "bytes of each region about to change, flushed to the disk. --undo puts a run's files back from it; after a "
     "crash or a kill, --recover puts back the files the run was in the middle of writing, and until then a run "
     "says so and leaves those files alone. When the journal cannot be written the file is not written."},
    {"Questions",
     "answer y, yes, n or no on a line; another line asks again, and the end of the input counts as no. When "
     "standard input is not a terminal, answers are read from it line by line."},
    {"Output",
     "each write of --yes and each occurrence of --dry-run is one line on standard output, PATH:0xOFFSET, with "
     "eight hex digits or more. --yes and --dry-run say nothing of a file without the pattern; a file that cannot "
     "be read or written is reported on standard error as \"PATH: reason\", and a walk goes on with the other "
     "files. The asking mode shows the dialog's messages. On a terminal, a run that takes over half a second "
     "shows its progress on one line."},
};

constexpr ManualExample kExamples[] = {
    {"$ -f \"6A 75 6D 70\" -r \"6E 6F 70 21\" game.exe",
     "ask before each \"jump\" in game.exe is overwritten with \"nop!\""},
    {"$ --find-ascii Trial --replace-ascii \"Full \" --no-whole-string -y a.exe",
     "replace every \"Trial\" in a.exe without asking"},
    {"$ --find-ascii 试用版 --replace-ascii 正式版 --codepage 936 -yb a.exe",
     "patch a GBK string from a UTF-8 terminal, keeping a copy in a.exe.bak"},
    {"$ -f \"E8 ?? ?? ?? ?? 85 C0\" -r \"90 ?? ?? ?? ?? 85 C0\" -y a.exe",
     "change the first byte of each such call, keeping the four behind it"},
    {"$ -p fr.patch -y a.exe", "apply every pair of the patch list fr.patch in one pass"},
    {"$ -f \"DE AD BE EF\" --dry-run -C 4 -g '*.bin' --max-depth 2 firmware/",
     "list DE AD BE EF with the bytes around it, in .bin files two levels deep"},
    {"$ -f \"DE AD BE EF\" -r \"00 00 00 00\" -y -b --stats firmware/ && $ --restore firmware/",
     "patch with backups, then put every file back as it was"},
    {"yes | $ -f 00FF -r FF00 --no-ask data.bin", "answer yes to every question from a pipe"},
    {"$ --undo", "put back every file of the newest run, as it was before the run"},
    {"$ --recover", "after a crash, put back the files the unfinished run was writing"},
};

constexpr ManualFile kFiles[] = {
    {"PATH.bak", "the copy --backup makes of a file before its first write (another suffix with --backup=SUFFIX); "
                 "--restore puts it back"},
    {"$XDG_STATE_HOME/vantrel/", "the state folder (~/.local/state/vantrel/ when XDG_STATE_HOME is not set): "
                                 "the journals of the runs that wrote files, one per run, named by its start "
                                 "time; %LOCALAPPDATA%\\Vantrel\\ on Windows"},
};

constexpr Manual kManual{
    .summary = "find a byte pattern in files and overwrite it in place",
    .usage = kUsage,
    .description =
        "Finds a byte pattern in a file, or in every file below a directory, and overwrites it in place. Nothing "
        "is inserted or removed: the replacement is written over the bytes found (and over those behind them "
        "when it is longer); a file grows only when a replacement reaches past its end.",
    .notes = kNotes,
    .exit_status =
        "0 when the pattern was found at least once (written or not), or a backup was put back; 1 when it was "
        "found nowhere (no backup was found); 2 on a usage error or when a file could not be read or written. "
        "--undo and --recover: 0 when every file went back, 1 when there was nothing to put back, 2 when a file "
        "was left alone or could not be put back. An interrupted run: 130 (SIGINT), 143 (SIGTERM), 129 (SIGHUP).",
    .examples = kExamples,
    .files = kFiles,
    .see_also = "cmp(1), iconv(1), od(1)",
};

}  // namespace

const Manual& TheManual() { return kManual; }

}  // namespace vantrel::cli
