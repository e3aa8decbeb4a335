#include "ui/framework/application.h"

#include <commctrl.h>
#include <shellapi.h>

namespace vantrel::ui::framework {
namespace {

std::vector<std::wstring> CommandLineArguments() {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!argv) return {};
  std::vector<std::wstring> arguments(argv, argv + count);
  LocalFree(argv);
  return arguments;
}

}  // namespace

int Application::Run() {
  // Version 6 of the common controls (the manifest asks for it) draws the controls with the
  // visual styles once it is loaded.
  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  arguments_ = CommandLineArguments();
  if (!InitInstance()) return 0;
  MSG msg;
  BOOL got = 0;
  while ((got = GetMessageW(&msg, nullptr, 0, 0)) != 0) {
    if (got == -1) return -1;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace vantrel::ui::framework
