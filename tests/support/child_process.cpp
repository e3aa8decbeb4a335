#ifndef _WIN32
#include "tests/support/child_process.h"

#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace vantrel::testing {

int RunInChild(const std::function<int()>& fn) {
  const pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) _exit(fn());
  int status = 0;
  if (waitpid(child, &status, 0) != child) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool IsRoot() { return geteuid() == 0; }

bool DropPrivileges() {
  constexpr uid_t kNobody = 65534;
  return setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0 && geteuid() == kNobody;
}

std::string EnterPrivateMounts() {
  if (unshare(CLONE_NEWNS) != 0) return std::string("cannot make a mount namespace: ") + std::strerror(errno);
  // Mounts made here must not reach the parent's namespace through shared propagation.
  if (mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
    return std::string("cannot make the mounts private: ") + std::strerror(errno);
  }
  return {};
}

}  // namespace vantrel::testing
#endif
