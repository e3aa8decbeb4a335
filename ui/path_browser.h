// The two browse dialogs of the path box: a folder browser and a file-open dialog. The
// program uses the shell's (ShellPathBrowser); tests put a fake in their place.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace vantrel::ui {

class PathBrowser {
 public:
  virtual ~PathBrowser() = default;

  // Lets the user choose a folder, starting at `current`; empty when the user cancels.
  virtual std::optional<std::wstring> BrowseFolder(HWND owner, std::wstring_view current) = 0;
  // Lets the user choose an existing file, with `initial_name` in the name box; empty when
  // the user cancels.
  virtual std::optional<std::wstring> BrowseFile(HWND owner, std::wstring_view initial_name) = 0;
};

}  // namespace vantrel::ui
