// The dialog as the edge and host of a run: the job is read from its boxes once when Start is
// pressed, and every prompt is a message box owned by the dialog, captioned "字符替换工具".
#pragma once

#include "runs/run_host.h"
#include "runs/run_job.h"
#include "ui/framework/dialog.h"
#include "ui/message_boxes.h"

namespace vantrel::ui {

// The caption of every message box of a run, and of the about box.
inline constexpr wchar_t kToolCaption[] = L"字符替换工具";

// The message box type of a prompt kind.
UINT MessageBoxType(PromptKind kind);

// The run the boxes ask for: the first 259 characters of each "HEX" box decoded (so neither
// pattern holds more than 86 bytes), nothing to write when the replace "HEX" box is empty,
// and the state of "替换时询问".
RunJob ReadJob(const framework::Dialog& dialog);

class DialogRunHost : public RunHost {
 public:
  DialogRunHost(const framework::Dialog& dialog, MessageBoxes& boxes) : dialog_(dialog), boxes_(boxes) {}

  bool Prompt(std::string_view text, PromptKind kind) override;

 private:
  const framework::Dialog& dialog_;
  MessageBoxes& boxes_;
};

}  // namespace vantrel::ui
