// The dialog's edit boxes as the text forms see them. A box holds UTF-16 text; its narrow
// text is that text in the ANSI code page (CP_ACP). Reads stop at 259 characters, never
// inside a character.
#pragma once

#include "ui/fields/text_forms.h"
#include "ui/framework/dialog.h"

namespace vantrel::ui {

class DialogBoxAccess : public BoxAccess {
 public:
  explicit DialogBoxAccess(const framework::Dialog& dialog) : dialog_(dialog) {}

  std::string ReadNarrow(BoxId box) override;
  std::u16string ReadWide(BoxId box) override;
  void SetNarrow(BoxId box, std::string_view text) override;
  void SetWide(BoxId box, std::u16string_view text) override;
  int SelectionEnd(BoxId box) override;
  void SetCaret(BoxId box, int position) override;
  bool WholeString() override;
  os::CodePage AnsiCodePage() override;

 private:
  const framework::Dialog& dialog_;
};

}  // namespace vantrel::ui
