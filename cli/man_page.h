// The manual as a roff man page (man(7) macros), written from the option table and the
// manual's prose, so that `man vantrel` and --help cannot tell different stories.
#pragma once

#include <string>
#include <string_view>

namespace vantrel::cli {

// date: the page's date, "2026-12-09".
std::string ManPage(std::string_view date);

}  // namespace vantrel::cli
