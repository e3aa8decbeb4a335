// What a run is asked to do, in bytes: prepared once at each edge (the dialog's Start, the
// command line's arguments) and shared by every file of a walk.
#pragma once

#include <optional>
#include <utility>

#include "engine/file_source.h"
#include "engine/hex_text.h"
#include "engine/pattern_finder.h"

namespace vantrel {

struct RunJob {
  RunJob(Bytes find, std::optional<Bytes> replace, bool ask_first = true)
      : finder(find), replacement(std::move(replace)), ask(ask_first) {}

  PatternFinder finder;  // the pattern to find, set up once
  // The bytes to write over each occurrence; nothing when there is nothing to write (the
  // dialog's replace box is empty). Present but empty writes no byte.
  std::optional<Bytes> replacement;
  bool ask = true;        // ask before each replacement ("替换时询问")
  SearchOptions search;   // how files are read
};

}  // namespace vantrel
