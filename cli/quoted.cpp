#include "cli/quoted.h"

#include <cstdio>

namespace vantrel::cli {

std::string Quoted(std::string_view text) {
  std::string quoted = "'";
  for (char ch : text) {
    const auto byte = static_cast<unsigned char>(ch);
    if (ch == '\n') {
      quoted += "\\n";
    } else if (ch == '\t') {
      quoted += "\\t";
    } else if (byte < 0x20 || byte == 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", byte);
      quoted += escape;
    } else {
      quoted.push_back(ch);
    }
  }
  return quoted + "'";
}

}  // namespace vantrel::cli
