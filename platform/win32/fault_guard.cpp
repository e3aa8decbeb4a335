// The guard on Windows has nothing to catch: Windows refuses to shorten a file while a view
// of it is mapped (SetEndOfFile fails with ERROR_USER_MAPPED_FILE), and a file with a view
// cannot be deleted or replaced under it, since we open it without delete sharing.
#include "platform/fault_guard.h"

#include <windows.h>

namespace vantrel::os {

bool ReadGuarded(void (*read)(void*), void* context) {
  read(context);
  return true;
}

SystemError FileShrankError() {
  return {static_cast<int>(ERROR_FILE_INVALID), "the file became shorter while it was being read"};
}

}  // namespace vantrel::os
