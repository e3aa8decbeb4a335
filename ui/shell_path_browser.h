// The shell's browse dialogs: SHBrowseForFolder titled "选择路径", centred over its owner
// with the current path selected, and GetOpenFileName with the one filter "全部文件".
#pragma once

#include "ui/path_browser.h"

namespace vantrel::ui {

class ShellPathBrowser : public PathBrowser {
 public:
  std::optional<std::wstring> BrowseFolder(HWND owner, std::wstring_view current) override;
  std::optional<std::wstring> BrowseFile(HWND owner, std::wstring_view initial_name) override;
};

// Moves window so that its centre is over the centre of owner (or of the screen without
// one), kept inside the work area of the monitor.
void CenterOver(HWND window, HWND owner);

}  // namespace vantrel::ui
