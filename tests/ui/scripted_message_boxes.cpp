#include "tests/ui/scripted_message_boxes.h"

#include "platform/wide_text.h"

namespace vantrel::testing {

std::ostream& operator<<(std::ostream& out, const ShownBox& box) {
  return out << "{\"" << os::win32::WideToUtf8(box.text) << "\", caption \"" << os::win32::WideToUtf8(box.caption)
             << "\", type 0x" << std::hex << box.type << std::dec << "}";
}

ScriptedMessageBoxes& ScriptedMessageBoxes::Answer(std::initializer_list<bool> answers) {
  answers_.insert(answers_.end(), answers.begin(), answers.end());
  return *this;
}

ScriptedMessageBoxes& ScriptedMessageBoxes::OnShow(std::function<void(const ShownBox&)> hook) {
  hook_ = std::move(hook);
  return *this;
}

int ScriptedMessageBoxes::Show(HWND owner, std::wstring_view text, std::wstring_view caption, UINT type) {
  shown_.push_back({std::wstring(text), std::wstring(caption), type});
  owners_.push_back(owner);
  if (hook_) hook_(shown_.back());
  if ((type & MB_TYPEMASK) != MB_YESNO) return IDOK;
  if (answers_.empty()) return IDNO;
  const bool yes = answers_.front();
  answers_.pop_front();
  return yes ? IDYES : IDNO;
}

}  // namespace vantrel::testing
