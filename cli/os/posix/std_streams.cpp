#include "cli/os/std_streams.h"

#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "engine/os/system_error.h"

namespace vantrel::cli::os {
namespace {

int Descriptor(StdStream stream) {
  switch (stream) {
    case StdStream::kInput: return STDIN_FILENO;
    case StdStream::kOutput: return STDOUT_FILENO;
    case StdStream::kError: break;
  }
  return STDERR_FILENO;
}

}  // namespace

bool IsTerminal(StdStream stream) { return isatty(Descriptor(stream)) == 1; }

WriteResult WriteText(StdStream stream, std::string_view text) {
  const int fd = Descriptor(stream);
  while (!text.empty()) {
    const ssize_t put = write(fd, text.data(), text.size());
    if (put < 0 && errno == EINTR) continue;
    if (put < 0 && errno == EPIPE) return {WriteStatus::kBrokenPipe, {}};
    if (put <= 0) return {WriteStatus::kFailed, vantrel::os::LastSystemError()};
    text.remove_prefix(static_cast<std::size_t>(put));
  }
  return {};
}

void ReportBrokenPipesAsErrors() { std::signal(SIGPIPE, SIG_IGN); }

}  // namespace vantrel::cli::os
