// Reading a mapped view safely. When a file shrinks while a view of it is mapped (another
// program truncates it, a log is rotated), reading the part past the new end raises a signal
// (SIGBUS) on POSIX. A read through the guard turns that signal into an error of the read;
// any other fault stays what it was.
#pragma once

#include <utility>

#include "platform/result.h"

namespace vantrel::os {

// Runs read(context). False when reading a mapped view faulted because the file behind it
// became shorter; read was then left where it faulted. read must only read memory and
// compute: no allocation, nothing with a destructor, no locks (it may be left half-way).
bool ReadGuarded(void (*read)(void*), void* context);

// The error a guarded read that faulted reports.
SystemError FileShrankError();

// The same for a callable: its result, or FileShrankError().
template <class Read>
auto ReadGuarded(Read&& read) -> Result<decltype(read())> {
  using Value = decltype(read());
  struct Call {
    Read* read;
    Value value{};
  } call{&read};
  const bool done = ReadGuarded([](void* context) {
    auto* c = static_cast<Call*>(context);
    c->value = (*c->read)();
  }, &call);
  if (!done) return FileShrankError();
  return std::move(call.value);
}

}  // namespace vantrel::os
