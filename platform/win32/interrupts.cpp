#include "platform/interrupts.h"

#include <windows.h>

#include <atomic>

namespace vantrel::os {
namespace {

// The one process-wide value: what the console's control handler sets.
std::atomic<int> interrupted_status{0};

BOOL WINAPI OnControl(DWORD event) {
  const int status = event == CTRL_C_EVENT ? 130 : 143;
  int none = 0;
  interrupted_status.compare_exchange_strong(none, status);
  if (event == CTRL_CLOSE_EVENT) Sleep(4000);  // Windows ends the process when this returns
  return TRUE;
}

}  // namespace

void CatchInterrupts() { SetConsoleCtrlHandler(OnControl, TRUE); }

int InterruptStatus() { return interrupted_status.load(); }

}  // namespace vantrel::os
