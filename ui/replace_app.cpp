#include "ui/replace_app.h"

#include "ui/replace_dlg.h"
#include "ui/shell_path_browser.h"

namespace vantrel::ui {

bool CReplaceApp::InitInstance() {
  SetDialogBkColor(kDialogColors.background, kDialogColors.text);
  ShellPathBrowser browser;
  WindowsMessageBoxes message_boxes;
  std::optional<std::filesystem::path> path;
  if (arguments().size() > 1) path = arguments()[1];
  CReplaceDlg dialog(instance(), nullptr, DialogServices{browser, message_boxes}, path);
  if (const auto colors = dialog_colors()) dialog.SetColors(*colors);
  dialog.DoModal();
  return false;  // the program ends with the dialog
}

}  // namespace vantrel::ui
