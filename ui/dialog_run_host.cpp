#include "ui/dialog_run_host.h"

#include "platform/wide_text.h"
#include "res/resource.h"
#include "ui/dialog_box_access.h"
#include "ui/fields/text_forms.h"

namespace vantrel::ui {
namespace {

// The bytes of a hex box, read as the field sync reads it.
Bytes HexBoxBytes(const framework::Dialog& dialog, int id) {
  DialogBoxAccess boxes(dialog);
  return vantrel::HexBoxBytes(boxes, id);
}

}  // namespace

UINT MessageBoxType(PromptKind kind) {
  switch (kind) {
    case PromptKind::kYesNo:
      return MB_YESNO | MB_ICONQUESTION;
    case PromptKind::kOkQuestion:
      return MB_ICONQUESTION;
    case PromptKind::kInformation:
      return MB_ICONINFORMATION;
    case PromptKind::kWarning:
      return MB_ICONEXCLAMATION;
    case PromptKind::kPlain:
      return MB_OK;
  }
  return MB_OK;
}

RunJob ReadJob(const framework::Dialog& dialog) {
  std::optional<Bytes> replacement;
  if (dialog.ItemTextLength(IDC_REPLACE_HEX) > 0) replacement = HexBoxBytes(dialog, IDC_REPLACE_HEX);
  return RunJob(HexBoxBytes(dialog, IDC_FIND_HEX), std::move(replacement), dialog.IsChecked(IDC_ASK_REPLACE));
}

bool DialogRunHost::Prompt(std::string_view text, PromptKind kind) {
  const std::wstring wide = os::win32::Utf8ToWide(text);
  return boxes_.Show(dialog_.window(), wide, kToolCaption, MessageBoxType(kind)) == IDYES;
}

}  // namespace vantrel::ui
