#include "platform/interrupts.h"

#include <csignal>
#include <initializer_list>

namespace vantrel::os {
namespace {

// The one process-wide value: what a signal handler may set.
volatile std::sig_atomic_t interrupted_by = 0;

extern "C" void Interrupted(int signal) {
  if (interrupted_by == 0) interrupted_by = signal;
}

}  // namespace

void CatchInterrupts() {
  struct sigaction action {};
  action.sa_handler = Interrupted;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a read waiting for an answer returns, and the run sees the flag.
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
  std::signal(SIGXFSZ, SIG_IGN);
}

int InterruptStatus() {
  const int signal = static_cast<int>(interrupted_by);
  return signal == 0 ? 0 : 128 + signal;
}

}  // namespace vantrel::os
