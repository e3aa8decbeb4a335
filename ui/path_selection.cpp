// How a path reaches the path box (command line, drop, browse dialogs) and the Start command
// that hands it to a run.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "res/resource.h"
#include "platform/wide_text.h"
#include "runs/messages.h"
#include "runs/walk_directory.h"
#include "text/text_limits.h"
#include "ui/dialog_run_host.h"
#include "ui/replace_dlg.h"
#include "ui/shortcut.h"

namespace vantrel::ui {
namespace {

// A shorter path box makes Start open the browser instead of running.
constexpr int kShortestStartPath = 3;
// The browse button takes the path box as the initial file name only when it is longer.
constexpr int kShortestInitialName = 4;

// Only a path Start can read whole is run: a cut path would name another file.
constexpr wchar_t kPathTooLong[] = L"路径太长：最多 259 个字符。";

// The program's name: its file name without the extension.
std::wstring ApplicationName() {
  std::wstring module(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, module.data(), static_cast<DWORD>(module.size()));
    if (length < module.size()) {
      module.resize(length);
      break;
    }
    module.resize(module.size() * 2);
  }
  return std::filesystem::path(module).stem().native();
}

}  // namespace

void CReplaceDlg::AcceptPath(std::filesystem::path path) {
  if (path.native().size() > kBoxReadLimit) return;  // as good as missing: Start could not read it whole
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    SetChecked(IDC_OPEN_DIR, true);
  } else {
    SetChecked(IDC_OPEN_DIR, false);
    if (IsShortcutPath(path)) path = ResolveShortcut(window(), path).path;  // empty when unresolvable
  }
  SetItemText(IDC_PATH, path.native());
}

void CReplaceDlg::OnDropFiles(HDROP drop) {
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  if (count > 0) {
    const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    std::wstring first(length + 1, L'\0');
    DragQueryFileW(drop, 0, first.data(), length + 1);
    first.resize(length);
    AcceptPath(first);  // further files of the drop are ignored
  }
  DragFinish(drop);
}

void CReplaceDlg::BrowseForPath() {
  std::optional<std::wstring> chosen;
  if (IsChecked(IDC_OPEN_DIR)) {
    chosen = services_.browser.BrowseFolder(window(), ItemText(IDC_PATH, kBoxReadLimit));
  } else {
    const bool has_name = ItemTextLength(IDC_PATH) >= kShortestInitialName;
    chosen = services_.browser.BrowseFile(window(), has_name ? ItemText(IDC_PATH, kBoxReadLimit) : std::wstring());
  }
  if (chosen) SetItemText(IDC_PATH, *chosen);
}

void CReplaceDlg::OnStart() {
  const int path_length = ItemTextLength(IDC_PATH);
  if (path_length < kShortestStartPath) {
    BrowseForPath();
    return;
  }
  if (ItemTextLength(IDC_FIND_HEX) == 0) return;
  if (static_cast<std::size_t>(path_length) > kBoxReadLimit) {
    services_.message_boxes.Show(window(), kPathTooLong, kToolCaption, MB_ICONEXCLAMATION);
    return;
  }
  const std::filesystem::path path(ItemText(IDC_PATH, kBoxReadLimit));
  const RunJob job = ReadJob(*this);
  DialogRunHost host(*this, services_.message_boxes);
  if (IsChecked(IDC_OPEN_DIR)) {
    WalkDirectory(path, RunMode::kAsk, job, host);
    services_.message_boxes.Show(window(), os::win32::Utf8ToWide(messages::kSearchFinished), ApplicationName(), MB_OK);
  } else {
    ReplaceInFile(path, false, job, host);
  }
}

}  // namespace vantrel::ui
