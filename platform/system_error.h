// The platform's last error as a SystemError value.
#pragma once

#include "platform/result.h"

namespace vantrel::os {

// errno on POSIX, GetLastError() on Windows, with the platform's text for it.
SystemError LastSystemError();

// A SystemError for the given platform code.
SystemError MakeSystemError(int code);

}  // namespace vantrel::os
