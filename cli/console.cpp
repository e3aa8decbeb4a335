#include "cli/console.h"

#include <iostream>

namespace vantrel::cli {
namespace {

os::StdStream StreamOf(Channel channel) {
  return channel == Channel::kOutput ? os::StdStream::kOutput : os::StdStream::kError;
}

}  // namespace

bool SystemConsole::IsTerminal(Channel channel) { return os::IsTerminal(StreamOf(channel)); }

bool SystemConsole::InputIsTerminal() { return os::IsTerminal(os::StdStream::kInput); }

os::WriteResult SystemConsole::Write(Channel channel, std::string_view text) {
  return os::WriteText(StreamOf(channel), text);
}

std::optional<std::string> SystemConsole::ReadLine() {
  std::string line;
  if (!std::getline(std::cin, line)) return std::nullopt;
  if (!line.empty() && line.back() == '\r') line.pop_back();  // a CRLF line end
  return line;
}

}  // namespace vantrel::cli
