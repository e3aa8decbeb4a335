// The ui tests open real windows: under Wine that needs an X display. Without one they stop
// at once with a message that says so, instead of failing in every case.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  wchar_t display[256];
  const bool under_wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  if (under_wine && GetEnvironmentVariableW(L"DISPLAY", display, 256) == 0) {
    std::fprintf(stderr,
                 "ui tests: no X display. These tests open real windows under Wine; set DISPLAY "
                 "(scripts/test.sh starts Xvfb, or run `Xvfb :57 & export DISPLAY=:57`).\n");
    return 1;
  }
  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  return RUN_ALL_TESTS();
}
