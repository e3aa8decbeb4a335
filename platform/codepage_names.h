// The names a code page goes by, shared by both platforms: the user may say "GBK" or "936",
// Windows wants the number and iconv wants a name it knows.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vantrel::os {

// The number of a code page named by a number or a known name (case and '-'/'_' ignored).
std::optional<unsigned> CodePageNumber(std::string_view name_or_number);

// The name iconv knows the code page by ("CP936", "UTF-8", ...).
std::string IconvName(unsigned number);

}  // namespace vantrel::os
