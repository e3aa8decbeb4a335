// The program's standard streams as the modes use them, behind an interface so that the
// modes can be tried without a terminal. SystemConsole is the real one.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/std_streams.h"

namespace vantrel::cli {

enum class Channel { kOutput, kError };

class Console {
 public:
  virtual ~Console() = default;

  virtual bool IsTerminal(Channel channel) = 0;
  virtual bool InputIsTerminal() = 0;
  // Writes UTF-8 text as it is; no line end is added.
  virtual os::WriteResult Write(Channel channel, std::string_view text) = 0;
  // The next line of standard input without its line end; nothing at the end of the input.
  virtual std::optional<std::string> ReadLine() = 0;
};

class SystemConsole : public Console {
 public:
  bool IsTerminal(Channel channel) override;
  bool InputIsTerminal() override;
  os::WriteResult Write(Channel channel, std::string_view text) override;
  std::optional<std::string> ReadLine() override;
};

}  // namespace vantrel::cli
