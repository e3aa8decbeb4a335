// errno as a SystemError.
#include "platform/system_error.h"

#include <cerrno>
#include <cstring>

namespace vantrel::os {

SystemError LastSystemError() { return MakeSystemError(errno); }

SystemError MakeSystemError(int code) {
  char text[256] = {};
  // The GNU strerror_r returns the text (possibly not in the buffer); the XSI one fills it.
  auto pick = [&](auto r) -> const char* {
    if constexpr (std::is_same_v<decltype(r), char*>) return r;
    else return r == 0 ? text : "unknown error";
  };
  return {code, pick(strerror_r(code, text, sizeof text))};
}

}  // namespace vantrel::os
