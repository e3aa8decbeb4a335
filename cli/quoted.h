// A user's text inside a message: in single quotes, with control characters written as
// escapes, so a message stays one line whatever the user typed.
#pragma once

#include <string>
#include <string_view>

namespace vantrel::cli {

std::string Quoted(std::string_view text);

}  // namespace vantrel::cli
