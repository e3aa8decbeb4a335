// Tab completion scripts for bash, zsh and fish, written from the option table: every option
// the parser takes is offered, with its value completed as what it is (a file, a code page).
#pragma once

#include <string>

namespace vantrel::cli {

std::string BashCompletion();
std::string ZshCompletion();
std::string FishCompletion();

}  // namespace vantrel::cli
