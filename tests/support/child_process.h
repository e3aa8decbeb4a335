// POSIX only: runs a function in a forked child, for tests that must change what the
// process may do (drop root, lower a resource limit) without changing the test runner.
#pragma once

#ifndef _WIN32
#include <functional>
#include <string>

namespace vantrel::testing {

// The value fn returned in the child, or -1 when the child did not exit normally.
int RunInChild(const std::function<int()>& fn);

// Whether this process runs as root, and so can drop to an unprivileged user in a child.
bool IsRoot();

// In a child: give up root for the "nobody" user (65534). False when that is impossible.
bool DropPrivileges();

// In a child: mounts of its own, so the test may mount file systems that vanish with it.
// An empty text on success, else why it is not allowed here.
std::string EnterPrivateMounts();

}  // namespace vantrel::testing
#endif
