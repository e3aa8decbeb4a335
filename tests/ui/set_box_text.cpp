// Sets the text of one box of a running Vantrel window from outside, as typing would change
// it, so its change handler runs. Used by docs/make-screenshots.sh.
//   vantrel_set_box_text.exe CONTROL_ID TEXT
#include <windows.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: vantrel_set_box_text CONTROL_ID TEXT\n");
    return 2;
  }
  const HWND main = FindWindowW(L"#32770", L"Vantrel");
  if (!main) {
    std::fprintf(stderr, "vantrel_set_box_text: no Vantrel window\n");
    return 1;
  }
  const HWND box = GetDlgItem(main, static_cast<int>(std::wcstol(argv[1], nullptr, 10)));
  if (!box) {
    std::fprintf(stderr, "vantrel_set_box_text: the window has no control %ls\n", argv[1]);
    return 1;
  }
  SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[2]));
  return 0;
}
