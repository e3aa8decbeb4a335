// MessageBoxes for tests: every box is recorded, questions (MB_YESNO) are answered from a
// script (No when it runs out), other boxes with OK.
#pragma once

#include <deque>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "ui/message_boxes.h"

namespace vantrel::testing {

struct ShownBox {
  std::wstring text;
  std::wstring caption;
  UINT type;
  friend bool operator==(const ShownBox&, const ShownBox&) = default;
};
std::ostream& operator<<(std::ostream& out, const ShownBox& box);

class ScriptedMessageBoxes : public ui::MessageBoxes {
 public:
  // Answers for the questions, in order: true for Yes.
  ScriptedMessageBoxes& Answer(std::initializer_list<bool> answers);
  // Runs while a box is open (to look at the dialog behind it).
  ScriptedMessageBoxes& OnShow(std::function<void(const ShownBox&)> hook);

  const std::vector<ShownBox>& shown() const { return shown_; }
  std::vector<HWND> owners() const { return owners_; }
  void Clear() { shown_.clear(); owners_.clear(); }

  int Show(HWND owner, std::wstring_view text, std::wstring_view caption, UINT type) override;

 private:
  std::deque<bool> answers_;
  std::function<void(const ShownBox&)> hook_;
  std::vector<ShownBox> shown_;
  std::vector<HWND> owners_;
};

}  // namespace vantrel::testing
