// A Console for tests: what was written to each channel, answers from a script, and which
// streams pretend to be terminals or closed pipes.
#pragma once

#include <deque>
#include <string>

#include "cli/console.h"

namespace vantrel::testing {

class FakeConsole : public cli::Console {
 public:
  bool output_terminal = false;
  bool error_terminal = false;
  bool input_terminal = false;
  os::WriteStatus output_status = os::WriteStatus::kDone;  // what writes to stdout give
  std::deque<std::string> input;                                       // lines; then the end
  std::string out;
  std::string err;

  bool IsTerminal(cli::Channel channel) override {
    return channel == cli::Channel::kOutput ? output_terminal : error_terminal;
  }
  bool InputIsTerminal() override { return input_terminal; }
  os::WriteResult Write(cli::Channel channel, std::string_view text) override {
    if (channel == cli::Channel::kError) {
      err += text;
      return {};
    }
    if (output_status != os::WriteStatus::kDone) return {output_status, {28, "No space left on device"}};
    out += text;
    return {};
  }
  std::optional<std::string> ReadLine() override {
    if (input.empty()) return std::nullopt;
    std::string line = input.front();
    input.pop_front();
    return line;
  }
};

}  // namespace vantrel::testing
