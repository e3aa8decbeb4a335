// The operations on the dialog's pattern boxes that the field sync needs: the dialog supplies
// the real boxes, the tests a fake set.
#pragma once

#include <string>
#include <string_view>

#include "platform/codepage.h"

namespace vantrel {

// Box identifiers are the dialog's control ids (IDC_FIND_HEX and so on).
using BoxId = int;

// The operations on the boxes that the conversions need.
class BoxAccess {
 public:
  virtual ~BoxAccess() = default;

  // The box text in the ANSI code page, at most 259 bytes (cut at a character boundary).
  virtual std::string ReadNarrow(BoxId box) = 0;
  // The box text as UTF-16, at most 259 code units.
  virtual std::u16string ReadWide(BoxId box) = 0;
  // Sets the box text from narrow text in the ANSI code page.
  virtual void SetNarrow(BoxId box, std::string_view text) = 0;
  // Sets the box text from UTF-16.
  virtual void SetWide(BoxId box, std::u16string_view text) = 0;
  // The end of the box's selection: the caret position when nothing is selected.
  virtual int SelectionEnd(BoxId box) = 0;
  // Sets an empty selection at position; a position past the end goes to the end.
  virtual void SetCaret(BoxId box, int position) = 0;
  // The state of "完整字符串": whether a text form gets a terminating zero.
  virtual bool WholeString() = 0;
  // The ANSI code page the "ASCII" boxes are in.
  virtual os::CodePage AnsiCodePage() = 0;
};

}  // namespace vantrel
