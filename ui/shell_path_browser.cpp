#include "ui/shell_path_browser.h"

#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>

namespace vantrel::ui {
namespace {

constexpr wchar_t kFolderTitle[] = L"选择路径";
// One filter, "全部文件" for *.*; the list ends with an empty string.
constexpr wchar_t kFileFilter[] = L"全部文件\0*.*\0";
constexpr DWORD kFileFlags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_FORCESHOWHIDDEN;

int CALLBACK FolderBrowserCallback(HWND browser, UINT message, LPARAM, LPARAM current) {
  if (message == BFFM_INITIALIZED) {
    CenterOver(browser, GetWindow(browser, GW_OWNER));
    // Asked twice on purpose. Some shells (Wine's) match the path against the folder tree by
    // comparing item ids byte for byte, and those ids carry each folder's last access time.
    // Resolving the path reads the folders along it, which can move their access times (relatime)
    // after the path's own ids were made, so the first walk may stop short at the desktop. The
    // second resolves the same path with settled times and lands on the folder; on a shell that
    // matched the first time it selects the same folder again.
    SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, current);
    SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, current);
  }
  return 0;
}

// The shell's folder browser needs COM on the calling thread.
class ComScope {
 public:
  ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  HRESULT result_;
};

}  // namespace

std::optional<std::wstring> ShellPathBrowser::BrowseFolder(HWND owner, std::wstring_view current) {
  const ComScope com;
  const std::wstring start(current);
  wchar_t display_name[MAX_PATH] = {};
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.pszDisplayName = display_name;
  info.lpszTitle = kFolderTitle;
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  info.lpfn = &FolderBrowserCallback;
  info.lParam = reinterpret_cast<LPARAM>(start.c_str());
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
  if (!chosen) return std::nullopt;
  wchar_t path[MAX_PATH] = {};
  const bool has_path = SHGetPathFromIDListW(chosen, path);
  CoTaskMemFree(chosen);
  if (!has_path) return std::nullopt;  // a virtual folder has no file system path
  return std::wstring(path);
}

std::optional<std::wstring> ShellPathBrowser::BrowseFile(HWND owner, std::wstring_view initial_name) {
  wchar_t file[MAX_PATH] = {};
  initial_name.copy(file, std::min<std::size_t>(initial_name.size(), MAX_PATH - 1));
  OPENFILENAMEW dialog{};
  dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400W;  // the layout without the later fields
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = kFileFilter;
  dialog.lpstrFile = file;
  dialog.nMaxFile = MAX_PATH;
  dialog.Flags = kFileFlags;
  if (!GetOpenFileNameW(&dialog)) return std::nullopt;
  return std::wstring(file);
}

void CenterOver(HWND window, HWND owner) {
  RECT own{};
  RECT target{};
  GetWindowRect(window, &own);
  const HMONITOR monitor = MonitorFromWindow(owner ? owner : window, MONITOR_DEFAULTTONEAREST);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoW(monitor, &info);
  if (owner) {
    GetWindowRect(owner, &target);
  } else {
    target = info.rcWork;
  }
  const LONG width = own.right - own.left;
  const LONG height = own.bottom - own.top;
  LONG x = (target.left + target.right - width) / 2;
  LONG y = (target.top + target.bottom - height) / 2;
  x = std::max(info.rcWork.left, std::min(x, info.rcWork.right - width));
  y = std::max(info.rcWork.top, std::min(y, info.rcWork.bottom - height));
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace vantrel::ui
