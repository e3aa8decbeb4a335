// The message loop of a modal dialog: every message is offered to a filter first (the
// dialog's PreTranslateMessage, then IsDialogMessage), and only what the filter leaves is
// translated and dispatched. Tests drive a dialog through the same loop with RunPending.
#pragma once

#include <windows.h>

#include "ui/framework/message_filter.h"

namespace vantrel::ui::framework {

class MessageLoop {
 public:
  enum class End {
    kDone,   // the done flag was set
    kQuit,   // WM_QUIT arrived; it is posted again for an outer loop
    kError,  // GetMessage failed (returned -1)
  };

  explicit MessageLoop(MessageFilter& filter) : filter_(filter) {}

  // Waits for and handles messages until `done` is true after a message, WM_QUIT arrives or
  // GetMessage fails.
  End Run(const bool& done);

  // Handles the messages that are waiting now, then returns.
  void RunPending();

 private:
  void Handle(MSG& msg);

  MessageFilter& filter_;
};

}  // namespace vantrel::ui::framework
