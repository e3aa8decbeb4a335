// The prose of the manual, apart from the options (those are in the option table): --help
// and the man page are both written from it. "$" in a text stands for the program's name.
#pragma once

#include <span>
#include <string_view>

namespace vantrel::cli {

// One titled part of the description: "Patch lists", then one paragraph.
struct ManualNote {
  std::string_view title;
  std::string_view text;
};

struct ManualExample {
  std::string_view command;  // "$ -p fr.patch -y a.exe"
  std::string_view what;     // what it does, one sentence
};

// A file or folder the program reads or writes besides its arguments.
struct ManualFile {
  std::string_view path;
  std::string_view what;
};

struct Manual {
  std::string_view summary;               // the NAME line: what the program is, a few words
  std::span<const std::string_view> usage;  // the forms of a call, after the program's name
  std::string_view description;           // the opening paragraph
  std::span<const ManualNote> notes;      // the forms of values, patch lists, questions, output
  std::string_view exit_status;
  std::span<const ManualExample> examples;
  std::span<const ManualFile> files;
  std::string_view see_also;              // "cmp(1), iconv(1)"
};

const Manual& TheManual();

}  // namespace vantrel::cli
