// The six conversions between a text form and the hex form, and the hex box reformat.
// Every text form goes through the hex box: there is no direct conversion between two
// text forms, so the hex box is always the one the others agree with.
#include "ui/fields/text_forms.h"

#include <cstdint>

#include "text/hex_text.h"
#include "text/pattern_forms.h"
#include "text/text_limits.h"

namespace vantrel {
namespace {

constexpr std::string_view kZeroByte = " 00";
constexpr std::u16string_view kZeroUnit = u" 00 00";

// A text form's bytes as hex text in the hex box, with the terminating zero when asked for.
// The suffix comes after the normal form, so an empty text gives " 00" with its space.
void SetBytesAsHex(BoxAccess& boxes, BoxId hex, const Bytes& bytes) {
  std::string text = BytesToHexText(bytes);
  if (boxes.WholeString()) text += kZeroByte;
  boxes.SetNarrow(hex, text);
}

char16_t HexDigitUnit(unsigned value) { return static_cast<char16_t>(value < 10 ? u'0' + value : u'A' + value - 10); }

void ShowForm(BoxAccess& boxes, TextForm form, BoxId hex, BoxId dst) {
  boxes.SetWide(dst, FormBytesToText(form, HexBoxBytes(boxes, hex), boxes.AnsiCodePage()));
}

}  // namespace

Bytes HexBoxBytes(BoxAccess& boxes, BoxId hex) { return HexTextToBytes(boxes.ReadNarrow(hex)); }

void AnsiToHex(BoxAccess& boxes, BoxId src, BoxId hex) {
  SetBytesAsHex(boxes, hex, TextToFormBytes(TextForm::kAnsi, boxes.ReadWide(src), boxes.AnsiCodePage(), kBoxReadLimit).bytes);
}

void Utf8ToHex(BoxAccess& boxes, BoxId src, BoxId hex) {
  // A text whose UTF-8 form is longer than 259 bytes is cut at the source, after the last
  // whole character that fits, so the form never holds half a sequence.
  SetBytesAsHex(boxes, hex, TextToFormBytes(TextForm::kUtf8, boxes.ReadWide(src), boxes.AnsiCodePage(), kUtf8FormLimit).bytes);
}

void UnicodeToHex(BoxAccess& boxes, BoxId src, BoxId hex) {
  // At most 64 units (63 before the zero unit) are taken, never half a surrogate pair: all
  // that the hex box gives back whole when it is reformatted (see kUnicodeFormLimit).
  const bool whole = boxes.WholeString();
  const Bytes bytes = TextToFormBytes(TextForm::kUtf16Le, boxes.ReadWide(src), boxes.AnsiCodePage(),
                                      whole ? kUnicodeFormLimit - 1 : kUnicodeFormLimit).bytes;
  // Written without spaces first, then reformatted in place as the box would be after typing.
  std::u16string text;
  text.reserve(bytes.size() * 2 + kZeroUnit.size());
  for (std::uint8_t byte : bytes) {
    text.push_back(HexDigitUnit(byte >> 4));
    text.push_back(HexDigitUnit(byte & 0x0F));
  }
  if (whole) text += kZeroUnit;
  boxes.SetWide(hex, text);
  ReformatHexBox(boxes, hex);
}

void HexToAnsi(BoxAccess& boxes, BoxId hex, BoxId dst) { ShowForm(boxes, TextForm::kAnsi, hex, dst); }

void HexToUtf8(BoxAccess& boxes, BoxId hex, BoxId dst) { ShowForm(boxes, TextForm::kUtf8, hex, dst); }

void HexToUnicode(BoxAccess& boxes, BoxId hex, BoxId dst) { ShowForm(boxes, TextForm::kUtf16Le, hex, dst); }

void ReformatHexBox(BoxAccess& boxes, BoxId box) {
  int caret = boxes.SelectionEnd(box);
  if (caret != 0) ++caret;
  boxes.SetNarrow(box, NormalizeHexText(boxes.ReadNarrow(box)));
  boxes.SetCaret(box, caret);
}

}  // namespace vantrel
