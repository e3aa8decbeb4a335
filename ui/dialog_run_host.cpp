#include "ui/dialog_run_host.h"

#include "engine/os/win32/wide_text.h"
#include "res/resource.h"

namespace vantrel::ui {
namespace {

// Box texts are read up to 259 characters, as every box of the dialog is.
constexpr std::size_t kReadLimit = 259;

// A hex box as narrow text. Only ASCII digits count in a hex text, so the narrow form of
// any other character does not matter.
std::string HexBoxText(const framework::Dialog& dialog, int id) {
  return os::win32::WideToUtf8(dialog.ItemText(id, kReadLimit));
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

std::string DialogRunHost::FindHexText() { return HexBoxText(dialog_, IDC_FIND_HEX); }

std::string DialogRunHost::ReplaceHexText() { return HexBoxText(dialog_, IDC_REPLACE_HEX); }

std::size_t DialogRunHost::ReplaceHexLength() {
  return static_cast<std::size_t>(dialog_.ItemTextLength(IDC_REPLACE_HEX));
}

bool DialogRunHost::AskBeforeReplace() { return dialog_.IsChecked(IDC_ASK_REPLACE); }

bool DialogRunHost::Prompt(std::string_view text, PromptKind kind) {
  const std::wstring wide = os::win32::Utf8ToWide(text);
  return boxes_.Show(dialog_.window(), wide, kToolCaption, MessageBoxType(kind)) == IDYES;
}

}  // namespace vantrel::ui
