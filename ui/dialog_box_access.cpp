#include "ui/dialog_box_access.h"

#include "platform/codepage.h"
#include "text/text_limits.h"
#include "res/resource.h"

namespace vantrel::ui {
namespace {

// UTF-16 is char16_t in portable code and wchar_t (16 bits here) at the Win32 boundary.
std::u16string_view AsUtf16(std::wstring_view text) { return {reinterpret_cast<const char16_t*>(text.data()), text.size()}; }
std::wstring_view AsWide(std::u16string_view text) { return {reinterpret_cast<const wchar_t*>(text.data()), text.size()}; }

}  // namespace

std::u16string DialogBoxAccess::ReadWide(BoxId box) {
  // One unit more than the limit shows whether the cut would split a surrogate pair.
  const std::wstring text = dialog_.ItemText(box, kBoxReadLimit + 1);
  return std::u16string(Utf16Prefix(AsUtf16(text), kBoxReadLimit));
}

std::string DialogBoxAccess::ReadNarrow(BoxId box) {
  return NarrowPrefix(ReadWide(box), os::SystemAnsiCodePage(), kBoxReadLimit);
}

void DialogBoxAccess::SetNarrow(BoxId box, std::string_view text) {
  SetWide(box, os::ToUtf16(text, os::SystemAnsiCodePage()));
}

void DialogBoxAccess::SetWide(BoxId box, std::u16string_view text) { dialog_.SetItemText(box, AsWide(text)); }

int DialogBoxAccess::SelectionEnd(BoxId box) {
  DWORD end = 0;
  dialog_.SendItemMessage(box, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(end);
}

void DialogBoxAccess::SetCaret(BoxId box, int position) {
  dialog_.SendItemMessage(box, EM_SETSEL, static_cast<WPARAM>(position), position);
}

bool DialogBoxAccess::WholeString() { return dialog_.IsChecked(IDC_WHOLE_STRING); }

os::CodePage DialogBoxAccess::AnsiCodePage() { return os::SystemAnsiCodePage(); }

}  // namespace vantrel::ui
