// The dialog's boxes kept in step: the conversions between a text form's box and the group's
// hex box. The bytes of each form are those of pattern_forms.h, with the boxes' limits; the
// conversions reach the boxes only through BoxAccess: the dialog supplies the real boxes,
// the tests a fake set.
#pragma once

#include "text/hex_text.h"
#include "ui/fields/box_access.h"

namespace vantrel {

// Text form to hex: the source box's bytes as normal hex text in the hex box, with " 00"
// (ANSI, UTF-8) or " 00 00" (UTF-16LE) appended when whole string is on.
void AnsiToHex(BoxAccess& boxes, BoxId src, BoxId hex);
void Utf8ToHex(BoxAccess& boxes, BoxId src, BoxId hex);
void UnicodeToHex(BoxAccess& boxes, BoxId src, BoxId hex);

// Hex to text form: the hex box's bytes shown in the target box, up to the first zero byte
// (ANSI, UTF-8) or zero unit (UTF-16LE; an odd last byte pairs with a zero high byte).
void HexToAnsi(BoxAccess& boxes, BoxId hex, BoxId dst);
void HexToUtf8(BoxAccess& boxes, BoxId hex, BoxId dst);
void HexToUnicode(BoxAccess& boxes, BoxId hex, BoxId dst);

// Rewrites a hex box in normal form and puts the caret one further than it was (unless it
// was at 0), so it stays behind the digit just typed when a space is inserted before it.
void ReformatHexBox(BoxAccess& boxes, BoxId box);

// The pattern a hex box holds, read as every box is read: the field sync and the run that
// takes the pattern from the box see the same bytes.
Bytes HexBoxBytes(BoxAccess& boxes, BoxId hex);

}  // namespace vantrel
