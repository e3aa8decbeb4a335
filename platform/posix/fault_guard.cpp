// The guard on POSIX: a SIGBUS handler, installed once, that jumps back to the guarded read
// of the thread that faulted. A fault outside any guarded read goes to whatever handled
// SIGBUS before, as if the handler had never been installed.
#include "platform/fault_guard.h"

#include <pthread.h>

#include <cerrno>
#include <csetjmp>
#include <csignal>

namespace vantrel::os {
namespace {

// The landing point of the guarded read running on this thread, if any.
thread_local sigjmp_buf* t_landing = nullptr;

// What handled SIGBUS before ours: written once, when the handler is installed, and read
// only by the handler afterwards.
struct sigaction g_previous {};

void OnBusError(int, siginfo_t*, void*) {
  if (sigjmp_buf* landing = t_landing) {
    t_landing = nullptr;
    siglongjmp(*landing, 1);
  }
  // Not a guarded read: give the signal back to its earlier handler and fault again.
  sigaction(SIGBUS, &g_previous, nullptr);
}

void InstallOnce() {
  static const bool installed = [] {
    struct sigaction action {};
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    return sigaction(SIGBUS, &action, &g_previous) == 0;
  }();
  (void)installed;
}

}  // namespace

bool ReadGuarded(void (*read)(void*), void* context) {
  InstallOnce();
  sigjmp_buf landing;
  sigjmp_buf* const outer = t_landing;
  // The mask is not saved (that would cost a system call per read); after a fault the
  // handler's own blocking of SIGBUS is lifted here instead.
  if (sigsetjmp(landing, 0) != 0) {
    t_landing = outer;
    sigset_t bus;
    sigemptyset(&bus);
    sigaddset(&bus, SIGBUS);
    pthread_sigmask(SIG_UNBLOCK, &bus, nullptr);
    return false;
  }
  t_landing = &landing;
  read(context);
  t_landing = outer;
  return true;
}

SystemError FileShrankError() { return {EIO, "the file became shorter while it was being read"}; }

}  // namespace vantrel::os
