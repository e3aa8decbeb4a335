// Where the command line keeps what outlives a run (its journals): the user's state folder,
// $XDG_STATE_HOME/vantrel (by default ~/.local/state/vantrel) on POSIX, %LOCALAPPDATA%\Vantrel
// on Windows. Made on first use, for its owner only.
#pragma once

#include <filesystem>

#include "platform/result.h"

namespace vantrel::os {

// The folder, without making it; an error when the environment names no home.
Result<std::filesystem::path> StateFolder();

// Makes the folder and its parents when they are missing.
Result<void> MakeStateFolder(const std::filesystem::path& folder);

}  // namespace vantrel::os
