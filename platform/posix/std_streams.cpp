#include "platform/std_streams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "platform/system_error.h"

namespace vantrel::os {
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

void OpenClosedStdStreams() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // open takes the lowest free number, which is fd; if it cannot be had, the process
    // must not go on to open the files it would patch.
    const int opened = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (opened != fd) _exit(2);
  }
}

void ReportBrokenPipesAsErrors() { std::signal(SIGPIPE, SIG_IGN); }

}  // namespace vantrel::os
