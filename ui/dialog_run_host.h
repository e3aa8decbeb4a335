// The dialog as the host of a run: the hex texts and the ask switch come from its boxes,
// and every prompt is a message box owned by the dialog, captioned "字符替换工具".
#pragma once

#include "runs/run_host.h"
#include "ui/framework/dialog.h"
#include "ui/message_boxes.h"

namespace vantrel::ui {

// The caption of every message box of a run, and of the about box.
inline constexpr wchar_t kToolCaption[] = L"字符替换工具";

// The message box type of a prompt kind.
UINT MessageBoxType(PromptKind kind);

class DialogRunHost : public RunHost {
 public:
  DialogRunHost(const framework::Dialog& dialog, MessageBoxes& boxes) : dialog_(dialog), boxes_(boxes) {}

  std::string FindHexText() override;
  std::string ReplaceHexText() override;
  std::size_t ReplaceHexLength() override;
  bool AskBeforeReplace() override;
  bool Prompt(std::string_view text, PromptKind kind) override;

 private:
  const framework::Dialog& dialog_;
  MessageBoxes& boxes_;
};

}  // namespace vantrel::ui
