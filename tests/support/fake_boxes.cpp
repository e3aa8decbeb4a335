#include "tests/support/fake_boxes.h"

#include <algorithm>

#include "text/text_limits.h"

namespace vantrel::testing {

std::u16string FakeBoxes::Text(BoxId box) const {
  auto it = text_.find(box);
  return it == text_.end() ? std::u16string() : it->second;
}

void FakeBoxes::Type(BoxId box, std::u16string text, int caret) {
  text_[box] = std::move(text);
  caret_[box] = caret;
}

int FakeBoxes::Caret(BoxId box) const {
  auto it = caret_.find(box);
  return it == caret_.end() ? 0 : it->second;
}

std::string FakeBoxes::ReadNarrow(BoxId box) { return NarrowPrefix(Text(box), converter_, kBoxReadLimit); }

std::u16string FakeBoxes::ReadWide(BoxId box) { return Text(box).substr(0, kBoxReadLimit); }

void FakeBoxes::SetNarrow(BoxId box, std::string_view text) { SetWide(box, converter_.ToUtf16(text)); }

void FakeBoxes::SetWide(BoxId box, std::u16string_view text) {
  // Setting the text of an edit box puts the caret at its start.
  text_[box] = std::u16string(text);
  caret_[box] = 0;
  ++writes_;
}

void FakeBoxes::SetCaret(BoxId box, int position) {
  caret_[box] = std::clamp(position, 0, static_cast<int>(Text(box).size()));
}

}  // namespace vantrel::testing
