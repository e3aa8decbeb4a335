// What a message loop offers each message to before it is translated and dispatched.
#pragma once

#include <windows.h>

namespace vantrel::ui::framework {

class MessageFilter {
 public:
  virtual ~MessageFilter() = default;

  // True when the filter has dealt with msg and it must not be dispatched. The filter may
  // change msg (a character, say) before it goes on.
  virtual bool FilterMessage(MSG& msg) = 0;
};

}  // namespace vantrel::ui::framework
