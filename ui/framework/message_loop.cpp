#include "ui/framework/message_loop.h"

namespace vantrel::ui::framework {

MessageLoop::End MessageLoop::Run(const bool& done) {
  while (!done) {
    MSG msg;
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) return End::kError;  // -1 is an error, not "true"
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return End::kQuit;
    }
    Handle(msg);
  }
  return End::kDone;
}

void MessageLoop::RunPending() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    Handle(msg);
  }
}

void MessageLoop::Handle(MSG& msg) {
  if (filter_.FilterMessage(msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

}  // namespace vantrel::ui::framework
