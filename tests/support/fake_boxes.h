// A set of edit boxes for the text forms, without a window: each box holds UTF-16 text as a
// real edit box does, narrow access converts through a chosen ANSI code page, and reads are
// limited as the dialog's are.
#pragma once

#include <map>
#include <string>

#include "platform/codepage.h"
#include "ui/fields/text_forms.h"

namespace vantrel::testing {

class FakeBoxes : public BoxAccess {
 public:
  explicit FakeBoxes(os::CodePage ansi, bool whole_string = true) : ansi_(ansi), whole_(whole_string) {}

  void SetWholeString(bool on) { whole_ = on; }
  // The box's own text, unlimited, as a person would see it.
  std::u16string Text(BoxId box) const;
  void Type(BoxId box, std::u16string text, int caret);  // sets text and caret, as typing leaves them
  int Caret(BoxId box) const;
  int writes() const { return writes_; }

  std::string ReadNarrow(BoxId box) override;
  std::u16string ReadWide(BoxId box) override;
  void SetNarrow(BoxId box, std::string_view text) override;
  void SetWide(BoxId box, std::u16string_view text) override;
  int SelectionEnd(BoxId box) override { return Caret(box); }
  void SetCaret(BoxId box, int position) override;
  bool WholeString() override { return whole_; }
  os::CodePage AnsiCodePage() override { return ansi_; }

 private:
  os::CodePage ansi_;
  os::CodePageConverter converter_{ansi_};  // set up once: the fuzz target converts a lot
  bool whole_;
  std::map<BoxId, std::u16string> text_;
  std::map<BoxId, int> caret_;
  int writes_ = 0;
};

}  // namespace vantrel::testing
